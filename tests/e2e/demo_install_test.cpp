// The demo installation (demo/) asked through every one of the 19 ordinals
// from fresh processes, at two Windows versions set through Wine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "demo_install.h"
#include "probe_runner.h"
#include "test_support.h"

using tntest::MachineValue;

namespace {

// Sets Wine's Windows version (HKCU\Software\Wine "Version") for the
// processes started while the object lives, and puts the old value back.
class WineVersion {
public:
    explicit WineVersion(const wchar_t* version)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key_, nullptr);
        DWORD size = 0;
        if (RegQueryValueExW(key_, L"Version", nullptr, &oldType_, nullptr, &size) ==
            ERROR_SUCCESS) {
            old_.resize(size);
            had_ = RegQueryValueExW(key_, L"Version", nullptr, &oldType_, old_.data(), &size) ==
                   ERROR_SUCCESS;
        }
        RegSetValueExW(key_, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       DWORD((wcslen(version) + 1) * sizeof(wchar_t)));
    }
    ~WineVersion()
    {
        if (had_)
            RegSetValueExW(key_, L"Version", 0, oldType_, old_.data(), DWORD(old_.size()));
        else
            RegDeleteValueW(key_, L"Version");
        RegCloseKey(key_);
    }
    WineVersion(const WineVersion&) = delete;
    WineVersion& operator=(const WineVersion&) = delete;

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> old_;
};

