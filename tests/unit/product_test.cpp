// CProduct against real product description files in a temporary install tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <random>

#include "install/product.h"
#include "platform/sysenv.h"
#include "temp_install.h"

namespace {

using Names = std::vector<std::wstring>;

Names ComponentNames(const tn::CProduct& product)
{
    Names names;
    for (const auto& component : product.Components)
        names.push_back(component->Name);
    return names;
}

std::wstring Hex(DWORD value)
{
    wchar_t text[16];
    swprintf(text, 16, L"%lx", static_cast<unsigned long>(value));
    return text;
}

class Product : public ::testing::Test {
protected:
    // Loads the product file `text` as product P.
    int Load(const std::wstring& text, tn::CProduct& product, const wchar_t* list = nullptr,
             unsigned flags = 0)
    {
        install_.WriteProduct(L"P", text);
        return product.Load((install_.Root() + L"Install\\Product\\P.ini").c_str(), tn::LocInstall,
                            list, flags);
    }

    tntest::TempInstall install_;
};

TEST_F(Product, ExpandsTheComponentList)
{
    struct Case {
        const char* what;
        const wchar_t* text;
        int result;
        Names components;
    } const cases[] = {
        {"All absent", L"[Version]\nProductID=5\n[HaveCompose]\nOther=A\n", 300, {}},
        {"All empty", L"[HaveCompose]\nAll=\n", 300, {}},
        {"no HaveCompose section", L"[Version]\nProductID=5\n", 300, {}},
        {"parents nearest first, then resources with their parents",
         L"[HaveCompose]\nAll=A\n[A]\nParent=B\nResource=R1,R2\n[B]\nParent=C\n[R1]\nParent=B\n",
         0, {L"A", L"B", L"C", L"R1", L"R2"}},
        {"case-insensitive duplicates, first form stays", L"[HaveCompose]\nAll=A,B,a\n", 0,
         {L"A", L"B"}},
        {"empty items dropped", L"[HaveCompose]\nAll=,A,,B,\n", 0, {L"A", L"B"}},
        {"parent loop ends at the listed name",
         L"[HaveCompose]\nAll=A\n[A]\nParent=B\n[B]\nParent=A\n", 0, {L"A", L"B"}},
        {"own parent", L"[HaveCompose]\nAll=A\n[A]\nParent=A\n", 0, {L"A"}},
        {"parent written as quotes in the file", L"[HaveCompose]\nAll=A\n[A]\nParent=\"\"\n", 0,
         {L"A"}},
        // Five quotes reach the catalog as the two characters "" (the reader
        // strips one pair): still no parent.
        {"parent read as a pair of quotes", L"[HaveCompose]\nAll=A\n[A]\nParent=\"\"\"\"\"\n", 0,
         {L"A"}},
        {"resources of parents are not followed",
         L"[HaveCompose]\nAll=A\n[A]\nParent=B\n[B]\nResource=D\n", 0, {L"A", L"B"}},
        {"resources of resources are not followed",
         L"[HaveCompose]\nAll=A\n[A]\nResource=R\n[R]\nResource=S\n", 0, {L"A", L"R"}},
        {"a name already present does not move",
         L"[HaveCompose]\nAll=A,B\n[B]\nParent=A\nResource=A,C\n", 0, {L"A", L"B", L"C"}},
        {"section names match case-insensitively",
         L"[HaveCompose]\nAll=a\n[A]\nPARENT=b\n[B]\nparent=c\n", 0, {L"a", L"b", L"c"}},
        {"sections of the file come first to last, the first one wins",
         L"[HaveCompose]\nAll=A\n[A]\nParent=B\n[a]\nParent=C\n", 0, {L"A", L"B"}},
        {"dotted name: its file and section are those of the part before the dot",
         L"[HaveCompose]\nAll=x.y\n[x.y]\nParent=Q\n", 0, {L"x", L"Q"}},
    };
    for (const Case& c : cases) {
        tn::CProduct product;
        EXPECT_EQ(c.result, Load(c.text, product)) << c.what;
        EXPECT_EQ(c.components, ComponentNames(product)) << c.what;
        EXPECT_EQ(L"P", product.Name) << c.what;
    }
}

TEST_F(Product, ReadsTheVersionSection)
{
    struct Case {
        const wchar_t* text;
        int productId;
        const wchar_t* conflict;
    } const cases[] = {
        {L"[Version]\nProductID=102\nConflict=Old,Beta\n[HaveCompose]\nAll=A\n", 102, L"Old,Beta"},
        {L"[Version]\nConflict=\n[HaveCompose]\nAll=A\n", 0, L""},
        {L"[HaveCompose]\nAll=A\n", 0, L""},
        {L"[Version]\nProductID=-7\n[HaveCompose]\nAll=\n", -7, L""},  // read before the 300
    };
    for (const Case& c : cases) {
        tn::CProduct product;
        Load(c.text, product);
        EXPECT_EQ(c.productId, product.ProductID) << c.text;
        EXPECT_EQ(c.conflict, product.Conflict) << c.text;
    }
}

TEST_F(Product, FillsTheCatalogFieldsFromTheComponentSection)
{
    tn::CProduct product;
    ASSERT_EQ(0, Load(L"[HaveCompose]\nAll=Scan,Bare\n"
                      L"[Scan]\nType=2\nUpdate=3\nBase=1\nHide=4\nLangGroup=5\nNewShow=6\n"
                      L"MustUpdate=7\nSupportOS=0\nParent=Core\nDepends=Net,Ui\nResource=Sig\n"
                      L"Title0804=扫描\nTitle0409=Scanner\nTitle000A=Escáner\n"
                      L"Detail0409=Line one||Line two\nDetail0411=a|||b||||c|\n"
                      L"[Core]\nLangGroup=1\n[Sig]\nLangGroup=2\n",
                      product));
    ASSERT_EQ((Names{L"Scan", L"Core", L"Sig", L"Bare"}), ComponentNames(product));
    const tn::CComponent& scan = *product.Components[0];
    EXPECT_EQ(2, scan.Type);
    EXPECT_EQ(3, scan.Update);
    EXPECT_EQ(1, scan.Base);
    EXPECT_EQ(4, scan.Hide);
    EXPECT_EQ(5, scan.LangGroup);
    EXPECT_EQ(6, scan.NewShow);
    EXPECT_EQ(7, scan.MustUpdate);
    EXPECT_EQ(0u, scan.SupportOS);
    EXPECT_STREQ(L"Scan", scan.CatalogName);
    EXPECT_STREQ(L"Core", scan.Parent);
    EXPECT_STREQ(L"Net,Ui", scan.Depends);
    EXPECT_STREQ(L"Sig", scan.Resource);
    EXPECT_STREQ(L"扫描", scan.Texts[0].Title);
    EXPECT_STREQ(L"Scanner", scan.Texts[1].Title);
    EXPECT_STREQ(L"", scan.Texts[2].Title);
    EXPECT_STREQ(L"Escáner", scan.Texts[4].Title);
    EXPECT_STREQ(L"Line one\r\nLine two", scan.Texts[1].Detail);
    EXPECT_STREQ(L"a\r\n|b\r\n\r\nc|", scan.Texts[2].Detail);  // left to right, no overlap
    EXPECT_EQ(1, scan.ParentLangGroup);  // [Core] LangGroup is 1

    // Parent's LangGroup other than 1, and a component without a section:
    // everything zero or empty.
    const tn::CComponent& core = *product.Components[1];
    EXPECT_EQ(1, core.LangGroup);
    EXPECT_EQ(0, core.ParentLangGroup);
    const tn::CComponent& bare = *product.Components[3];
    EXPECT_STREQ(L"Bare", bare.CatalogName);
    EXPECT_EQ(0, bare.Type);
    EXPECT_EQ(0u, bare.SupportOS);
    EXPECT_STREQ(L"", bare.Parent);
    EXPECT_STREQ(L"", bare.Texts[1].Detail);
    EXPECT_EQ(0, bare.ParentLangGroup);
    EXPECT_EQ(install_.Root() + L"Install\\Compose\\Bare.ini", bare.FilePath);
}

TEST_F(Product, CutsLongTextsToTheirFields)
{
    const std::wstring longText(600, L'w');
    tn::CProduct product;
    ASSERT_EQ(0, Load(L"[HaveCompose]\nAll=A\n[A]\nParent=" + longText + L"\nDepends=" + longText +
                          L"\nResource=" + std::wstring(300, L'r') + L"\nTitle0409=" + longText +
                          L"\nDetail0409=" + std::wstring(510, L'd') + L"||||\n",
                      product));
    const tn::CComponent& a = *product.Components[0];
    EXPECT_EQ(std::wstring(63, L'w'), a.Parent);
    EXPECT_EQ(std::wstring(255, L'w'), a.Depends);
    EXPECT_EQ(std::wstring(259, L'r'), a.Resource);
    EXPECT_EQ(std::wstring(255, L'w'), a.Texts[1].Title);
    // Cut to 511 first, so only one bar of the first pair is left.
    EXPECT_EQ(std::wstring(510, L'd') + L"|", a.Texts[1].Detail);
}

TEST_F(Product, LeavesOutComponentsThisWindowsDoesNotSupport)
{
    const DWORD mask = tn::GetWindowsVersionMask(nullptr);
    ASSERT_EQ(0u, mask & 0x10000) << "test needs a Windows class without the bit 0x10000";
    tn::CProduct product;
    EXPECT_EQ(0, Load(L"[HaveCompose]\nAll=Any,Zero,Old,Here,Mixed\n[Zero]\nSupportOS=0\n"
                      L"[Old]\nSupportOS=10000\n[Here]\nSupportOS=" + Hex(mask) +
                      L"\n[Mixed]\nSupportOS=" + Hex(0x10000 | mask) + L"\n",
                      product));
    EXPECT_EQ((Names{L"Any", L"Zero", L"Here", L"Mixed"}), ComponentNames(product));
}

// The question whether a product holds a component answers what a full load
// with flags 0 keeps, on every kind of file: the catalog queries rely on it
// instead of the objects.
TEST_F(Product, HoldsComponentAnswersWhatTheFullLoadKeeps)
{
    const DWORD mask = tn::GetWindowsVersionMask(nullptr);
    ASSERT_EQ(0u, mask & 0x10000) << "test needs a Windows class without the bit 0x10000";
    const std::wstring texts[] = {
        L"[Version]\nProductID=44\n[HaveCompose]\nAll=A\n[A]\nParent=B\nResource=R1,R2\n"
        L"[B]\nParent=C\n[R1]\nParent=B\n",
        L"[HaveCompose]\nAll=A,B,a,,b\n",
        L"[HaveCompose]\nAll=Any,Zero,Old,Here\n[Zero]\nSupportOS=0\n[Old]\nSupportOS=10000\n"
        L"[Here]\nSupportOS=" + Hex(mask) + L"\n",
        L"[HaveCompose]\nAll=x.y,.dot\n[x.y]\nParent=Q\n[x]\nSupportOS=10000\n[Q]\nResource=S\n",
        L"[HaveCompose]\nAll=A\n[A]\nParent=B\n[B]\nParent=A\nSupportOS=10000\n",
        L"[Version]\nProductID=7\n[HaveCompose]\nAll=\n",
        L"[Version]\nProductID=7\n",
        L"[HaveCompose]\nAll=dir\\sub,Ab.c.d,x\n[sub]\nSupportOS=10000\n",
        L"[HaveCompose]\nAll=" + std::wstring(254, L'n') + L"," + std::wstring(255, L'm') + L"," +
            std::wstring(256, L'o') + L"," + std::wstring(300, L'p') + L".q," +
            std::wstring(300, L'r') + L"\n",
    };
    // Every name the texts mention, in other letter cases too.
    const Names asked{L"A",    L"a",    L"B",     L"C",    L"R1",   L"R2",   L"Any",
                      L"ZERO", L"Old",  L"Here",  L"x",    L"x.y",  L"Q",    L"S",
                      L"dot",  L"",     L"sub",   L"dir",  L"Ab",   L"Ab.c", L"mixed",
                      std::wstring(254, L'n'),    std::wstring(255, L'm'),
                      std::wstring(256, L'o'),    std::wstring(300, L'p'),
                      std::wstring(259, L'r'),    std::wstring(300, L'r')};
    for (const std::wstring& text : texts) {
        install_.WriteProduct(L"P", text);
        tn::CProduct full, light;
        const int fullResult = full.LoadByName(L"P", 0);
        for (const std::wstring& name : asked) {
            bool holds = true;
            EXPECT_EQ(fullResult, light.HoldsComponent(L"P", name.c_str(), holds)) << text;
            EXPECT_EQ(tn::FindComponent(full.Components, name.c_str()) != nullptr, holds)
                << text << " / " << name;
            EXPECT_EQ(full.ProductID, light.ProductID) << text;
        }
        EXPECT_TRUE(light.Components.empty());
    }
    tn::CProduct missing;
    bool holds = true;
    EXPECT_EQ(18, missing.HoldsComponent(L"NoSuchProduct", L"A", holds));
    EXPECT_FALSE(holds);
    EXPECT_EQ(2, missing.HoldsComponent(nullptr, L"A", holds));
}

TEST_F(Product, UsesAGivenListUnchanged)
{
    tn::CProduct product;
    EXPECT_EQ(0, Load(L"[HaveCompose]\nAll=Z\n[A]\nParent=B\nResource=R\n", product, L"A,,C,a"));
    EXPECT_EQ((Names{L"A", L"C", L"a"}), ComponentNames(product));
    tn::CProduct fromAll;
    EXPECT_EQ(0, Load(L"[HaveCompose]\nAll=Z\n", fromAll, L""));  // empty list: All is used
    EXPECT_EQ((Names{L"Z"}), ComponentNames(fromAll));
}

TEST_F(Product, ReportsWhatStoppedTheLoad)
{
    tn::CProduct product;
    EXPECT_EQ(2, product.Load(nullptr, tn::LocInstall, nullptr, 0));
    EXPECT_EQ(2, product.Load((install_.Root() + L"Install\\Product\\").c_str(), tn::LocInstall,
                              nullptr, 0));
    EXPECT_EQ(2, product.LoadByName(nullptr, 0));
    EXPECT_EQ(L"", product.FilePath);

    tn::CProduct missing;
    EXPECT_EQ(18, missing.LoadByName(L"Nowhere.v2", 0));
    EXPECT_EQ(L"Nowhere.v2", missing.Name);  // only the last dot starts the extension
    EXPECT_EQ(install_.Root() + L"Install\\Product\\Nowhere.v2.ini", missing.FilePath);
    EXPECT_TRUE(missing.Components.empty());
}

TEST_F(Product, LoadsTheDescriptionFilesOfType1WhenAsked)
{
    const wchar_t* text = L"[HaveCompose]\nAll=Plain,Full,Broken,Later\n[Plain]\nType=0\n"
                          L"[Full]\nType=1\n[Broken]\nType=1\n[Later]\nType=1\n";
    install_.WriteCompose(L"Full", L"[Version]\nPath=Program\\Full\n[HaveSection]\nFull=Bin\n"
                                   L"[Bin]\nfull.dll=bin,bin,1,1,1,1,0,0,0,0,a,b,0,c,1,0\n");
    install_.WriteCompose(L"Later", L"[Version]\nPath=x\n[HaveSection]\n");
    {
        tn::CProduct product;  // flags 0: no description file is read
        EXPECT_EQ(0, Load(text, product));
        EXPECT_EQ((Names{L"Plain", L"Full", L"Broken", L"Later"}), ComponentNames(product));
        EXPECT_EQ(0, product.Components[1]->Loaded);
    }
    tn::CProduct product;
    EXPECT_EQ(18, Load(text, product, nullptr, tn::kProductLoadComponentFiles | 0x6));
    ASSERT_EQ((Names{L"Plain", L"Full"}), ComponentNames(product));  // kept up to the failure
    EXPECT_EQ(1, product.Components[1]->Loaded);
    EXPECT_EQ(L"Program\\Full", product.Components[1]->Path);
    EXPECT_EQ(21, Load(L"[HaveCompose]\nAll=Later\n[Later]\nType=1\n", product, nullptr, 1));
    EXPECT_TRUE(product.Components.empty());  // the second load discarded the first
}

TEST_F(Product, FindsComponentsByName)
{
    tn::CProduct product;
    ASSERT_EQ(0, Load(L"[HaveCompose]\nAll=Alpha,Beta\n", product));
    EXPECT_EQ(product.Components[1].get(), tn::FindComponent(product.Components, L"BETA"));
    EXPECT_EQ(nullptr, tn::FindComponent(product.Components, L"Gamma"));
    EXPECT_EQ(nullptr, tn::FindComponent(product.Components, nullptr));
    EXPECT_EQ(nullptr, tn::FindComponent(product.Components, L""));
}

// Large and hostile product files: every one loads without a crash or a
// hang, and what is found is exactly what the file says.
TEST_F(Product, SurvivesLargeAndHostileFiles)
{
    {
        // 5 000 names given as the list; each section a loop back to the first.
        std::wstring list, sections;
        for (int i = 0; i < 5000; ++i) {
            list += (i ? L"," : L"") + std::wstring(L"N") + std::to_wstring(i);
            sections += L"[N" + std::to_wstring(i) + L"]\nParent=N0\nResource=N1,N2\n";
        }
        tn::CProduct product;
        EXPECT_EQ(0, Load(L"[HaveCompose]\nAll=x\n" + sections, product, list.c_str()));
        EXPECT_EQ(5000u, product.Components.size());
        EXPECT_EQ(L"N4999", product.Components.back()->Name);
    }
    {
        // A parent chain 5 000 deep that closes into a loop, reached from All.
        std::wstring sections;
        for (int i = 0; i < 5000; ++i)
            sections += L"[C" + std::to_wstring(i) + L"]\nParent=c" +
                        std::to_wstring((i + 1) % 5000) + L"\n";
        tn::CProduct product;
        EXPECT_EQ(0, Load(L"[HaveCompose]\nAll=C0\n" + sections, product));
        ASSERT_EQ(5000u, product.Components.size());
        EXPECT_EQ(L"c1", product.Components[1]->Name);
        EXPECT_EQ(L"c4999", product.Components.back()->Name);
        EXPECT_STREQ(L"c0", product.Components.back()->Parent);
    }
    {
        // One component listed 100 times in different letter cases, All as
        // long as a line may be (the reader cuts it; nothing is written past
        // a field).
        std::wstring all;
        for (int i = 0; i < 100; ++i)
            all += (i % 2 ? L"sCaN," : L"ScAn,");
        all += std::wstring(5000, L'z');
        tn::CProduct product;
        EXPECT_EQ(0, Load(L"[scan]\nResource=Sig\n[HaveCompose]\nAll=" + all + L"\n", product));
        EXPECT_EQ((Names{L"ScAn", L"Sig"}), ComponentNames(product));
    }
    {
        // Random code units rich in the characters that mean something to
        // the reader and the catalog, sometimes with an odd byte at the end.
        const wchar_t kSyntax[] = L"[]=,|\";\n\r\t AaZz0.";
        std::mt19937 random(12345);
        for (int round = 0; round < 40; ++round) {
            std::wstring text;
            const size_t units = 1 + random() % 20000;
            for (size_t i = 0; i < units; ++i)
                text += random() % 2 ? kSyntax[random() % (std::size(kSyntax) - 1)]
                                     : static_cast<wchar_t>(random() % 0x10000);
            if (round % 4 == 1)  // garbage that still ends in a component list
                text += L"\n[HaveCompose]\nAll=q,Q,\"\",||\n";
            std::string bytes(round % 3 ? "\xFF\xFE" : "");
            for (wchar_t c : text) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            if (round % 5 == 0)
                bytes.push_back('\x5B');
            tntest::WriteBytes(install_.Root() + L"Install\\Product\\P.ini", bytes);
            tn::CProduct product;
            const int result = product.LoadByName(L"P", 0);
            EXPECT_TRUE(result == 0 || result == 300) << result;
            EXPECT_EQ(result == 0, !product.Components.empty());
        }
    }
}

}  // namespace
