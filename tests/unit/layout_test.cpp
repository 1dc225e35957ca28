#include <gtest/gtest.h>

#include "install/layout.h"
#include "test_support.h"

namespace {

class Layout : public ::testing::Test {
protected:
    void SetUp() override { tn::ResetInstallDirCacheForTesting(); }
    void TearDown() override { tn::ResetInstallDirCacheForTesting(); }
    tntest::MachineValue install_{L"InstallPath", L"C:\\Prog\\Suite"};
};

TEST_F(Layout, BuildsEveryLocationCode)
{
    struct Case {
        const wchar_t* name;
        unsigned code;
        int build;
        const wchar_t* path;
    } const cases[] = {
        {L"abc", tn::LocSource, 1, L"C:\\Prog\\Suite\\Compose\\abc\\Source\\abc.ini"},
        {L"abc", tn::LocBackup, 12, L"C:\\Prog\\Suite\\Compose\\abc\\Backup\\Build_0012\\abc.ini"},
        {L"abc", tn::LocOutput, 1, L"C:\\Prog\\Suite\\Compose\\abc\\Output\\abc.ini"},
        {L"abc", tn::LocInstall, 1, L"C:\\Prog\\Suite\\Install\\Compose\\abc.ini"},
        {L"abc.ini", tn::LocInstall, 1, L"C:\\Prog\\Suite\\Install\\Compose\\abc.ini"},
        {L"abc.def.ini", tn::LocInstall, 1, L"C:\\Prog\\Suite\\Install\\Compose\\abc.ini"},
        {L".abc", tn::LocInstall, 1, L"C:\\Prog\\Suite\\Install\\Compose\\.abc.ini"},
        {L"", tn::LocInstall, 1, L"C:\\Prog\\Suite\\Install\\Compose\\.ini"},
        {L"abc", tn::LocTemp, 1, L"C:\\Prog\\Suite\\Temp\\Compose\\abc.ini"},
        {L"abc", tn::LocOutputChange, 1, L"C:\\Prog\\Suite\\OutputChange\\abc\\Output\\abc.ini"},
        {L"abc", 6, 1, L""},
        {nullptr, tn::LocInstall, 1, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.path, tn::BuildComposeFilePath(c.name, c.code, c.build))
            << (c.name ? c.name : L"(null)") << " code " << c.code;
    EXPECT_EQ(L"C:\\Prog\\Suite\\Install\\Compose\\x.ini", tn::GetComposeFilePath(L"x.y"));
}

TEST_F(Layout, NamesTheTreeBelowTheInstallDirectory)
{
    EXPECT_EQ(L"C:\\Prog\\Suite\\Compose\\", tn::GetComposeDir());
    EXPECT_EQ(L"C:\\Prog\\Suite\\OutputChange\\", tn::GetOutputChangeDir());
    EXPECT_EQ(L"C:\\Prog\\Suite\\Install\\Product\\", tn::GetProductDir());
    EXPECT_EQ(L"C:\\Prog\\Suite\\Install\\Product\\P.x.ini", tn::GetProductFilePath(L"P.x"));
    EXPECT_EQ(L"", tn::GetProductFilePath(nullptr));
    EXPECT_EQ(L"C:\\Prog\\Suite\\Install\\install.ini", tn::GetInstallIniPath());
    EXPECT_EQ(L"C:\\Prog\\Suite\\Install\\update.ini", tn::GetUpdateIniPath());
    EXPECT_EQ(L"Build_0007", tn::GetBuildDirName(7));
    EXPECT_EQ(L"Build_12345", tn::GetBuildDirName(12345));
}

TEST_F(Layout, SlashEndedInstallPathMixesSeparators)
{
    install_.Set(L"D:/x/y/");
    EXPECT_EQ(L"D:/x/y/Install\\Compose\\abc.ini", tn::GetComposeFilePath(L"abc"));
}

TEST_F(Layout, MissingInstallPathMakesPathsRelative)
{
    install_.Set(nullptr);
    EXPECT_EQ(L"Install\\Compose\\abc.ini", tn::GetComposeFilePath(L"abc"));
}

}  // namespace
