#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "install/layout.h"
#include "install/local_install.h"
#include "test_support.h"

namespace {

using tn::ILocalInstall;

// A temporary install tree with {I}Install\ and InstallPath pointing at it.
class LocalInstallTest : public ::testing::Test {
protected:
    LocalInstallTest() : installPath_(L"InstallPath", dir_.Path().c_str())
    {
        tn::ResetInstallDirCacheForTesting();
        tntest::MakeDirs(dir_ / L"Install");
    }
    ~LocalInstallTest() override { tn::ResetInstallDirCacheForTesting(); }

    std::wstring InstallIni() const { return dir_ / L"Install\\install.ini"; }
    std::wstring UpdateIni() const { return dir_ / L"Install\\update.ini"; }

    // Files are written with a leading comment, which any rewrite drops, so
    // an unchanged file proves that it was not written.
    void WriteInstall(const std::wstring& text) { tntest::WriteUtf16(InstallIni(), L";x\n" + text); }
    void WriteUpdate(const std::wstring& text) { tntest::WriteUtf16(UpdateIni(), L";x\n" + text); }
    bool InstallUntouched(const std::wstring& text) const
    {
        return tntest::ReadBytes(InstallIni()) == Utf16(L";x\n" + text);
    }
    bool UpdateUntouched(const std::wstring& text) const
    {
        return tntest::ReadBytes(UpdateIni()) == Utf16(L";x\n" + text);
    }

    // What a fresh object reads from the files now.
    static std::wstring Fresh(const wchar_t* (ILocalInstall::*get)())
    {
        tn::LocalInstallPtr fresh;
        return ((*fresh.operator->()).*get)();
    }
    static std::wstring FreshUpdateList()
    {
        tn::LocalInstallPtr fresh;
        return fresh->GetUpdateComposes();
    }

    static std::string Utf16(const std::wstring& text)
    {
        std::wstring crlf(1, L'\uFEFF');
        for (wchar_t c : text) {
            if (c == L'\n')
                crlf += L'\r';
            crlf += c;
        }
        return std::string(reinterpret_cast<const char*>(crlf.data()), crlf.size() * sizeof(wchar_t));
    }

