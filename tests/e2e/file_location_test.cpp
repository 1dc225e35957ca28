// Ordinals 3, 4, 5, 11 and 18 asked of TNInstall.dll from a fresh process,
// against a real installation tree and file map.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install_tree.h"
#include "probe_runner.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;
using tntest::RecordValue;
using tntest::RunProbe;
using tntest::ToUtf8;

class FileLocationExports : public ::testing::Test {
protected:
    void SetUp() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tntest::SetVaultString(L"FileMap\\Comp", L"a.dll", L"a_m.dll");
        tntest::SetVaultString(L"FileMap\\Comp\\bin", L"a.dll", L"a_bin.dll");
        tntest::SetVaultString(L"FileMap\\Comp2", L"x.dll", L"y.dll");
        tree.WriteComponent(L"Comp", L"[Version]\nPath=Compose\\Comp\n[HaveSection]\nComp=Files,Sys\n"
                                     L"[Files]\na.dll=" + RecordValue(L"bin") + L"\nsetup.exe=" +
                                         RecordValue(L"bin") + L"\n[Sys]\nb.dll=" +
                                         RecordValue(L"$SYSTEM32") + L"\n");
        tree.WriteComponent(L"Comp2", L"[Version]\nPath=Compose\\Comp2\n[HaveSection]\nComp2=Main\n"
                                      L"[Main]\ny.dll=" + RecordValue(L"lib") + L"\n");
        tree.WriteComponent(L"Short", L"[Version]\nPath=S\n[HaveSection]\nShort=F\n[F]\n"
                                      L"f.dll=src,dst\n");
        tree.WriteInstallIni(L"Comp");
        I = ToUtf8(tree.Dir());
    }
    void TearDown() override { tntest::DeleteVaultTree(L"FileMap"); }

    tntest::InstallTree tree;
    std::string I;
};

std::string SystemDir()
{
    wchar_t buffer[MAX_PATH] = {};
    GetSystemDirectoryW(buffer, MAX_PATH);
    return ToUtf8(buffer);
}

TEST_F(FileLocationExports, GetMappedFileName)
{
    EXPECT_EQ((Lines{"ret=1 b=a_bin.dll", "ret=1 b=a_m.dll", "ret=1 b=a_m.dll", "ret=1 b=a.dll",
                     "ret=0 b=<untouched>", "ret=1 b=a_m", "ret=1 b=", "ret=1",
                     "ret=1 b=a.dll", "ret=0"}),
              RunProbe({L"3|b:260|i:260|s:Comp|s:a.dll|s:bin", L"3|b:260|i:260|s:Comp|s:a.dll|n",
                        L"3|b:260|i:260|s:comp|s:a.dll|s:$SYSTEM32", L"3|b:260|i:260|n|s:a.dll|n",
                        L"3|b:260|i:260|s:Comp|n|n", L"3|b:4|i:4|s:Comp|s:a.dll|n",
                        L"3|b:1|i:1|s:Comp|s:a.dll|n", L"13|i:0",
                        L"3|b:260|i:260|s:Comp|s:a.dll|s:bin", L"13|i:1"}));
}

TEST_F(FileLocationExports, GetUnmappedFileName)
{
    EXPECT_EQ((Lines{"ret=1 b=a.dll b=Comp", "ret=0 b=unknown.dll b=", "ret=0 b= b=",
                     "ret=1 b=a.dll", "ret=1 b=a. b=Comp", "ret=0 b=<untouched> b=<untouched>",
                     "ret=1", "ret=0 b=a_bin.dll b="}),
              RunProbe({L"4|b:260|i:260|s:a_bin.dll|b:260", L"4|b:260|i:260|s:unknown.dll|b:260",
                        L"4|b:260|i:260|n|b:260", L"4|b:260|i:260|s:a_bin.dll|n",
                        L"4|b:3|i:3|s:a_bin.dll|b:260", L"4|b:260|i:0|s:a_bin.dll|b:260",
                        L"13|i:0", L"4|b:260|i:260|s:a_bin.dll|b:260"}));
}

TEST_F(FileLocationExports, GetComponentFilePath)
{
    EXPECT_EQ((Lines{"ret=1 b=" + I + "Compose\\Comp\\bin\\a_bin.dll",
                     "ret=1 b=" + SystemDir() + "\\b.dll",
                     "ret=1 b=" + I + "Compose\\Comp\\nothing.dll",
                     "ret=0 b=<untouched>", "ret=0 b=<untouched>", "ret=0 b=<untouched>"}),
              RunProbe({L"5|b:260|i:260|s:Comp|s:a.dll|n", L"5|b:260|i:260|s:Comp|s:b.dll|s:$system32",
                        L"5|b:260|i:260|s:Comp|s:nothing.dll|s:bin",
                        L"5|b:260|i:260|s:Nope|s:a.dll|n", L"5|b:260|i:260|n|s:a.dll|n",
                        L"5|b:260|i:260|s:Comp|n|n"}));
}

TEST_F(FileLocationExports, ShortRecordIsReportedOnStandardOutput)
{
    EXPECT_EQ((Lines{"   error ! Item Count error,current count is 2 ,request 16.",
                     "       f.dll=src,dst ", " build tools exit!",
                     "ret=1 b=" + I + "S\\dst\\f.dll"}),
              RunProbe({L"5|b:260|i:260|s:Short|s:f.dll|n"}));
}

TEST_F(FileLocationExports, FindInstalledFile)
{
    const std::string a = I + "Compose\\Comp\\bin\\a_bin.dll";
    EXPECT_EQ((Lines{"ret=1 b=" + a + " b=Comp",
                     "ret=1 b=" + I + "Compose\\Comp2\\lib\\y.dll b=Comp2",
                     "ret=0 b=<untouched> b=<untouched>", "ret=0 b=<untouched> b=<untouched>",
                     "ret=1 b=" + a.substr(0, 9) + " b=Comp", "ret=1 b=" + a,
                     "ret=0 b=<untouched> b=<untouched>", "ret=1",
                     "ret=0 b=<untouched> b=<untouched>"}),
              RunProbe({L"18|b:260|i:260|s:a.dll|b:512", L"18|b:260|i:260|s:y.dll|b:512",
                        L"18|b:260|i:260|s:nothing.dll|b:512", L"18|b:260|i:260|n|b:512",
                        L"18|b:10|i:10|s:a.dll|b:512", L"18|b:260|i:260|s:a.dll|n",
                        L"18|b:260|i:0|s:a.dll|b:512", L"13|i:0",
                        L"18|b:260|i:260|s:y.dll|b:512"}));
}

TEST_F(FileLocationExports, IsInstalledFile)
{
    const std::wstring located = tree.MakeFile(L"Compose\\Comp\\bin\\setup.exe");
    const std::wstring other = tree.MakeFile(L"Other\\setup.exe");
    EXPECT_EQ((Lines{"ret=1", "ret=1", "ret=0", "ret=0", "ret=0"}),
              RunProbe({L"11|s:" + located, L"11|s:" + tree.Dir() + L"COMPOSE\\comp\\BIN\\SETUP.EXE",
                        L"11|s:" + other, L"11|s:" + tree.Dir() + L"nowhere\\a.dll", L"11|n"}));
}

}  // namespace
