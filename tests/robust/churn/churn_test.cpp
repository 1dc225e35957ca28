// Files that change underneath a reader. One process rewrites install.ini,
// product and component files over and over while another asks the library
// about them through TNInstall.dll. With each file replaced whole, as the
// library's own save does, every answer must be one that some mix of the
// old and new versions gives (never one made of half a file); with files
// rewritten in place, as other programs may, the reader must still end
// without a crash or a hang, and keep to its buffers.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "demo_files.h"
#include "demo_install.h"
#include "export_calls.h"
#include "file_util.h"
#include "install/layout.h"
#include "mutator.h"
#include "test_support.h"

namespace tnrobust {
namespace {

// How often the reader asks all its questions; a few seconds' worth.
constexpr unsigned kRounds = 40;
// A watch for hangs, far above what the runs take: past it the process is
// ended and the test fails.
constexpr DWORD kHangMilliseconds = 300000;
// The new versions begin with this many comment lines, so that half of such
// a file lacks its sections altogether.
constexpr int kPaddingLines = 150;

// The questions, each reading one or a few of the changing files. Several
// have the same answer in both versions and another one for a file read
// half: those catch a torn read.
const wchar_t* const kCalls[] = {
    L"6|b:260|i:260|s:Engine|s:x.dll",
    L"6|b:260|i:260|s:Core|n",
    L"5|b:260|i:260|s:Core|s:tnmain.exe|n",
    L"5|b:260|i:260|s:Engine|s:tnui.dll|n",
    L"9|s:Engine",
    L"9|s:Core",
    L"10|s:NetTools",
    L"7|b:260|i:260|s:Engine|i:0",
    L"7|b:260|i:260|s:Core|i:1",
    L"8|s:Antivirus",
    L"8|s:InternetSecurity",
    L"12|s:Engine",
    L"18|b:260|i:260|s:tnol.exe|b:512",
    L"15",
};

std::wstring Padding()
{
    std::wstring text;
    for (int i = 0; i < kPaddingLines; ++i)
        text += L"; " + std::wstring(100, L'-') + L"\n";
    return text;
}

// Each changing file: its place and its new version (the old is the demo's).
struct Change {
    const wchar_t* relative;
    std::wstring (*make)(const std::wstring& demo);
};

std::wstring Replace(std::wstring text, const std::wstring& from, const std::wstring& to)
{
    const size_t at = text.find(from);
    if (at != std::wstring::npos)
        text.replace(at, from.size(), to);
    return text;
}

const Change kChanges[] = {
    {L"Install\\install.ini",
     [](const std::wstring&) {
         return Padding() +
                L"[InstallProduct]\nProductList=NetTools,InternetSecurity,Antivirus\n\n"
                L"[InstallCompose]\nComposeList=Core,Signatures,UI,Updater,Shell,Firewall,"
                L"NetFilter,MailGuard,Legacy\nLangGroup=0409\n";
     }},
    {L"Install\\Compose\\Engine.ini",
     [](const std::wstring& demo) {
         return Padding() + Replace(demo, L"Path=Program\\Engine", L"Path=Program\\EngineB");
     }},
    {L"Install\\Compose\\Core.ini",
     [](const std::wstring& demo) {
         return Padding() + Replace(demo, L"Path=Program", L"Path=ProgramB");
     }},
    {L"Install\\Product\\Antivirus.ini",
     [](const std::wstring& demo) {
         return Padding() + Replace(Replace(demo, L"ProductID=101", L"ProductID=201"), L"Engine,", L"");
     }},
    {L"Install\\Product\\InternetSecurity.ini",
     [](const std::wstring& demo) {
         return Padding() + Replace(demo, L"ProductID=102", L"ProductID=202");
     }},
};
constexpr size_t kChangeCount = sizeof(kChanges) / sizeof(kChanges[0]);

std::wstring DemoText(const std::wstring& relative)
{
    for (const DemoFile& file : DemoFiles())
        if (file.relative == relative)
            return file.text;
    return std::wstring();
}

struct Process {
    HANDLE handle = nullptr;
    std::wstring output;  // file receiving its standard output