    tntest::TempDir dir_;
    tntest::MachineValue installPath_;
};

TEST_F(LocalInstallTest, ReadsListsAndToleratesMissingFile)
{
    {
        tn::LocalInstallPtr li;
        ASSERT_TRUE(li);
        EXPECT_STREQ(L"", li->GetProductList());
        EXPECT_STREQ(L"", li->GetComposeList());
        EXPECT_STREQ(L"", li->GetLangGroup());
        EXPECT_EQ(L"", li->GetUpdateComposes());
    }
    EXPECT_FALSE(tntest::FileExists(InstallIni()));

    WriteInstall(L"[InstallProduct]\nProductList=P1,P2\n[InstallCompose]\nComposeList=C1,C2\nLangGroup=G1\n");
    tn::LocalInstallPtr li;
    EXPECT_STREQ(L"P1,P2", li->GetProductList());
    EXPECT_STREQ(L"C1,C2", li->GetComposeList());
    EXPECT_STREQ(L"G1", li->GetLangGroup());
    EXPECT_EQ(L"C1,C2", li->GetUpdateComposes());  // no update.ini: every component
    WriteUpdate(L"[Update]\nComposes=C2\n");
    EXPECT_EQ(L"C2", li->GetUpdateComposes());     // read afresh each time
    WriteInstall(L"[InstallProduct]\nProductList=other\n");
    EXPECT_STREQ(L"P1,P2", li->GetProductList());  // install.ini is read once
}

TEST_F(LocalInstallTest, ProductChanges)
{
    // "ProductList=" and a list of 2035 characters make a line of 2047, the
    // longest that reads back whole.
    const std::wstring longList = L"P," + std::wstring(2028, L'p');  // 2030 characters
    struct Case {
        const wchar_t* name;
        std::wstring products;  // ProductList before; null-like "-" means no key
        bool add;
        const wchar_t* product;
        int result;
        std::wstring after;     // list read back by a fresh object
        bool written;
    };
    const Case cases[] = {
        {L"add new", L"P1", true, L"P2", 1, L"P1,P2", true},
        {L"add other case", L"P1,P2", true, L"p1", 1, L"P1,P2", false},
        {L"add to missing key", L"-", true, L"P1", 1, L"P1", true},
        {L"add after a blank", L"A, B", true, L"B", 1, L"A, B,B", true},
        {L"add null", L"P1", true, nullptr, 0, L"P1", false},
        {L"add empty", L"P1", true, L"", 0, L"P1", false},
        {L"add past line limit", longList, true, L"ABCDE", 0, longList, false},
        {L"add up to line limit", longList, true, L"ABCD", 1, longList + L",ABCD", true},
        {L"remove listed twice", L"P1,P2,p1", false, L"P1", 1, L"P2", true},
        {L"remove only", L"P1", false, L"p1", 1, L"", true},
        {L"remove missing", L"P1,,P2", false, L"P3", 1, L"P1,,P2", false},
        {L"remove empty", L"P1", false, L"", 0, L"P1", false},
    };
    for (const Case& c : cases) {
        const std::wstring text = c.products == L"-" ? L"[Other]\nk=v\n"
                                                     : L"[Other]\nk=v\n[InstallProduct]\nProductList=" + c.products + L"\n";
        WriteInstall(text);
        {
            tn::LocalInstallPtr li;
            EXPECT_EQ(c.result, c.add ? li->AddProduct(c.product) : li->RemoveProduct(c.product)) << c.name;
        }
        EXPECT_TRUE(c.after == Fresh(&ILocalInstall::GetProductList)) << c.name;
        EXPECT_EQ(!c.written, InstallUntouched(text)) << c.name;
        if (c.written) {
            tn::CIniReader ini;
            ini.Load(InstallIni().c_str());
            EXPECT_STREQ(L"v", ini.GetString(L"Other", L"k")) << c.name << ": unknown sections kept";
        }
    }
}

TEST_F(LocalInstallTest, WritesTheDocumentedLayout)
{
    {
        tn::LocalInstallPtr li;
        EXPECT_EQ(1, li->AddProduct(L"P1"));
        EXPECT_EQ(1, li->AddProduct(L"P2"));
        for (const wchar_t* c : {L"C1", L"C2", L"C3"})
            EXPECT_EQ(1, li->AddCompose(c));
        EXPECT_EQ(1, li->AddLangGroup(L"G1"));
    }
    EXPECT_EQ(Utf16(L"[InstallProduct]\nProductList=P1,P2\n\n[InstallCompose]\nComposeList=C1,C2,C3\n"
                    L"LangGroup=G1\n\n"),
              tntest::ReadBytes(InstallIni()));
    // The fallback list already held every new component.
    EXPECT_FALSE(tntest::FileExists(UpdateIni()));
}

TEST_F(LocalInstallTest, AddCompose)
{
    // Listed already, update list lacks it: only update.ini changes.
    const std::wstring install = L"[InstallCompose]\nComposeList=C1,C2\n";
    WriteInstall(install);
    WriteUpdate(L"[Update]\nComposes=C1\n");
    {
        tn::LocalInstallPtr li;
        EXPECT_EQ(1, li->AddCompose(L"c2"));
        EXPECT_EQ(0, li->AddCompose(nullptr));
        EXPECT_EQ(0, li->AddCompose(L""));
    }
    EXPECT_TRUE(InstallUntouched(install));
    EXPECT_EQ(L"C1,c2", FreshUpdateList());

    // New name, update.ini with other sections but no Composes: untouched.
    const std::wstring update = L"[Update]\nOther=1\n";
    WriteUpdate(update);
    {
        tn::LocalInstallPtr li;
        EXPECT_EQ(1, li->AddCompose(L"C3"));
    }
    EXPECT_EQ(L"C1,C2,C3", Fresh(&ILocalInstall::GetComposeList));
    EXPECT_TRUE(UpdateUntouched(update));

    // install.ini cannot be read when it is opened (a locked byte range):
    // the lists it holds are unknown, so neither file is written, nor an
    // update list that would rest on ComposeList.
    WriteInstall(install);
    {
        tn::SetFileReadForTesting(&tntest::LockViolationRead);
        tn::LocalInstallPtr li;
        tn::SetFileReadForTesting(nullptr);
        EXPECT_EQ(0, li->AddCompose(L"C4"));
        EXPECT_EQ(0, li->AddUpdateComposes(L"C5"));
    }
    EXPECT_TRUE(InstallUntouched(install));
    EXPECT_TRUE(UpdateUntouched(update));

    // A component list with no room left: refused, neither file written.
    const std::wstring full = L"[InstallCompose]\nComposeList=" + std::wstring(2030, L'c') + L"\n";
    WriteInstall(full);
    {
        tn::LocalInstallPtr li;
        EXPECT_EQ(0, li->AddCompose(L"C12345"));
    }
    EXPECT_TRUE(InstallUntouched(full));
    EXPECT_TRUE(UpdateUntouched(update));
}

TEST_F(LocalInstallTest, RemoveCompose)
{
    // No Composes in update.ini: it receives the remaining components.
    WriteInstall(L"[InstallCompose]\nComposeList=C1,C2,C3\n");
    {
        tn::LocalInstallPtr li;
        EXPECT_EQ(1, li->RemoveCompose(L"c2"));
        EXPECT_STREQ(L"C1,C3", li->GetComposeList());
    }
    EXPECT_EQ(L"C1,C3", Fresh(&ILocalInstall::GetComposeList));
    tn::CIniReader update;
    ASSERT_TRUE(update.Load(UpdateIni().c_str()));
    EXPECT_STREQ(L"C1,C3", update.GetString(L"Update", L"Composes"));

    // A name that is not listed: install.ini is still rewritten, update.ini too.
    const std::wstring install = L"[InstallCompose]\nComposeList=C1\n";
    WriteInstall(install);
    WriteUpdate(L"[Update]\nComposes=C1,X\n");
    {
        tn::LocalInstallPtr li;
        EXPECT_EQ(1, li->RemoveCompose(L"X"));
        EXPECT_EQ(0, li->RemoveCompose(L""));
    }
    EXPECT_FALSE(InstallUntouched(install));
    EXPECT_EQ(L"C1", Fresh(&ILocalInstall::GetComposeList));
    EXPECT_EQ(L"C1", FreshUpdateList());
}

TEST_F(LocalInstallTest, LangGroups)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* before;  // null: no LangGroup key
        bool add;
        const wchar_t* groups;
        int result;
        const wchar_t* after;
        bool written;
    };
    const Case cases[] = {
        {L"add twice given", L"", true, L"G1,G1,G2", 1, L"G1,G2", true},
        {L"add present", L"G1,G2", true, L"g2,G1", 0, L"G1,G2", false},
        {L"add with empties", L"G1", true, L",G3,,", 1, L"G1,G3", true},
        {L"add null", L"G1", true, nullptr, 0, L"G1", false},
        {L"remove some", L"G1,G2,G3", false, L"g1,G3", 1, L"G2", true},
        {L"remove none", L"G1", false, L"G9", 1, L"G1", true},
        {L"remove from missing key", nullptr, false, L"G1", 1, L"", true},
        {L"remove empty", L"G1", false, L"", 0, L"G1", false},
    };
    for (const Case& c : cases) {
        std::wstring text = L"[InstallCompose]\nComposeList=C1\n";
        if (c.before)
            text += L"LangGroup=" + std::wstring(c.before) + L"\n";
        WriteInstall(text);
        {
            tn::LocalInstallPtr li;
            EXPECT_EQ(c.result, c.add ? li->AddLangGroup(c.groups) : li->RemoveLangGroup(c.groups)) << c.name;
        }
        EXPECT_EQ(c.after, Fresh(&ILocalInstall::GetLangGroup)) << c.name;
        EXPECT_EQ(!c.written, InstallUntouched(text)) << c.name;
    }
    // The key is created even when nothing was removed.
    WriteInstall(L"[InstallCompose]\nComposeList=C1\n");
    {
        tn::LocalInstallPtr li;
        EXPECT_EQ(1, li->RemoveLangGroup(L"G1"));
    }
    tn::CIniReader ini;
    ini.Load(InstallIni().c_str());
    ASSERT_NE(nullptr, ini.FindSection(L"InstallCompose"));
    EXPECT_NE(nullptr, ini.FindSection(L"InstallCompose")->FindEntry(L"LangGroup"));
}

