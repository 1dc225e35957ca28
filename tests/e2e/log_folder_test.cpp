// The log folder is fixed by the first message of a process: below the
// install directory when "InstallPath" is known then, else below the Windows
// directory. Each case runs the log writer in a fresh process.
#include <gtest/gtest.h>

#include <regex>

#include "probe_runner.h"
#include "test_support.h"

namespace {

using tntest::MachineValue;
using tntest::TempDir;

const wchar_t kLogName[] = L"tn_log_writer.exe.log";

std::string Unstamped(const std::string& log)
{
    static const std::regex stamp(R"((^|\n)\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )");
    return std::regex_replace(log, stamp, "$1<t> ");
}

void RunWriter(const std::vector<std::wstring>& commands)
{
    const tntest::ProcessResult run =
        tntest::RunProcess(tntest::ExeDir() + L"tn_log_writer.exe", commands);
    ASSERT_EQ(0u, run.exitCode) << run.out;
}

// The Windows directory's log of the writer, removed before and after.
class WindowsLog {
public:
    WindowsLog()
    {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        folder_ = std::wstring(windows) + L"\\TNLog\\";
        DeleteFileW(Path().c_str());
    }
    ~WindowsLog()
    {
        DeleteFileW(Path().c_str());
        RemoveDirectoryW(folder_.c_str());  // only when nothing else is in it
    }
    std::wstring Path() const { return folder_ + kLogName; }

private:
    std::wstring folder_;
};

class LogFolder : public testing::Test {
protected:
    LogFolder() { tntest::MakeDirs(install_); }
    std::wstring InstallLog() const { return install_ + L"\\Data\\TNLog\\" + kLogName; }

    TempDir tmp_;
    const std::wstring install_ = tmp_ / L"Suite";  // stored without a separator
    WindowsLog windowsLog_;
    MachineValue installValue_{L"InstallPath", nullptr};
};

TEST_F(LogFolder, UnderTheInstallDirectoryCreatingEachLevel)
{
    installValue_.Set(install_.c_str());
    RunWriter({L"a|hello", L"w|again"});
    EXPECT_EQ("<t> hello \r\n<t> again \r\n", Unstamped(tntest::ReadBytes(InstallLog())));
    EXPECT_FALSE(tntest::FileExists(windowsLog_.Path()));
}

TEST_F(LogFolder, UnderTheWindowsDirectoryForTheWholeProcess)
{
    RunWriter({L"a|one", L"reg|InstallPath|" + install_, L"a|two"});
    EXPECT_EQ("<t> one \r\n<t> two \r\n", Unstamped(tntest::ReadBytes(windowsLog_.Path())));
    EXPECT_FALSE(tntest::FileExists(install_ + L"\\Data"));
    // The next process finds the install directory.
    RunWriter({L"a|three"});
    EXPECT_EQ("<t> three \r\n", Unstamped(tntest::ReadBytes(InstallLog())));
}

TEST_F(LogFolder, NullMessageNeitherWritesNorFixesTheFolder)
{
    installValue_.Set(install_.c_str());
    RunWriter({L"null"});
    EXPECT_FALSE(tntest::FileExists(install_ + L"\\Data"));

    installValue_.Set(nullptr);
    RunWriter({L"null", L"reg|InstallPath|" + install_, L"a|x"});
    EXPECT_EQ("<t> x \r\n", Unstamped(tntest::ReadBytes(InstallLog())));
    EXPECT_FALSE(tntest::FileExists(windowsLog_.Path()));
}

}  // namespace
