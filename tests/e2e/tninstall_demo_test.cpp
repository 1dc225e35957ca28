// tninstall.exe on the demo installation: the explained answers against the
// exports' on every query, verify on the demo and on a broken copy, info, and
// the switches. The file map is written with `tninstall map-set`.
#include <gtest/gtest.h>

#include <set>

#include "demo_install.h"
#include "test_support.h"
#include "tool_runner.h"

using tntest::Json;
using tntest::MachineValue;
using tntest::RunTool;
using tntest::RunToolJson;

namespace {

std::wstring SystemDir()
{
    wchar_t dir[MAX_PATH] = {};
    GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\";
}

std::wstring Expand(const wchar_t* text)
{
    wchar_t out[MAX_PATH] = {};
    ExpandEnvironmentStringsW(text, out, MAX_PATH);
    return out;
}

std::wstring WindowsDir()
{
    wchar_t dir[MAX_PATH] = {};
    GetWindowsDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\";
}

bool Contains(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

class ToolDemo : public ::testing::Test {
protected:
    void SetUp() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"UI");
        ASSERT_GE(tntest::WriteDemoInstall(root_), 17u);
        for (const tntest::FileMapEntry& entry : tntest::ReadDemoFileMap()) {
            // "FileMap\<owner>[\<sub-key>]"
            const std::wstring rest = entry.key.substr(wcslen(L"FileMap\\"));
            const size_t slash = rest.find(L'\\');
            std::vector<std::wstring> args = {L"map-set", rest.substr(0, slash)};
            if (slash != std::wstring::npos) {
                args.push_back(L"--sub");
                args.push_back(rest.substr(slash + 1));
            }
            args.push_back(entry.name);
            args.push_back(entry.mapped);
            ASSERT_EQ(0u, RunTool(args).exitCode) << tntest::ToUtf8(entry.key);
        }
    }
    void TearDown() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"UI");
    }

    // Rewrites a file of the demo copy from its source, texts replaced.
    void Change(const std::wstring& relative,
                const std::vector<std::pair<std::wstring, std::wstring>>& replacements)
    {
        const std::wstring text =
            tntest::FromUtf8(tntest::ReadBytes(tntest::DemoDir() + L"install\\" + relative));
        std::wstring clean;
        for (wchar_t c : text)
            if (c != L'\r')
                clean += c;
        for (const auto& replacement : replacements) {
            const size_t at = clean.find(replacement.first);
            ASSERT_NE(std::wstring::npos, at) << tntest::ToUtf8(replacement.first);
            clean.replace(at, replacement.first.size(), replacement.second);
        }
        tntest::WriteUtf16(root_ + relative, clean);
    }

    tntest::TempDir dir_;
    const std::wstring root_ = dir_ / L"Suite\\";
    MachineValue install_{L"InstallPath", root_.c_str()};
    MachineValue backup_{L"BackupPath", (dir_ / L"Backup").c_str()};
    MachineValue oem_{L"OemName", L"Tessaron Demo Edition"};
};

// The explained answer of a command, in the form the explain run reports it.
std::wstring PlainAnswer(const std::wstring& command, const Json& json)
{
    if (command == L"find")
        return json[L"result"].number ? json[L"answer"].text + L" / " + json[L"component"].text
                                      : std::wstring();
    if (command == L"unmap")
        return json[L"answer"].text + L" / " + json[L"owner"].text;
    if (command == L"is-installed")
        return json[L"answer"].boolean ? L"yes" : L"no";
    return json[L"answer"].text;
}