TEST_F(LocalInstallTest, UpdateComposes)
{
    WriteInstall(L"[InstallCompose]\nComposeList=C1,C2\n");
    const std::wstring update = L"[Update]\nComposes=C1,C2\n";
    WriteUpdate(update);
    tn::LocalInstallPtr li;
    auto* full = static_cast<tn::CLocalInstall*>(li.operator->());

    EXPECT_EQ(0, li->AddUpdateComposes(L"c1,C2"));  // all present: nothing written
    EXPECT_TRUE(UpdateUntouched(update));
    EXPECT_EQ(0, li->AddUpdateComposes(L""));
    EXPECT_EQ(0, li->RemoveUpdateComposes(nullptr));
    EXPECT_EQ(1, li->AddUpdateComposes(L"C3,c3"));
    EXPECT_EQ(L"C1,C2,C3", li->GetUpdateComposes());
    EXPECT_EQ(1, li->RemoveUpdateComposes(L"C1"));
    EXPECT_EQ(L"C2,C3", li->GetUpdateComposes());

    // An empty list is written, and reads as the fallback.
    EXPECT_EQ(1, full->SetUpdateComposes(L""));
    EXPECT_EQ(L"C1,C2", li->GetUpdateComposes());
    tn::CIniReader ini;
    ASSERT_TRUE(ini.Load(UpdateIni().c_str()));
    EXPECT_NE(nullptr, ini.FindSection(L"Update")->FindEntry(L"Composes"));
    EXPECT_EQ(0, full->SetUpdateComposes(nullptr));

    // A list whose line would not read back whole is refused and nothing is
    // written: "Composes=" leaves 2038 characters.
    EXPECT_EQ(1, full->SetUpdateComposes(std::wstring(2038, L'c').c_str()));
    EXPECT_EQ(2038u, li->GetUpdateComposes().size());
    EXPECT_EQ(1, full->SetUpdateComposes(std::wstring(2030, L'c').c_str()));
    const std::string before = tntest::ReadBytes(UpdateIni());
    EXPECT_EQ(0, li->AddUpdateComposes(L"ABCDEFGH"));
    EXPECT_EQ(0, full->SetUpdateComposes(std::wstring(2039, L'x').c_str()));
    EXPECT_TRUE(before == tntest::ReadBytes(UpdateIni()));

    // A missing update.ini is created holding only the list.
    DeleteFileW(UpdateIni().c_str());
    EXPECT_EQ(1, full->SetUpdateComposes(L"C9"));
    EXPECT_EQ(Utf16(L"[Update]\nComposes=C9\n\n"), tntest::ReadBytes(UpdateIni()));
}

TEST_F(LocalInstallTest, UnwritableFiles)
{
    // install.ini and update.ini are folders: the writes fail.
    ASSERT_TRUE(CreateDirectoryW(InstallIni().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(UpdateIni().c_str(), nullptr));
    tn::LocalInstallPtr li;
    auto* full = static_cast<tn::CLocalInstall*>(li.operator->());
    EXPECT_EQ(0, li->AddProduct(L"P1"));
    EXPECT_STREQ(L"P1", li->GetProductList());  // memory keeps the change
    EXPECT_EQ(0, li->RemoveProduct(L"P1"));
    EXPECT_EQ(0, li->AddLangGroup(L"G1"));
    EXPECT_EQ(0, li->RemoveLangGroup(L"G1"));
    EXPECT_EQ(0, li->AddCompose(L"C1"));
    EXPECT_EQ(0, li->RemoveCompose(L"C1"));
    EXPECT_EQ(0, full->SetUpdateComposes(L"C1"));
    EXPECT_EQ(0, li->AddUpdateComposes(L"C2"));
    EXPECT_EQ(0, li->RemoveUpdateComposes(L"C2"));
}

}  // namespace