bool Is64BitWindows()
{
    if (sizeof(void*) == 8)
        return true;
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

bool RunsUnderWow64()
{
    return sizeof(void*) == 4 && Is64BitWindows();
}

std::wstring Expand(const wchar_t* text)
{
    wchar_t out[MAX_PATH] = {};
    ExpandEnvironmentStringsW(text, out, MAX_PATH);
    return out;
}

std::wstring SystemDir()
{
    wchar_t dir[MAX_PATH] = {};
    GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\";
}

std::wstring WindowsDir()
{
    wchar_t dir[MAX_PATH] = {};
    GetWindowsDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\";
}

// The demo copied to a temporary install directory with its file map in the
// stand-in hive store and the machine values set; all undone at the end.
class DemoInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"UI");
        ASSERT_GE(tntest::WriteDemoInstall(root_), 17u);
        const auto entries = tntest::ReadDemoFileMap();
        ASSERT_EQ(5u, entries.size());
        for (const tntest::FileMapEntry& entry : entries)
            tntest::SetVaultString(entry.key, entry.name.c_str(), entry.mapped.c_str());
    }
    void TearDown() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"UI");
    }

    struct Call {
        std::wstring call;
        std::wstring answer;  // the probe's line; a trailing '*' compares the start only
    };

    // Every export, asked about the demo. `newWindows`: the Windows version
    // is one that NetFilter (SupportOS 1000400) supports.
    std::vector<Call> Calls(bool newWindows) const
    {
        const std::wstring r = root_;
        const std::wstring sys = SystemDir(), win = WindowsDir();
        const std::wstring b = L"|b:260|i:260";
        return {
            // 1, 2, 17: the machine values.
            {L"1" + b + L"|n", L"ret=1 b=" + r},
            {L"1" + b + L"|s:Data\\TNLog\\", L"ret=1 b=" + r + L"Data\\TNLog\\"},
            {L"1|b:4|i:4|n", L"ret=1 b=" + r.substr(0, 3)},
            {L"2" + b, L"ret=1 b=" + backupDir_ + L"\\"},
            {L"17|b:64|i:128", L"ret=1 b=Tessaron Demo Edition"},
            {L"17|b:64|i:10", L"ret=0*"},  // too small: content unspecified
            // 6: component directories.
            {L"6" + b + L"|s:Engine|s:bin\\tnengine.dll",
             L"ret=1 b=" + r + L"Program\\Engine\\bin\\tnengine.dll"},
            {L"6" + b + L"|s:signatures|n", L"ret=1 b=" + r + L"Data\\Signatures\\"},
            {L"6" + b + L"|s:TNol|s:tnol.exe", L"ret=1 b=" + r + L"Online\\tnol.exe"},
            {L"6" + b + L"|s:Rescue|n", L"ret=0 b=<untouched>"},  // a product, not a component
            {L"6" + b + L"|n|s:x", L"ret=0 b=<untouched>"},
            // 7: installed products holding a component, in install.ini order.
            {L"7" + b + L"|s:Engine|i:0", L"ret=1 b=Antivirus,InternetSecurity,"},
            {L"7" + b + L"|s:engine|i:1", L"ret=1 b=101,102,"},
            {L"7" + b + L"|s:Core|i:0", L"ret=1 b=Antivirus,InternetSecurity,NetTools"},
            {L"7" + b + L"|s:Core|i:1", L"ret=1 b=101,102,0"},
            {L"7" + b + L"|s:Signatures|i:1", L"ret=1 b=101,102,"},
            {L"7" + b + L"|s:Shell|i:0", L"ret=1 b=Antivirus,NetTools"},
            {L"7" + b + L"|s:MailGuard|i:0", L"ret=1 b=InternetSecurity,"},
            // Firewall comes into NetTools as NetFilter's parent, also where
            // NetFilter itself is left out.
            {L"7" + b + L"|s:Firewall|i:0", L"ret=1 b=InternetSecurity,NetTools"},
            {L"7" + b + L"|s:NetFilter|i:0",
             newWindows ? L"ret=1 b=InternetSecurity,NetTools" : L"ret=0 b=<untouched>"},
            {L"7" + b + L"|s:Legacy|i:0", L"ret=0 b=<untouched>"},
            {L"7|b:10|i:10|s:Core|i:0", L"ret=1 b=Antivirus"},  // cut to size - 1
            // 8, 9, 10, 12: numbers and yes/no.
            {L"8|s:Antivirus", L"ret=101"},
            {L"8|s:INTERNETSECURITY", L"ret=102"},
            {L"8|s:NetTools", L"ret=0"},
            {L"8|s:Rescue", L"ret=150"},  // not installed, but its file is there
            {L"8|s:Nothing", L"ret=0"},
            {L"8|n", L"ret=0"},
            {L"9|s:netfilter", L"ret=1"},
            {L"9|s:TNol", L"ret=0"},  // built in, not listed
            {L"9|s:Net", L"ret=0"},
            {L"9|n", L"ret=0"},
            {L"10|s:antivirus", L"ret=1"},
            {L"10|s:Rescue", L"ret=0"},
            {L"10|n", L"ret=0"},
            {L"12|s:MailGuard", L"ret=1"},
            {L"12|s:Engine", L"ret=0"},
            {L"12|s:NetFilter", newWindows ? L"ret=0" : L"ret=1"},
            {L"12|s:Legacy", L"ret=1"},  // in no product
            {L"12|s:", L"ret=0"},
            {L"12|n", L"ret=0"},
            // 3, 4: the file map, both ways.
            {L"3" + b + L"|s:Engine|s:tnengine.dll|s:bin", L"ret=1 b=tnengine_412.dll"},
            {L"3" + b + L"|s:Engine|s:tnengine.dll|n", L"ret=1 b=tnengine.dll"},
            {L"3" + b + L"|s:Core|s:tnhook64.dll|s:$SYSTEM32", L"ret=1 b=tnhook64_2.dll"},
            {L"3" + b + L"|n|s:tnmain.exe|n", L"ret=1 b=tnmain.exe"},
            {L"4" + b + L"|s:tnengine_412.dll|b:260", L"ret=1 b=tnengine.dll b=Engine"},
            {L"4" + b + L"|s:DAILY_0412.SIG|b:260", L"ret=1 b=daily.sig b=Signatures"},
            {L"4" + b + L"|s:unknown.dll|b:260", L"ret=0 b=unknown.dll b="},
            // 5: files of a component, through sections, destinations,
            // filters, the file map and [OldFile_Map] moves.
            {L"5" + b + L"|s:Core|s:tnmain.exe|n", L"ret=1 b=" + r + L"Program\\tnmain.exe"},
            {L"5" + b + L"|s:Core|s:tnsvc.sys|n", L"ret=1 b=" + sys + L"drivers\\tnsvc.sys"},
            {L"5" + b + L"|s:Core|s:tnhook64.dll|n", L"ret=1 b=" + sys + L"tnhook64_2.dll"},
            {L"5" + b + L"|s:Engine|s:tnengine.dll|n",
             L"ret=1 b=" + r + L"Program\\Engine\\bin\\tnengine_412.dll"},
            {L"5" + b + L"|s:Engine|s:tnengine.dll|s:BIN",
             L"ret=1 b=" + r + L"Program\\Engine\\bin\\tnengine_412.dll"},
            {L"5" + b + L"|s:Engine|s:tnengine.dll|s:config",  // no record there: default path
             L"ret=1 b=" + r + L"Program\\Engine\\tnengine.dll"},
            {L"5" + b + L"|s:Engine|s:engine.cfg|n", L"ret=1 b=" + r + L"Program\\Engine\\config\\engine.cfg"},
            {L"5" + b + L"|s:Engine|s:tnui.dll|n", L"ret=1 b=" + r + L"Program\\UI\\tnui.dll"},
            {L"5" + b + L"|s:Engine|s:legacy.dat|n", L"ret=1 b=" + r + L"Program\\Engine\\legacy.dat"},
            {L"5" + b + L"|s:Legacy|s:tnscan.exe|n", L"ret=1 b=" + r + L"Program\\Engine\\tnscan.exe"},
            {L"5" + b + L"|s:Legacy|s:tnmail.dll|n", L"ret=1 b=" + r + L"Program\\Mail\\tnmail.dll"},
            {L"5" + b + L"|s:UI|s:tnsans.ttf|n", L"ret=1 b=" + win + L"Fonts\\tnsans_v3.ttf"},
            {L"5" + b + L"|s:UI|s:ui0409.lng|n", L"ret=1 b=" + r + L"Program\\UI\\lang\\ui0409.lng"},
            {L"5" + b + L"|s:Signatures|s:daily.sig|n",
             L"ret=1 b=" + r + L"Data\\Signatures\\daily_0412.sig"},
            {L"5" + b + L"|s:Updater|s:tnupdate.exe|n", L"ret=1 b=" + r + L"Update\\tnupdate_7.exe"},
            {L"5" + b + L"|s:Shell|s:tnshell.dll|n",
             L"ret=1 b=" + Expand(L"%CommonProgramFiles%\\Tessaron\\tnshell.dll")},
            {L"5" + b + L"|s:Shell|s:tnshell64.dll|n",
             L"ret=1 b=" + Expand(L"%ProgramFiles%\\Tessaron\\Shell\\tnshell64.dll")},
            {L"5" + b + L"|s:NetFilter|s:tnnf.sys|n", L"ret=1 b=" + sys + L"drivers\\tnnf.sys"},
            {L"5" + b + L"|s:Rescue|s:x.dll|n", L"ret=0 b=<untouched>"},
            // 18: where the installation keeps a file, and its component.
            {L"18" + b + L"|s:tnsans.ttf|b:512", L"ret=1 b=" + win + L"Fonts\\tnsans_v3.ttf b=UI"},
            {L"18" + b + L"|s:tnnfapi.dll|b:512", L"ret=1 b=" + sys + L"tnnfapi.dll b=NetFilter"},
            {L"18" + b + L"|s:tnol.exe|b:512", L"ret=1 b=" + r + L"Online\\tnol.exe b=TNol"},
            {L"18" + b + L"|s:tnupdate.exe|b:512", L"ret=1 b=" + r + L"Update\\tnupdate_7.exe b=Updater"},
            // A mapped name names its owner; the owner is searched for that
            // very name, which it has no record of: its default path.
            {L"18" + b + L"|s:tnengine_412.dll|b:512",
             L"ret=1 b=" + r + L"Program\\Engine\\tnengine_412.dll b=Engine"},
            {L"18" + b + L"|s:nothing.dll|b:512", L"ret=0 b=<untouched> b=<untouched>"},
            // 11: the installed copy of a file, its name normalised first.
            {L"11|s:" + r + L"Program\\Engine\\bin\\tnengine_412.dll", L"ret=1"},
            {L"11|s:" + r + L"Program\\tnmain.exe", L"ret=1"},
            {L"11|s:" + sys + L"drivers\\tnsvc.sys", L"ret=1"},
            {L"11|s:" + r + L"Program\\Engine\\tnengine.dll", L"ret=0"},
            {L"11|n", L"ret=0"},
            // 13, 14: the file-map switch turns both directions of the map off.
            {L"14", L"ret=1"},
            {L"13|i:0", L"ret=1"},
            {L"14", L"ret=0"},
            {L"3" + b + L"|s:Engine|s:tnengine.dll|s:bin", L"ret=1 b=tnengine.dll"},
            {L"4" + b + L"|s:tnengine_412.dll|b:260", L"ret=0 b=tnengine_412.dll b="},
            {L"5" + b + L"|s:Signatures|s:daily.sig|n",
             L"ret=1 b=" + r + L"Data\\Signatures\\daily.sig"},
            {L"13|i:1", L"ret=0"},
            // 15, 16: the language, within the installation's LangGroup 0804,0409.
            {L"16|i:0x0409", L"ret=1"},
            {L"15", L"ret=1033"},
            {L"16|i:0x0411", L"ret=1"},
            {L"15", L"ret=2052"},  // not offered: the first listed
            {L"16|i:0x10804", L"ret=1"},
            {L"15", L"ret=2052"},
        };
    }

    // Runs the calls in one fresh process and compares every line.
    void Check(const std::vector<Call>& calls, const char* when) const
    {
        std::vector<std::wstring> arguments;
        for (const Call& call : calls)
            arguments.push_back(call.call);
        const std::vector<std::string> lines = tntest::RunProbe(arguments);
        ASSERT_EQ(calls.size(), lines.size()) << when;
        for (size_t i = 0; i < calls.size(); ++i) {
            std::string expected = tntest::ToUtf8(calls[i].answer);
            std::string actual = lines[i];
            if (!expected.empty() && expected.back() == '*') {
                expected.pop_back();
                actual = actual.substr(0, expected.size());
            }
            EXPECT_EQ(expected, actual) << when << ": " << tntest::ToUtf8(calls[i].call);
        }
    }

    tntest::TempDir dir_;
    const std::wstring root_ = dir_ / L"Suite\\";
    const std::wstring backupDir_ = dir_ / L"Backup";
    MachineValue install_{L"InstallPath", root_.c_str()};
    MachineValue backup_{L"BackupPath", backupDir_.c_str()};
    MachineValue oem_{L"OemName", L"Tessaron Demo Edition"};
};