TEST_F(ToolDemo, ExplainedAnswerIsTheExportsOnEveryQuery)
{
    const std::wstring r = root_, sys = SystemDir(), win = WindowsDir();
    const struct {
        std::vector<std::wstring> args;
        std::wstring answer;  // the export's answer, as PlainAnswer gives it
        std::wstring step;    // a step the explanation must hold
    } queries[] = {
        {{L"map", L"Engine", L"tnengine.dll", L"bin"}, L"tnengine_412.dll", L"FileMap\\Engine\\bin maps"},
        {{L"map", L"Engine", L"tnengine.dll"}, L"tnengine.dll", L"FileMap\\Engine holds no"},
        {{L"map", L"Core", L"tnhook64.dll", L"$SYSTEM32"}, L"tnhook64_2.dll", L"FileMap\\Core maps"},
        {{L"map", L"Engine", L"tnengine.dll", L"bin", L"--no-filemap"}, L"tnengine.dll", L"switched off"},
        {{L"unmap", L"tnengine_412.dll"}, L"tnengine.dll / Engine", L"owner \"Engine\""},
        {{L"unmap", L"DAILY_0412.SIG"}, L"daily.sig / Signatures", L"FileMap\\Signatures"},
        {{L"unmap", L"unknown.dll"}, L"unknown.dll / ", L"no entry holds"},
        {{L"unmap", L"tnengine_412.dll", L"--no-filemap"}, L"tnengine_412.dll / ", L"switched off"},
        {{L"file", L"Core", L"tnmain.exe"}, r + L"Program\\tnmain.exe", L"[CoreBin] tnmain.exe="},
        {{L"file", L"Core", L"tnsvc.sys"}, sys + L"drivers\\tnsvc.sys", L"is a directory macro"},
        {{L"file", L"Core", L"tnhook64.dll"}, sys + L"tnhook64_2.dll", L"OsMask asks for the 64-bit"},
        {{L"file", L"Engine", L"tnengine.dll"}, r + L"Program\\Engine\\bin\\tnengine_412.dll", L"FileMap\\Engine\\bin maps"},
        {{L"file", L"Engine", L"tnengine.dll", L"BIN"}, r + L"Program\\Engine\\bin\\tnengine_412.dll", L"matches"},
        {{L"file", L"Engine", L"engine.cfg"}, r + L"Program\\Engine\\config\\engine.cfg", L"[EngineData] engine.cfg="},
        {{L"file", L"Engine", L"legacy.dat"}, r + L"Program\\Engine\\legacy.dat", L"default path"},
        {{L"file", L"Legacy", L"tnmail.dll"}, r + L"Program\\Mail\\tnmail.dll", L"the search moves to \"MailGuard\""},
        {{L"file", L"UI", L"ui0409.lng"}, r + L"Program\\UI\\lang\\ui0409.lng", L"FileMap\\UI\\lang holds no"},
        {{L"file", L"Signatures", L"daily.sig"}, r + L"Data\\Signatures\\daily_0412.sig", L"FileMap\\Signatures maps"},
        {{L"file", L"Updater", L"tnupdate.exe"}, r + L"Update\\tnupdate_7.exe", L"FileMap\\Updater maps"},
        {{L"file", L"Shell", L"tnshell.dll"}, Expand(L"%CommonProgramFiles%\\Tessaron\\tnshell.dll"), L"expands to"},
        {{L"file", L"Shell", L"tnshell64.dll"}, Expand(L"%ProgramFiles%\\Tessaron\\Shell\\tnshell64.dll"), L"expands to"},
        {{L"file", L"NetFilter", L"tnnf.sys"}, sys + L"drivers\\tnnf.sys", L"OsMask asks for the 64-bit"},
        {{L"file", L"Engine", L"tnengine.dll", L"config"}, r + L"Program\\Engine\\tnengine.dll", L"passed over"},
        {{L"file", L"Engine", L"tnui.dll"}, r + L"Program\\UI\\tnui.dll", L"[OldFile_Map] tnui.dll = UI"},
        {{L"file", L"Legacy", L"tnscan.exe"}, r + L"Program\\Engine\\tnscan.exe", L"the search moves to \"Engine\""},
        {{L"file", L"UI", L"tnsans.ttf"}, win + L"Fonts\\tnsans_v3.ttf", L"FileMap\\UI maps"},
        {{L"file", L"Signatures", L"daily.sig", L"--no-filemap"}, r + L"Data\\Signatures\\daily.sig", L"switched off"},
        {{L"file", L"Rescue", L"x.dll"}, L"", L"not loaded"},
        {{L"find", L"tnsans.ttf"}, win + L"Fonts\\tnsans_v3.ttf / UI", L"search order: Core, Engine"},
        {{L"find", L"tnnfapi.dll"}, sys + L"tnnfapi.dll / NetFilter", L"[NfDrv] tnnfapi.dll="},
        {{L"find", L"tnol.exe"}, r + L"Online\\tnol.exe / TNol", L"Legacy, TNol"},
        {{L"find", L"tnupdate.exe"}, r + L"Update\\tnupdate_7.exe / Updater", L"FileMap\\Updater maps"},
        {{L"find", L"tnengine_412.dll"}, r + L"Program\\Engine\\tnengine_412.dll / Engine", L"the file map names the owner \"Engine\""},
        {{L"find", L"nothing.dll"}, L"", L"no installed component holds the file"},
        {{L"is-installed", r + L"Program\\Engine\\bin\\tnengine_412.dll"}, L"yes", L"looked up as \"tnengine.dll\""},
        {{L"is-installed", r + L"PROGRAM\\tnmain.exe"}, L"yes", L"this path"},
        {{L"is-installed", sys + L"drivers\\tnsvc.sys"}, L"yes", L"this path"},
        {{L"is-installed", r + L"Program\\Engine\\tnengine.dll"}, L"no", L"located"},
    };
    for (const auto& query : queries) {
        const std::wstring command = query.args[0];
        const std::string label = tntest::ToUtf8(command + L" " + query.args[1]);
        const auto plain = RunToolJson(query.args);
        ASSERT_TRUE(plain.parsed) << label << ": " << plain.error;
        EXPECT_EQ(query.answer, PlainAnswer(command, plain.json)) << label;

        std::vector<std::wstring> explainArgs = query.args;
        explainArgs.push_back(L"--explain");
        const auto explained = RunToolJson(explainArgs);
        ASSERT_TRUE(explained.parsed) << label << ": " << explained.error;
        EXPECT_EQ(plain.exitCode, explained.exitCode) << label;
        EXPECT_EQ(query.answer, PlainAnswer(command, explained.json)) << label;
        const Json& trace = explained.json[L"explained"];
        EXPECT_EQ(query.answer, trace[L"answer"].text) << label;  // the traced run's own answer
        std::wstring steps;
        for (const Json& step : trace[L"steps"].items)
            steps += step.text + L"\n";
        EXPECT_TRUE(Contains(steps, query.step)) << label << ": " << tntest::ToUtf8(steps);
    }
}

