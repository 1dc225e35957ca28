// Every export on the demo installation, with allocation number N made to
// fail, for N = 1, 2, 3, ... until a call completes without reaching N: once
// with every allocation from N on failing, once with allocation N alone
// failing. Each run must end with the export's failure answer (or the
// correct answer, when the failure was absorbed), keep to its buffers,
// leave no block allocated, and change no file.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "alloc_hooks.h"
#include "demo_files.h"
#include "demo_install.h"
#include "export_calls.h"
#include "platform/log.h"
#include "test_support.h"
#include "tree_hash.h"
#include "install/log_folder.h"

namespace tnrobust {
namespace {

// No demo call needs more allocations than this; reaching it means the
// sweep does not end.
constexpr uint64_t kMaxAllocations = 200000;
// The stored language: one the demo does not offer, so that the answer
// (the first offered, 0804) differs from both fallbacks.
constexpr DWORD kStoredLanguage = 0x0411;

int64_t g_liveBefore = 0;
int64_t g_liveAfter = 0;
FailMode g_mode = FailMode::Off;
uint64_t g_failAt = 0;

void Arm()
{
    g_liveBefore = LiveBlocks();
    ArmAllocationFailure(g_mode, g_failAt);
}

void Disarm()
{
    DisarmAllocationFailure();
    g_liveAfter = LiveBlocks();
}

bool IsStringOrdinal(int ordinal)
{
    return ordinal == 1 || ordinal == 2 || ordinal == 3 || ordinal == 5 || ordinal == 6 ||
           ordinal == 7 || ordinal == 18;
}

// The answers an export may give when memory runs out.
std::set<std::wstring> FailureAnswers(const ExportCall& call)
{
    const int ordinal = call.ordinal;
    std::wstring untouched = L"ret=0";
    std::wstring cleared = L"ret=0";
    for (const CallArg& arg : call.args) {
        if (arg.kind == CallArg::Buffer) {
            untouched += L" b=<untouched>";
            cleared += L" b=";
        }
    }
    if (IsStringOrdinal(ordinal))
        return {untouched};
    if (ordinal == 4)  // its failure is a lone NUL in each buffer
        return {cleared};
    if (ordinal >= 8 && ordinal <= 12)
        return {L"ret=0"};
    if (ordinal == 15) {
        // The stored or the system language, as when install.ini is not there.
        wchar_t system[16];
        swprintf(system, 16, L"ret=%u", unsigned(GetUserDefaultUILanguage()));
        return {L"ret=" + std::to_wstring(kStoredLanguage), system};
    }
    return {};
}

class DemoEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        dir_ = std::make_unique<tntest::TempDir>();
        root_ = dir_->Path() + L"Suite\\";
        WriteDemoTree(root_);
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"UI");
        for (const tntest::FileMapEntry& entry : tntest::ReadDemoFileMap())
            tntest::SetVaultString(entry.key, entry.name.c_str(), entry.mapped.c_str());
        const DWORD language = kStoredLanguage;
        tntest::SetVaultBytes(L"UI", L"Language", REG_DWORD, &language, sizeof(language));
        install_ = std::make_unique<tntest::MachineValue>(L"InstallPath", root_.c_str());
        backup_ = std::make_unique<tntest::MachineValue>(L"BackupPath", (root_ + L"..\\Backup").c_str());
        oem_ = std::make_unique<tntest::MachineValue>(L"OemName", L"Tessaron Demo Edition");
        // The log folder is fixed by the process's first line; written now,
        // it is not charged to the first call that logs.
        tn::WriteLogA("alloc sweep: start");
    }
    void TearDown() override
    {
        install_.reset();
        backup_.reset();
        oem_.reset();
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"UI");
        dir_.reset();
    }
    static const std::wstring& Root() { return root_; }

private:
    static inline std::wstring root_;
    std::unique_ptr<tntest::TempDir> dir_;
    std::unique_ptr<tntest::MachineValue> install_, backup_, oem_;
};

std::wstring WithRoot(std::wstring callText)
{
    const std::wstring token = L"{I}";
    for (size_t at = callText.find(token); at != std::wstring::npos; at = callText.find(token))
        callText.replace(at, token.size(), DemoEnvironment::Root());
    return callText;
}

class AllocationSweep : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(AllocationSweep, EndsWithTheFailureAnswerAndLeavesNothingBehind)
{
    const ExportTable exports = LinkedExports();
    const ExportCall call = ParseCall(WithRoot(GetParam()));
    const std::wstring callText = FormatCall(call);