TEST_F(DemoInstall, AnswersEveryExportAtTwoWindowsVersions)
{
    // NetFilter wants the class bits 0x1000000 (version 6) or 0x400 (a WOW64
    // process on a version other than 5.2). Version 6.1 has one of them;
    // 5.2 (5.1 on 32-bit Windows) has neither, in or out of WOW64.
    struct Version {
        const wchar_t* wine;
        DWORD mask;
        bool newWindows;
    } const versions[] = {
        {L"win7", RunsUnderWow64() ? 0x400u : 0x1000002u, true},
        {Is64BitWindows() ? L"winxp64" : L"winxp",
         RunsUnderWow64() ? 0x2000000u : Is64BitWindows() ? 0x800002u : 0x400002u, false},
    };
    for (const Version& version : versions) {
        WineVersion set(version.wine);
        std::vector<Call> calls = Calls(version.newWindows);
        calls.push_back({L"19|p", L"ret=" + std::to_wstring(version.mask) + L" p=1"});
        calls.push_back({L"19|n", L"ret=" + std::to_wstring(version.mask)});
        Check(calls, tntest::ToUtf8(version.wine).c_str());
    }
}

// Code built by other compilers calls with only 4-byte stack alignment on
// 32-bit Windows; the SSE2 line scan must not rely on more. Every export
// answers as it does when called with an aligned stack.
TEST_F(DemoInstall, AnswersAlikeWithTheStackOffFromAlignment)
{
#if !defined(__i386__)
    GTEST_SKIP() << "stack alignment of 4 bytes is a 32-bit x86 calling convention: the i686 "
                    "build runs this test, natively or under the emulator";
#else
    WineVersion set(L"win7");
    const std::vector<Call> calls = Calls(true);
    for (const wchar_t* offset : {L"4", L"8", L"12", L"0"}) {
        std::vector<Call> offsetCalls{{std::wstring(L"stack|") + offset,
                                       std::wstring(L"stack ") + offset}};
        offsetCalls.insert(offsetCalls.end(), calls.begin(), calls.end());
        Check(offsetCalls, tntest::ToUtf8(offset).c_str());
    }
#endif
}