TEST_F(ToolDemo, ExplainPrintsNumberedStepsThenTheAnswer)
{
    const auto run = RunTool({L"find", L"tnengine.dll", L"--explain"});
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ("", run.err);
    const std::wstring out = tntest::FromUtf8(run.out);
    EXPECT_EQ(0u, out.find(L"How the answer was reached:\n  1. reverse file map: no entry holds"));
    EXPECT_TRUE(Contains(out, L"Answer:\n" + root_ + L"Program\\Engine\\bin\\tnengine_412.dll\n"
                              L"component: Engine\n"));
}

TEST_F(ToolDemo, VerifyIsCleanAndInfoSummarises)
{
    const auto verify = RunToolJson({L"verify"});
    ASSERT_TRUE(verify.parsed) << verify.error;
    EXPECT_EQ(0u, verify.exitCode) << verify.raw;
    EXPECT_TRUE(verify.json[L"clean"].boolean);
    EXPECT_TRUE(verify.json[L"problems"].items.empty());
    ASSERT_EQ(1u, verify.json[L"notInAnyProduct"].items.size());
    EXPECT_EQ(L"Legacy", verify.json[L"notInAnyProduct"].items[0].text);
    EXPECT_EQ(3u, verify.json[L"products"].items.size());
    for (const Json& product : verify.json[L"products"].items)
        EXPECT_EQ(0, product[L"result"].number) << tntest::ToUtf8(product[L"name"].text);

    const auto text = RunTool({L"verify"});
    EXPECT_EQ(0u, text.exitCode);
    EXPECT_NE(std::string::npos, text.out.find("No problems found."));

    const auto info = RunToolJson({L"info"});
    ASSERT_TRUE(info.parsed) << info.error;
    EXPECT_EQ(0u, info.exitCode);
    EXPECT_EQ(root_, info.json[L"installPath"].text);
    EXPECT_EQ(L"Tessaron Demo Edition", info.json[L"oemName"].text);
    std::vector<std::wstring> products;
    for (const Json& product : info.json[L"products"].items)
        products.push_back(product[L"name"].text + L"=" +
                           std::to_wstring(int(product[L"productId"].number)));
    EXPECT_EQ((std::vector<std::wstring>{L"Antivirus=101", L"InternetSecurity=102", L"NetTools=0"}),
              products);
    const auto& components = info.json[L"components"].items;
    ASSERT_EQ(10u, components.size());
    EXPECT_EQ(L"Core", components[0][L"name"].text);
    EXPECT_EQ(root_ + L"Program\\", components[0][L"path"].text);
    EXPECT_EQ(root_ + L"Data\\Signatures\\", components[2][L"path"].text);
    ASSERT_EQ(2u, info.json[L"languageGroups"].items.size());
    EXPECT_EQ(L"Chinese (Simplified, PRC)", info.json[L"languageGroups"].items[0][L"name"].text);
}