    // Ends within the watch; false (and the process ended) otherwise.
    bool Wait(DWORD& exitCode)
    {
        const bool ended = WaitForSingleObject(handle, kHangMilliseconds) == WAIT_OBJECT_0;
        if (!ended)
            TerminateProcess(handle, 259);
        GetExitCodeProcess(handle, &exitCode);
        CloseHandle(handle);
        handle = nullptr;
        return ended;
    }
};

Process Start(const std::wstring& exe, const std::wstring& args, const std::wstring& output)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW start = {};
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = out;
    start.hStdError = out;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + exe + L"\" " + args;
    PROCESS_INFORMATION info = {};
    Process process;
    process.output = output;
    if (CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &start, &info)) {
        CloseHandle(info.hThread);
        process.handle = info.hProcess;
    }
    CloseHandle(out);
    return process;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

class FilesChangingUnderneath : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteDemoTree(root_);
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"UI");
        for (const tntest::FileMapEntry& entry : tntest::ReadDemoFileMap())
            tntest::SetVaultString(entry.key, entry.name.c_str(), entry.mapped.c_str());
        CreateDirectoryW(versions_.c_str(), nullptr);
        for (size_t i = 0; i < kChangeCount; ++i) {
            const std::wstring demo = DemoText(kChanges[i].relative);
            ASSERT_FALSE(demo.empty()) << tntest::ToUtf8(kChanges[i].relative);
            bytes_[i][0] = Utf16Bytes(demo, true, true);
            bytes_[i][1] = Utf16Bytes(kChanges[i].make(demo), true, true);
            ASSERT_NE(bytes_[i][0], bytes_[i][1]);
            std::wstring name = kChanges[i].relative;
            for (wchar_t& c : name)
                if (c == L'\\')
                    c = L'#';
            WriteFileBytes(versions_ + name + L".a", bytes_[i][0]);
            WriteFileBytes(versions_ + name + L".b", bytes_[i][1]);
        }
        std::string calls;
        for (const wchar_t* call : kCalls)
            calls += tntest::ToUtf8(call) + "\n";
        WriteFileBytes(callsFile_, calls);
        tn::ResetInstallDirCacheForTesting();
    }
    void TearDown() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tn::ResetInstallDirCacheForTesting();
    }

    // Every answer of each call over all mixes of old and new versions,
    // asked in this process through the same export shims.
    std::vector<std::set<std::string>> AllowedAnswers()
    {
        std::vector<std::set<std::string>> allowed(std::size(kCalls));
        const ExportTable exports = LinkedExports();
        for (unsigned mix = 0; mix < (1u << kChangeCount); ++mix) {
            for (size_t i = 0; i < kChangeCount; ++i)
                WriteFileBytes(root_ + kChanges[i].relative, bytes_[i][(mix >> i) & 1]);
            for (size_t c = 0; c < std::size(kCalls); ++c)
                allowed[c].insert(tntest::ToUtf8(RunCall(exports, ParseCall(kCalls[c])).Line()));
        }
        for (size_t i = 0; i < kChangeCount; ++i)
            WriteFileBytes(root_ + kChanges[i].relative, bytes_[i][0]);
        return allowed;
    }

    // Runs the writer and the reader side by side; the reader's lines.
    std::vector<std::string> Churn(const wchar_t* mode)
    {
        const std::wstring exe = tntest::ExeDir() + L"tn_churn.exe";
        const std::wstring stop = dir_ / L"stop";
        // A folder is passed without its last backslash, which would quote
        // the closing quote.
        const std::wstring folder = dir_.Path().substr(0, dir_.Path().size() - 1);
        Process writer = Start(exe, std::wstring(L"write ") + mode + L" \"" + folder + L"\" \"" +
                                        stop + L"\" 7",
                               dir_ / L"writer.txt");
        Process reader = Start(exe, L"query \"" + callsFile_ + L"\" " + std::to_wstring(kRounds),
                               dir_ / L"reader.txt");
        EXPECT_TRUE(writer.handle && reader.handle) << "the processes did not start";
        DWORD readerCode = 0, writerCode = 0;
        const bool readerEnded = reader.handle && reader.Wait(readerCode);
        WriteFileBytes(stop, "");
        const bool writerEnded = writer.handle && writer.Wait(writerCode);
        EXPECT_TRUE(readerEnded) << "the reader hung";
        EXPECT_EQ(0u, readerCode) << "the reader crashed";
        EXPECT_TRUE(writerEnded && writerCode == 0) << "the writer did not end well";
        const std::string writes = ReadFileBytes(dir_ / L"writer.txt");
        EXPECT_EQ(std::string::npos, writes.find("writes=0 ")) << "the writer wrote nothing";
        std::printf("%s writer: %s", tntest::ToUtf8(mode).c_str(), writes.c_str());
        return Lines(ReadFileBytes(dir_ / L"reader.txt"));
    }

    tntest::TempDir dir_;
    const std::wstring root_ = dir_ / L"Suite\\";
    const std::wstring versions_ = dir_ / L"versions\\";
    const std::wstring callsFile_ = dir_ / L"calls.txt";
    std::string bytes_[kChangeCount][2];
    tntest::MachineValue install_{L"InstallPath", root_.c_str()};
};

TEST_F(FilesChangingUnderneath, WholeReplacementsGiveAnswersOfSomeMixOfVersions)
{
    const std::vector<std::set<std::string>> allowed = AllowedAnswers();
    // Each call really tells the versions apart, or a torn file from both.
    ASSERT_GE(allowed[0].size(), 2u);
    ASSERT_EQ(1u, allowed[6].size());

    const std::vector<std::string> lines = Churn(L"atomic");
    ASSERT_EQ(kRounds * std::size(kCalls), lines.size());
    std::map<size_t, std::set<std::string>> seen;
    for (const std::string& line : lines) {
        const size_t tab = line.find('\t');
        ASSERT_NE(std::string::npos, tab) << line;
        const size_t call = std::stoul(line.substr(0, tab));
        const std::string answer = line.substr(tab + 1);
        ASSERT_LT(call, std::size(kCalls));
        EXPECT_EQ(1u, allowed[call].count(answer))
            << tntest::ToUtf8(kCalls[call]) << " answered " << answer << ", which no mix of versions gives";
        seen[call].insert(answer);
    }
    size_t varied = 0;
    for (const auto& [call, answers] : seen)
        varied += answers.size() > 1 ? 1 : 0;
    std::printf("calls that saw more than one version: %zu of %zu\n", varied, std::size(kCalls));
}

TEST_F(FilesChangingUnderneath, RewritesInPlaceEndWithoutCrashOrHang)
{
    const std::vector<std::string> lines = Churn(L"inplace");
    ASSERT_EQ(kRounds * std::size(kCalls), lines.size());
    for (const std::string& line : lines) {
        EXPECT_EQ(std::string::npos, line.find("<OVERRUN>")) << line;
        EXPECT_EQ(std::string::npos, line.find("<unterminated>")) << line;
    }
}

}  // namespace
}  // namespace tnrobust
