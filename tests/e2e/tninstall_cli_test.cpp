// tninstall.exe as a program: usage errors, help, exit codes, output
// encodings and --json, against values set in the registry and hive store.
#include <gtest/gtest.h>

#include "test_support.h"
#include "tool_runner.h"

using tntest::Json;
using tntest::MachineValue;
using tntest::RunTool;
using tntest::RunToolJson;

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(ToolUsage, ErrorsExitTwoWithTheMessageOnStandardError)
{
    const struct {
        std::vector<std::wstring> args;
        const char* message;
    } cases[] = {
        {{}, "Usage: tninstall"},
        {{L"bogus"}, "unknown command bogus"},
        {{L"find"}, "missing argument"},
        {{L"install-path", L"a", L"b"}, "too many arguments"},
        {{L"os", L"--ids"}, "--ids does not apply to os"},
        {{L"info", L"--explain"}, "--explain does not apply to info"},
        {{L"--frobnicate", L"os"}, "unknown option --frobnicate"},
        {{L"language", L"--set"}, "--set needs a value"},
        {{L"language", L"--set", L"zz"}, "hexadecimal language identifier"},
        {{L"language", L"--set", L"0x10000"}, "hexadecimal language identifier"},
        {{L"map-set", L"Scan", L"scan.dll", L""}, "must not be empty"},
        {{L"map-set", L"Sc\\an", L"scan.dll", L"x.dll"}, "must not hold a backslash"},
        {{L"map-set", L"Scan", L"scan.dll", std::wstring(260, L'm')}, "at most 259 characters"},
    };
    for (const auto& c : cases) {
        const auto run = RunTool(c.args);
        const std::string label = c.args.empty() ? "(none)" : tntest::ToUtf8(c.args[0]);
        EXPECT_EQ(2u, run.exitCode) << label;
        EXPECT_TRUE(Contains(run.err, c.message)) << label << ": " << run.err;
        EXPECT_EQ("", run.out) << label;
    }
}

TEST(ToolUsage, HelpGoesToStandardOutput)
{
    const struct {
        std::vector<std::wstring> args;
        std::vector<const char*> parts;
    } cases[] = {
        {{L"--help"}, {"Commands:", "map-set <owner> [--sub <dir>] <file> <mapped>", "Exit codes"}},
        {{L"find", L"--help"}, {"Usage: tninstall find <file> [--explain]", "FindInstalledFile (ordinal 18)"}},
        {{L"help", L"products-of"}, {"--ids", "GetComponentProducts (ordinal 7)"}},
        {{L"--version"}, {"tninstall 1.0.0.0"}},
    };
    for (const auto& c : cases) {
        const auto run = RunTool(c.args);
        EXPECT_EQ(0u, run.exitCode);
        for (const char* part : c.parts)
            EXPECT_TRUE(Contains(run.out, part)) << part << " in " << run.out;
        EXPECT_EQ("", run.err);
    }
}

TEST(ToolAnswers, PrintTheExportsAnswerAndExitByIt)
{
    MachineValue install(L"InstallPath", L"C:\\Prog\\Suite");
    MachineValue backup(L"BackupPath", nullptr);
    MachineValue oem(L"OemName", L"\u00dcber \u4e2d\u6587 Edition");
    const struct {
        std::vector<std::wstring> args;
        unsigned long exitCode;
        std::string out;
    } cases[] = {
        {{L"install-path"}, 0, "C:\\Prog\\Suite\\\n"},
        {{L"install-path", L"Compose"}, 0, "C:\\Prog\\Suite\\Compose\n"},
        {{L"backup-path"}, 1, ""},
        {{L"oem-name"}, 0, "\xC3\x9C" "ber \xE4\xB8\xAD\xE6\x96\x87 Edition\n"},  // UTF-8 when redirected
    };
    for (const auto& c : cases) {
        const auto run = RunTool(c.args);
        EXPECT_EQ(c.exitCode, run.exitCode) << tntest::ToUtf8(c.args[0]);
        EXPECT_EQ(c.out, run.out) << tntest::ToUtf8(c.args[0]);
    }
}

