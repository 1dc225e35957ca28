// The install and backup paths, the OEM name and the file-map switch, asked
// of TNInstall.dll by ordinal from a fresh process each time.
#include <gtest/gtest.h>

#include "probe_runner.h"
#include "test_support.h"

using tntest::MachineValue;
using tntest::RunProbe;
using Lines = std::vector<std::string>;

namespace {

TEST(Exports, AreReachableByOrdinalOnly)
{
    HMODULE dll = LoadLibraryW((tntest::ExeDir() + L"TNInstall.dll").c_str());
    ASSERT_NE(nullptr, dll);
    for (int ordinal = 1; ordinal <= 19; ++ordinal)
        EXPECT_NE(nullptr, GetProcAddress(dll, MAKEINTRESOURCEA(ordinal))) << ordinal;
    EXPECT_EQ(nullptr, GetProcAddress(dll, MAKEINTRESOURCEA(20)));
    EXPECT_EQ(nullptr, GetProcAddress(dll, "GetInstallPath"));
    EXPECT_EQ(nullptr, GetProcAddress(dll, "GetInstallPath@12"));
    FreeLibrary(dll);
}

TEST(Exports, NullBufferAnswersZeroWithoutWork)
{
    MachineValue install(L"InstallPath", L"C:\\Prog\\Suite");
    MachineValue backup(L"BackupPath", L"E:\\Bak");
    MachineValue oem(L"OemName", L"Acme");
    const Lines out = RunProbe({L"1|n|i:260|s:x", L"2|n|i:260", L"3|n|i:260|s:o|s:f|n",
                                L"4|n|i:260|s:m|b:260", L"5|n|i:260|s:c|s:f|n",
                                L"6|n|i:260|s:c|n", L"7|n|i:260|s:c|i:0", L"17|n|i:100",
                                L"18|n|i:260|s:f|b:512"});
    ASSERT_EQ(9u, out.size());
    EXPECT_EQ("ret=0 b=<untouched>", out[3]);  // the owner buffer is not touched either
    EXPECT_EQ("ret=0 b=<untouched>", out[8]);
    for (size_t i : {0, 1, 2, 4, 5, 6, 7})
        EXPECT_EQ("ret=0", out[i]) << i;
}

TEST(GetInstallPath, AddsSeparatorAndSuffix)
{
    MachineValue install(L"InstallPath", L"C:\\Prog\\Suite");
    EXPECT_EQ((Lines{"ret=1 b=C:\\Prog\\Suite\\", "ret=1 b=C:\\Prog\\Suite\\Compose"}),
              RunProbe({L"1|b:260|i:260|n", L"1|b:260|i:260|s:Compose"}));
}

TEST(GetInstallPath, KeepsSlashEnding)
{
    MachineValue install(L"InstallPath", L"D:/x/y/");
    EXPECT_EQ((Lines{"ret=1 b=D:/x/y/", "ret=1 b=D:/x/y/abc"}),
              RunProbe({L"1|b:260|i:260|n", L"1|b:260|i:260|s:abc"}));
}

TEST(GetInstallPath, FollowsTheCopyRule)
{
    MachineValue install(L"InstallPath", L"C:\\abcd");  // answer "C:\abcd\" has 8 units
    EXPECT_EQ((Lines{"ret=1 b=C:\\abcd\\", "ret=1 b=C:\\abcd", "ret=1 b=", "ret=0 b=<untouched>"}),
              RunProbe({L"1|b:9|i:9|n", L"1|b:8|i:8|n", L"1|b:1|i:1|n", L"1|b:4|i:0|n"}));
}

TEST(GetInstallPath, MissingValueGivesSuffixAloneOrNothing)
{
    MachineValue install(L"InstallPath", nullptr);
    EXPECT_EQ((Lines{"ret=0 b=<untouched>", "ret=1 b=Compose"}),
              RunProbe({L"1|b:260|i:260|n", L"1|b:260|i:260|s:Compose"}));
}

TEST(GetInstallPath, CachesOnlyDirectoriesOfSixOrMoreCharacters)
{
    MachineValue install(L"InstallPath", L"D:\\");
    EXPECT_EQ((Lines{"ret=1 b=D:\\", "ret=1 b=E:\\longer\\", "ret=1 b=E:\\longer\\"}),
              RunProbe({L"1|b:260|i:260|n", L"reg|InstallPath|E:\\longer", L"1|b:260|i:260|n",
                        L"reg|InstallPath|F:\\other", L"1|b:260|i:260|n"}));
}

TEST(GetInstallPath, KeepsOldCacheWhenValueVanishes)
{
    MachineValue install(L"InstallPath", L"D:\\");
    EXPECT_EQ((Lines{"ret=1 b=D:\\", "ret=1 b=D:\\"}),
              RunProbe({L"1|b:260|i:260|n", L"regdel|InstallPath", L"1|b:260|i:260|n"}));
}

TEST(GetInstallPath, OverlongValuesCountAsMissing)
{
    // 258 characters fit with the added separator and the terminator; 259
    // fit only when they already end in a separator; 260 never do.
    const std::wstring base = L"C:\\" + std::wstring(255, L'a');  // 258 characters
    {
        MachineValue install(L"InstallPath", base.c_str());
        EXPECT_EQ(Lines{"ret=1 b=" + tntest::ToUtf8(base) + "\\"}, RunProbe({L"1|b:300|i:300|n"}));
    }
    {
        const std::wstring v = base + L"\\";
        MachineValue install(L"InstallPath", v.c_str());
        EXPECT_EQ(Lines{"ret=1 b=" + tntest::ToUtf8(v)}, RunProbe({L"1|b:300|i:300|n"}));
    }
    for (const std::wstring& v : {base + L"a", base + L"ab", base + L"a\\"}) {
        MachineValue install(L"InstallPath", v.c_str());
        EXPECT_EQ((Lines{"ret=0 b=<untouched>", "ret=1 b=x"}),
                  RunProbe({L"1|b:300|i:300|n", L"1|b:300|i:300|s:x"}))
            << v.size();
    }
    // 260 characters stored without a terminator fill the whole buffer.
    const std::wstring full = base + L"ab";
    tntest::SetMachineBytes(L"InstallPath", REG_SZ, full.data(), DWORD(full.size() * 2));
    EXPECT_EQ(Lines{"ret=0 b=<untouched>"}, RunProbe({L"1|b:300|i:300|n"}));
    tntest::DeleteMachineValue(L"InstallPath");
}

TEST(GetBackupPath, ReadsEveryCallAndAddsSeparator)
{
    MachineValue backup(L"BackupPath", L"E:\\Bak");
    EXPECT_EQ((Lines{"ret=1 b=E:\\Bak\\", "ret=1 b=F:\\", "ret=0 b=<untouched>", "ret=1 b=G:/b/"}),
              RunProbe({L"2|b:260|i:260", L"reg|BackupPath|F:\\", L"2|b:260|i:260",
                        L"regdel|BackupPath", L"2|b:260|i:260", L"reg|BackupPath|G:/b/",
                        L"2|b:260|i:260"}));
    const std::wstring longest = L"C:\\" + std::wstring(255, L'b');
    backup.Set((longest + L"b").c_str());
    EXPECT_EQ(Lines{"ret=0 b=<untouched>"}, RunProbe({L"2|b:300|i:300"}));
    backup.Set(L"");
    EXPECT_EQ(Lines{"ret=0 b=<untouched>"}, RunProbe({L"2|b:300|i:300"}));
}

TEST(GetOemName, CountsBytesAndRefusesWhatDoesNotFit)
{
    MachineValue oem(L"OemName", L"Acme");  // 10 bytes with the terminator
    EXPECT_EQ((Lines{"ret=1 b=Acme", "ret=1 b=Acme", "ret=0"}),
              RunProbe({L"17|b:20|i:40", L"17|b:5|i:10", L"17|n|i:9"}));
    oem.Set(nullptr);
    EXPECT_EQ(Lines{"ret=0 b=<untouched>"}, RunProbe({L"17|b:20|i:40"}));
}

TEST(FileMapSwitch, StartsAtOneAndKeepsAnyValue)
{
    EXPECT_EQ((Lines{"ret=1", "ret=1", "ret=0", "ret=0", "ret=7", "ret=7", "ret=-5"}),
              RunProbe({L"14", L"13|i:0", L"14", L"13|i:7", L"14", L"13|i:-5", L"14"}));
    // Every process starts again at 1.
    EXPECT_EQ(Lines{"ret=1"}, RunProbe({L"14"}));
}

}  // namespace