    // The answer with memory to spare; asked twice so that process-wide
    // state (the install directory, the hive store's module) is in place.
    RunCall(exports, call);
    const std::wstring expected = RunCall(exports, call).Line();
    const std::set<std::wstring> failures = FailureAnswers(call);
    const uint64_t tree = HashTree(DemoEnvironment::Root());

    for (const FailMode mode : {FailMode::FromThenOn, FailMode::Once}) {
        const char* modeName = mode == FailMode::Once ? "allocation N alone" : "allocations from N on";
        uint64_t n = 1;
        for (; n <= kMaxAllocations; ++n) {
            g_mode = mode;
            g_failAt = n;
            const CallOutcome outcome = RunCall(exports, call, CallBrackets{&Arm, &Disarm});
            const std::wstring line = outcome.Line();
            const bool hit = FailuresSinceArm() != 0;
            ASSERT_EQ(g_liveBefore, g_liveAfter)
                << tntest::ToUtf8(callText) << ", " << modeName << ", N = " << n << ": blocks left";
            ASSERT_FALSE(outcome.overrun) << tntest::ToUtf8(callText) << ", N = " << n;
            if (!hit) {
                EXPECT_EQ(tntest::ToUtf8(expected), tntest::ToUtf8(line))
                    << tntest::ToUtf8(callText) << ", " << modeName << ": the call that completed";
                break;
            }
            ASSERT_TRUE(line == expected || failures.count(line) != 0)
                << tntest::ToUtf8(callText) << ", " << modeName << ", N = " << n << ": answered "
                << tntest::ToUtf8(line) << " (with memory: " << tntest::ToUtf8(expected) << ")";
        }
        ASSERT_LE(n, kMaxAllocations) << tntest::ToUtf8(callText) << ": the sweep did not end";
        if (mode == FailMode::FromThenOn)
            std::printf("%-60s %6llu allocations\n", tntest::ToUtf8(callText).substr(0, 60).c_str(),
                        static_cast<unsigned long long>(n - 1));
    }
    EXPECT_EQ(tree, HashTree(DemoEnvironment::Root())) << tntest::ToUtf8(callText) << ": a file changed";
}

// Each export at least once, with the demo's interesting roads: sections,
// destinations of every kind, the file map both ways, [OldFile_Map] moves,
// products with parents and resources, the search of all components.
const wchar_t* const kCalls[] = {
    L"1|b:260|i:260|s:Data\\TNLog\\",
    L"2|b:260|i:260",
    L"3|b:260|i:260|s:Engine|s:tnengine.dll|s:bin",
    L"3|b:260|i:260|n|s:tnmain.exe|n",
    L"4|b:260|i:260|s:tnengine_412.dll|b:260",
    L"4|b:260|i:260|s:unknown.dll|b:260",
    L"5|b:260|i:260|s:Core|s:tnmain.exe|n",
    L"5|b:260|i:260|s:Core|s:tnhook64.dll|n",
    L"5|b:260|i:260|s:Engine|s:tnengine.dll|s:config",
    L"5|b:260|i:260|s:Engine|s:tnui.dll|n",
    L"5|b:260|i:260|s:Shell|s:tnshell.dll|n",
    L"5|b:260|i:260|s:UI|s:tnsans.ttf|n",
    L"6|b:260|i:260|s:Engine|s:bin\\tnengine.dll",
    L"7|b:260|i:260|s:Core|i:0",
    L"7|b:260|i:260|s:engine|i:1",
    L"8|s:Antivirus",
    L"9|s:netfilter",
    L"10|s:antivirus",
    L"11|s:{I}Program\\Engine\\bin\\tnengine_412.dll",
    L"11|s:{I}Program\\tnmain_2.exe",
    L"12|s:MailGuard",
    L"12|s:Engine",
    L"13|i:1",
    L"14",
    L"15",
    L"16|i:0x0411",
    L"17|b:64|i:128",
    L"18|b:260|i:260|s:tnsans.ttf|b:512",
    L"18|b:260|i:260|s:tnol.exe|b:512",
    L"18|b:260|i:260|s:tnengine_412.dll|b:512",
    L"19|p",
};

INSTANTIATE_TEST_SUITE_P(Demo, AllocationSweep, ::testing::ValuesIn(kCalls));

}  // namespace
}  // namespace tnrobust

int main(int argc, char** argv)
{
    tn::UseInstallLogFolder();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tnrobust::DemoEnvironment);
    return RUN_ALL_TESTS();
}