TEST(ToolJsonOutput, ParsesForEveryCommand)
{
    MachineValue install(L"InstallPath", L"C:\\Prog\\Suite");
    MachineValue oem(L"OemName", L"Acme \"Quoted\" \\ Edition");
    const std::vector<std::vector<std::wstring>> commands = {
        {L"install-path", L"x"}, {L"backup-path"}, {L"oem-name"},
        {L"map", L"Scan", L"scan.dll", L"bin"}, {L"unmap", L"scan_7.dll"},
        {L"file", L"Scan", L"scan.dll"}, {L"find", L"scan.dll"},
        {L"is-installed", L"C:\\x\\scan.dll"}, {L"component-path", L"Scan", L"x"},
        {L"products-of", L"Scan"}, {L"products-of", L"Scan", L"--ids"},
        {L"product-id", L"Guard"}, {L"component-installed", L"Scan"},
        {L"product-installed", L"Guard"}, {L"single-product", L"Scan"}, {L"language"},
        {L"os"}, {L"info"}, {L"verify"}, {L"bogus"}, {L"find"},
    };
    for (const auto& args : commands) {
        const std::string label = tntest::ToUtf8(args[0]);
        const auto run = RunToolJson(args);
        ASSERT_TRUE(run.parsed) << label << ": " << run.error << "\n" << run.raw;
        ASSERT_EQ(Json::Kind::Object, run.json.kind) << label;
        EXPECT_EQ(args[0], run.json[L"command"].text) << label;
        if (run.exitCode == 2) {
            EXPECT_TRUE(run.json.Has(L"error")) << label;
        } else if (run.json.Has(L"result") && args[0] != L"language" && args[0] != L"os") {
            // An export's answer: exit code 0 exactly when the result is nonzero
            // (the language and the Windows class are always answers).
            EXPECT_EQ(run.json[L"result"].number != 0, run.exitCode == 0) << label;
        }
    }
}

TEST(ToolJsonOutput, StringsKeepEveryCodeUnit)
{
    MachineValue install(L"InstallPath", L"C:\\P");
    const std::wstring suffix = std::wstring(L"q\"b\\s\tt\x01u \u00e9\u4e2d ") +
                                wchar_t(0xD83D) + wchar_t(0xDE00) + L" lone" + wchar_t(0xD800);
    const auto run = RunToolJson({L"install-path", suffix});
    ASSERT_TRUE(run.parsed) << run.error << "\n" << run.raw;
    EXPECT_EQ(L"C:\\P\\" + suffix, run.json[L"answer"].text);
    EXPECT_TRUE(Contains(run.raw, "\\u0001"));
    EXPECT_TRUE(Contains(run.raw, "\\ud800"));
    EXPECT_TRUE(Contains(run.raw, "\xF0\x9F\x98\x80"));  // the pair as one UTF-8 sequence
}

TEST(ToolMapSet, WritesTheEntryWhereLookupsReadIt)
{
    tntest::DeleteVaultTree(L"FileMap");
    const struct {
        std::vector<std::wstring> args;
        const wchar_t* key;
        const wchar_t* name;
        const wchar_t* data;
    } cases[] = {
        {{L"map-set", L"Scan", L"--sub", L"bin", L"scan.dll", L"scan_7.dll"}, L"FileMap\\Scan\\bin", L"scan.dll", L"scan_7.dll"},
        {{L"map-set", L"Scan", L"scan.exe", L"scan_2.exe"}, L"FileMap\\Scan", L"scan.exe", L"scan_2.exe"},
        {{L"map-set", L"Drv", L"--sub=$SYSTEM32", L"grd.sys", L"grd_7.sys"}, L"FileMap\\Drv", L"grd.sys", L"grd_7.sys"},
        {{L"map-set", L"Lang", L"\u4e2d.dll", L"\u4e2d_1.dll"}, L"FileMap\\Lang", L"\u4e2d.dll", L"\u4e2d_1.dll"},
    };
    for (const auto& c : cases) {
        const auto run = RunTool(c.args);
        EXPECT_EQ(0u, run.exitCode) << run.err;
        const std::wstring full = std::wstring(L"Software\\Tessaron\\Vault\\") + c.key;
        wchar_t data[300] = {};
        DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, KEY_READ, &key))
            << tntest::ToUtf8(c.key);
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, c.name, nullptr, &type,
                                                  reinterpret_cast<BYTE*>(data), &size));
        RegCloseKey(key);
        EXPECT_EQ(DWORD(REG_SZ), type);
        EXPECT_EQ(std::wstring(c.data), data);
        EXPECT_EQ((wcslen(c.data) + 1) * sizeof(wchar_t), size);  // stored with its terminator
    }
    // The library's lookups find them, both ways.
    const struct {
        std::vector<std::wstring> args;
        std::string out;
    } lookups[] = {
        {{L"map", L"Scan", L"scan.dll", L"bin"}, "scan_7.dll\n"},
        {{L"map", L"Drv", L"grd.sys", L"$SYSTEM32"}, "grd_7.sys\n"},
        {{L"unmap", L"scan_2.exe"}, "scan.exe\nowner: Scan\n"},
        {{L"unmap", L"\u4e2d_1.dll"}, "\xE4\xB8\xAD.dll\nowner: Lang\n"},
    };
    for (const auto& lookup : lookups)
        EXPECT_EQ(lookup.out, RunTool(lookup.args).out) << tntest::ToUtf8(lookup.args[1]);
    tntest::DeleteVaultTree(L"FileMap");
}

}  // namespace