// The line scan: eight units at a time where the processor has SSE2, one at
// a time elsewhere. The 32-bit build asks IsProcessorFeaturePresent once,
// before its first parse; the probe records the question and the answer the
// DLL got. TN_EXPECT_LINE_SCAN names the path a lane must see: one-unit on
// the emulated processor without SSE2, sse2 in the ordinary lanes.
TEST_F(DemoInstall, LineScanFollowsTheProcessor)
{
    const std::wstring b = L"|b:260|i:260";
    const std::vector<std::string> lines = tntest::RunProbe(
        {L"features", L"5" + b + L"|s:Core|s:tnmain.exe|n", L"18" + b + L"|s:tnol.exe|b:512", L"asked"});
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("ret=1 b=" + tntest::ToUtf8(root_) + "Program\\tnmain.exe", lines[1]);
    EXPECT_EQ("ret=1 b=" + tntest::ToUtf8(root_) + "Online\\tnol.exe b=TNol", lines[2]);
#if defined(__i386__)
    const bool sse2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
    EXPECT_EQ("features", lines[0]);
    EXPECT_EQ(std::string("asked=10:") + (sse2 ? "1" : "0"), lines[3]);  // once, about SSE2
    std::printf("TNInstall.dll's line scan: %s\n",
                sse2 ? "SSE2, eight units at a time" : "one unit at a time (no SSE2)");
    if (const char* expected = std::getenv("TN_EXPECT_LINE_SCAN")) {
        EXPECT_STREQ(expected, sse2 ? "sse2" : "one-unit");
    }
#else
    EXPECT_EQ("features unimported", lines[0]);
    EXPECT_EQ("asked=", lines[3]);
    std::printf("TNInstall.dll's line scan: SSE2, always in the x86_64 build\n");
#endif
}

TEST_F(DemoInstall, InstallIniMissingLeavesTheProductQueriesEmpty)
{
    DeleteFileW((root_ + L"Install\\install.ini").c_str());
    const std::wstring b = L"|b:260|i:260";
    Check({
              {L"7" + b + L"|s:Core|i:0", L"ret=0 b=<untouched>"},
              {L"9|s:Core", L"ret=0"},
              {L"10|s:Antivirus", L"ret=0"},
              {L"12|s:Core", L"ret=1"},
              {L"8|s:Antivirus", L"ret=101"},  // reads the product file only
              {L"6" + b + L"|s:Core|n", L"ret=1 b=" + root_ + L"Program\\"},
              // Without install.ini nothing is searched, not even the built-in component.
              {L"18" + b + L"|s:tnol.exe|b:512", L"ret=0 b=<untouched> b=<untouched>"},
              {L"5" + b + L"|s:TNol|s:tnol.exe|n", L"ret=1 b=" + root_ + L"Online\\tnol.exe"},
          },
          "without install.ini");
}

}  // namespace