TEST_F(ToolDemo, VerifyNamesEachProblemOfABrokenCopy)
{
    DeleteFileW((root_ + L"Install\\Compose\\Shell.ini").c_str());
    DeleteFileW((root_ + L"Install\\Product\\NetTools.ini").c_str());
    Change(L"Install\\Compose\\Updater.ini", {{L"[HaveSection]", L"[NoHaveSection]"}});
    Change(L"Install\\Compose\\MailGuard.ini", {{L"MailGuard=MailBin\n", L""}});
    Change(L"Install\\Compose\\Engine.ini",
           {{L"Engine=EngineBin,EngineData", L"Engine=EngineBin,EngineExtra,EngineData"},
            {L"[EngineData]\n", L"short.dll=bin,,4\n\n[EngineData]\n"}});
    Change(L"Install\\Compose\\UI.ini",
           {{L"[UILang]\n", L"[UILang]\ntnui.dll=lang,lang,4,1,0,410,0,0,0,0,dll,Again,0,,6,0\n"}});

    const auto run = RunToolJson({L"verify"});
    ASSERT_TRUE(run.parsed) << run.error << "\n" << run.raw;
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_FALSE(run.json[L"clean"].boolean);

    std::set<std::wstring> found;
    std::wstring reasons;
    for (const Json& problem : run.json[L"problems"].items) {
        const std::wstring subject = problem.Has(L"product") ? L"product " + problem[L"product"].text
                                                             : problem[L"component"].text;
        found.insert(subject + L":" + problem[L"kind"].text);
        reasons += problem[L"reason"].text + L"\n";
    }
    EXPECT_EQ((std::set<std::wstring>{
                  L"product NetTools:product-file", L"Shell:file-missing",
                  L"Updater:no-have-section", L"MailGuard:empty-have-section",
                  L"Engine:section-missing", L"Engine:short-record", L"UI:duplicate-file"}),
              found)
        << tntest::ToUtf8(reasons);
    for (const wchar_t* part :
         {L"product description file is missing", L"description file is missing",
          L"description file has no [HaveSection]", L"[HaveSection] is empty",
          L"section [EngineExtra], listed in [HaveSection], is missing",
          L"record line [EngineBin] short.dll=bin,,4 has 3 items, 16 needed",
          L"file tnui.dll is listed twice, in [UIBin] and in [UILang]"})
        EXPECT_TRUE(Contains(reasons, part)) << tntest::ToUtf8(part);

    // The text form names each problem with its component.
    const auto text = RunTool({L"verify"});
    EXPECT_EQ(1u, text.exitCode);
    EXPECT_EQ(std::string::npos, text.err.find("Item Count"));  // a problem here, in words
    EXPECT_NE(std::string::npos, text.out.find("7 problems:"));
    EXPECT_NE(std::string::npos, text.out.find("component Engine: section [EngineExtra]"));
}

