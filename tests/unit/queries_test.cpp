// The installation queries against real install trees in a temporary folder.
#include <gtest/gtest.h>

#include "install/queries.h"
#include "temp_install.h"

namespace {

class Queries : public ::testing::Test {
protected:
    tntest::TempInstall install_;
};

TEST_F(Queries, ComponentInstallDirJoinsPathAndSuffix)
{
    install_.WriteCompose(L"Scan", L"[Version]\nPath=Compose\\Scan\n");
    install_.WriteCompose(L"Flat", L"[Version]\nCurVersion=3\n");
    install_.WriteCompose(L"Slash", L"[Version]\nPath=Program\\Slash\\\n");
    const std::wstring& root = install_.Root();
    struct Case {
        const wchar_t* component;
        const wchar_t* suffix;
        std::wstring answer;
    } const cases[] = {
        {L"Scan", L"x.dll", root + L"Compose\\Scan\\x.dll"},
        {L"scan", nullptr, root + L"Compose\\Scan\\"},
        {L"Scan.v2", L"", root + L"Compose\\Scan\\"},  // the file of "Scan"
        {L"Flat", L"x.dll", root + L"x.dll"},
        {L"Flat", nullptr, root},
        {L"Slash", L"x.dll", root + L"Program\\Slash\\\\x.dll"},  // the backslash is doubled
        {L"Missing", L"x.dll", L""},
        {nullptr, L"x.dll", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answer, tn::GetComponentInstallDir(c.component, c.suffix))
            << (c.component ? c.component : L"(null)");
}

TEST_F(Queries, ReadsProductIds)
{
    install_.WriteProduct(L"Suite", L"[Version]\nProductID=102\n");
    install_.WriteProduct(L"Minus", L"[version]\nproductid= -5x\n");
    install_.WriteProduct(L"NoId", L"[Version]\nConflict=A\n");
    install_.WriteProduct(L"Word", L"[Version]\nProductID=abc\n");
    EXPECT_EQ(102, tn::ReadProductId(L"Suite"));
    EXPECT_EQ(102, tn::ReadProductId(L"SUITE"));
    EXPECT_EQ(-5, tn::ReadProductId(L"Minus"));
    EXPECT_EQ(0, tn::ReadProductId(L"NoId"));
    EXPECT_EQ(0, tn::ReadProductId(L"Word"));
    EXPECT_EQ(0, tn::ReadProductId(L"Missing"));
    EXPECT_EQ(0, tn::ReadProductId(nullptr));
}

TEST_F(Queries, InstalledListsMatchWholeNamesCaseInsensitively)
{
    EXPECT_FALSE(tn::IsProductInstalled(L"P1"));  // no install.ini yet
    EXPECT_FALSE(tn::IsComponentInstalled(L"C1"));
    install_.SetInstalled(L"P1,Suite", L"Core, Engine,Scan");
    struct Case {
        const wchar_t* name;
        bool product;
        bool component;
    } const cases[] = {
        {L"suite", true, false},  {L"P1", true, false},     {L"P", false, false},
        {L"CORE", false, true},   {L"Engine", false, false}, {L" Engine", false, true},
        {L"", false, false},      {nullptr, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.product, tn::IsProductInstalled(c.name)) << (c.name ? c.name : L"(null)");
        EXPECT_EQ(c.component, tn::IsComponentInstalled(c.name)) << (c.name ? c.name : L"(null)");
    }
    install_.SetInstalled(L"", L"");
    EXPECT_FALSE(tn::IsProductInstalled(L""));
    EXPECT_FALSE(tn::IsComponentInstalled(L"Core"));
}

// Products P1, P2 and P3 are installed in this order; the component sets
// below decide which contain what.
class ComponentProducts : public Queries {
protected:
    void SetUp() override
    {
        install_.SetInstalled(L"P1,P2,P3", L"");
        install_.WriteProduct(L"P1", L"[Version]\nProductID=11\n[HaveCompose]\nAll=Both,Ends\n");
        install_.WriteProduct(L"P2", L"[Version]\nProductID=22\n[HaveCompose]\nAll=Middle,Both\n");
        install_.WriteProduct(L"P3", L"[HaveCompose]\nAll=Ends,Both,Zero\n");
    }
};

TEST_F(ComponentProducts, ListsContainingProductsWithTheCommaBeforeEachTest)
{
    struct Case {
        const wchar_t* component;
        int byId;
        const wchar_t* answer;
    } const cases[] = {
        {L"Middle", 0, L"P2,"},      // the comma goes in before P3 is tested
        {L"middle", 1, L"22,"},
        {L"Ends", 0, L"P1,P3"},
        {L"Ends", 7, L"11,0"},       // P3 has no ProductID: 0
        {L"Both", 0, L"P1,P2,P3"},
        {L"Nowhere", 0, L""},
        {L"", 0, L""},
        {nullptr, 0, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answer, tn::ListComponentProducts(c.component, c.byId))
            << (c.component ? c.component : L"(null)") << " byId " << c.byId;
}

TEST_F(ComponentProducts, ListsEachItemOnce)
{
    install_.WriteProduct(L"P2", L"[HaveCompose]\nAll=Both\n");  // now without ProductID too
    install_.WriteProduct(L"P4", L"[HaveCompose]\nAll=Both\n");
    install_.SetInstalled(L"P3,P2,p3,P4,Gone", L"");           // Gone has no product file
    EXPECT_EQ(L"0,", tn::ListComponentProducts(L"Both", 1));
    EXPECT_EQ(L"P3,P2,P4,", tn::ListComponentProducts(L"Both", 0));
    EXPECT_EQ(L"", tn::ListComponentProducts(L"Gone", 0));
}

TEST_F(ComponentProducts, SingleProductComponent)
{
    struct Case {
        const wchar_t* component;
        bool single;
    } const cases[] = {
        {L"Middle", true},   // "P2," is one item
        {L"Ends", false},
        {L"Both", false},
        {L"Nowhere", true},  // an empty answer counts as single
        {L"", false},
        {nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.single, tn::IsSingleProductComponent(c.component))
            << (c.component ? c.component : L"(null)");

    install_.SetInstalled(L"P1", L"");  // one product: true without reading it
    EXPECT_TRUE(tn::IsSingleProductComponent(L"Both"));
    install_.SetInstalled(L",P1,,", L"");
    EXPECT_TRUE(tn::IsSingleProductComponent(L"Both"));
    DeleteFileW((install_.Root() + L"Install\\install.ini").c_str());
    EXPECT_TRUE(tn::IsSingleProductComponent(L"Both"));
    EXPECT_EQ(L"", tn::ListComponentProducts(L"Both", 0));
}

TEST_F(ComponentProducts, FollowsTheCatalogExpansion)
{
    // A component reached only as a parent or a resource is contained too; one
    // this Windows does not support is not.
    install_.WriteProduct(L"P1", L"[HaveCompose]\nAll=A\n[A]\nParent=Base\nResource=Res\n"
                                 L"[Res]\nSupportOS=10000\n");
    EXPECT_EQ(L"P1,", tn::ListComponentProducts(L"base", 0));
    EXPECT_EQ(L"", tn::ListComponentProducts(L"Res", 0));
}

}  // namespace