TEST_F(ToolDemo, LibraryOutputStaysOutOfTheJson)
{
    // The record parser complains on standard output about a short line.
    Change(L"Install\\Compose\\Engine.ini", {{L"[EngineData]\n", L"short.dll=bin,,4\n\n[EngineData]\n"}});
    const auto run = RunToolJson({L"file", L"Engine", L"short.dll"});
    ASSERT_TRUE(run.parsed) << run.error << "\n" << run.raw;
    EXPECT_EQ(root_ + L"Program\\Engine\\short.dll", run.json[L"answer"].text);
    const auto text = RunTool({L"file", L"Engine", L"short.dll"});
    EXPECT_EQ(tntest::ToUtf8(root_) + "Program\\Engine\\short.dll\n", text.out);
    EXPECT_NE(std::string::npos, text.err.find("Item Count error,current count is 3"));
}

TEST_F(ToolDemo, SwitchesAndCountsReachTheExports)
{
    const struct {
        std::vector<std::wstring> args;
        unsigned long exitCode;
        std::string out;
    } cases[] = {
        {{L"map", L"Engine", L"tnengine.dll", L"bin"}, 0, "tnengine_412.dll\n"},
        {{L"--no-filemap", L"map", L"Engine", L"tnengine.dll", L"bin"}, 0, "tnengine.dll\n"},
        {{L"products-of", L"Engine"}, 0, "Antivirus,InternetSecurity,\n"},
        {{L"products-of", L"Engine", L"--ids"}, 0, "101,102,\n"},
        {{L"products-of", L"Legacy"}, 1, ""},
        {{L"single-product", L"Engine"}, 1, "no\n"},
        {{L"single-product", L"MailGuard"}, 0, "yes\n"},
        {{L"product-id", L"InternetSecurity"}, 0, "102\n"},
        {{L"product-id", L"NetTools"}, 1, "0\n"},
        {{L"component-installed", L"netfilter"}, 0, "yes\n"},
        {{L"product-installed", L"Rescue"}, 1, "no\n"},
        {{L"component-path", L"Engine", L"bin"}, 0, tntest::ToUtf8(root_) + "Program\\Engine\\bin\n"},
        {{L"language", L"--set", L"0x0411"}, 0, "stored 0x0411 Japanese\nin use: 0x0804 Chinese (Simplified, PRC)\n"},
        {{L"language", L"--set=409"}, 0, "stored 0x0409 English (United States)\nin use: 0x0409 English (United States)\n"},
        {{L"language"}, 0, "0x0409 English (United States)\n"},
    };
    for (const auto& c : cases) {
        const auto run = RunTool(c.args);
        const std::string label = tntest::ToUtf8(c.args[0] + L" " + c.args.back());
        EXPECT_EQ(c.exitCode, run.exitCode) << label;
        EXPECT_EQ(c.out, run.out) << label;
    }
    const auto products = RunToolJson({L"products-of", L"Core", L"--ids"});
    ASSERT_TRUE(products.parsed);
    std::vector<double> ids;
    for (const Json& id : products.json[L"productIds"].items)
        ids.push_back(id.number);
    EXPECT_EQ((std::vector<double>{101, 102, 0}), ids);
}

}  // namespace
