// The diagnostic log: line layout, and real files below a temporary install
// tree. The folder rule in fresh processes is in the e2e tests.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "install/layout.h"
#include "platform/log.h"
#include "platform/log_line.h"
#include "test_support.h"

namespace {

using tntest::MachineValue;
using tntest::TempDir;

const char kStamp[] = "2009-03-07 14:05:09";
constexpr char kFill = '\x7f';

TEST(LogLine, TimestampIsLocalTimeInFixedWidth)
{
    SYSTEMTIME time = {};
    time.wYear = 2009;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 14;
    time.wMinute = 5;
    time.wSecond = 9;
    char stamp[tn::kTimestampBytes];
    tn::FormatTimestamp(time, stamp);
    EXPECT_STREQ(kStamp, stamp);
}

// A system text longer than the line buffer is cut; the line keeps its
// stamp, code and ending, and nothing lands past the buffer.
TEST(LogLine, CutsTextsThatDoNotFit)
{
    const std::string head = std::string(kStamp) + " APICode : 0x00000005 ";
    const std::string text(700, 'x');
    for (size_t capacity : {head.size() + 3 + 1, head.size() + 3 + 2, size_t(100), size_t(512)}) {
        std::string line(capacity + 16, kFill);
        const size_t length = tn::FormatApiCodeLine(&line[0], capacity, kStamp, 5, text.c_str());
        EXPECT_EQ(capacity - 1, length) << capacity;
        EXPECT_EQ(head + std::string(capacity - 1 - head.size() - 3, 'x') + " \r\n",
                  line.substr(0, length)) << capacity;
        EXPECT_EQ('\0', line[length]);
        EXPECT_EQ(std::string(16, kFill), line.substr(capacity)) << "written past the buffer";
    }
    // Buffers too small even for the stamp stay within their bounds.
    for (size_t capacity : {size_t(0), size_t(1), size_t(5), size_t(20)}) {
        std::string line(capacity + 16, kFill);
        const size_t length = tn::FormatMessageLine(&line[0], capacity, kStamp, "abc");
        EXPECT_LT(length, capacity == 0 ? 1 : capacity);
        EXPECT_EQ(std::string(16, kFill), line.substr(capacity)) << capacity;
    }
}

std::string ExeName()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path);
    return full.substr(full.find_last_of('\\') + 1);
}

std::string SystemText(DWORD code)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_FROM_SYSTEM,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = text ? text : "";
    if (text)
        LocalFree(text);
    return result;
}

// Replaces every timestamp at a line start with a fixed one, after checking
// its shape.
std::string Unstamped(const std::string& log)
{
    static const std::regex stamp(R"((^|\n)\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )");
    return std::regex_replace(log, stamp, "$1<t> ");
}

class LogFiles : public testing::Test {
protected:
    void SetUp() override
    {
        install_ = tmp_ / L"Suite\\";
        tntest::MakeDirs(install_);
        UseInstallDir(install_.c_str());
    }
    void TearDown() override
    {
        tn::ResetLogFolderForTesting();
        tn::ResetInstallDirCacheForTesting();
    }
    void UseInstallDir(const wchar_t* dir)
    {
        installValue_.Set(dir);
        tn::ResetInstallDirCacheForTesting();
        tn::ResetLogFolderForTesting();
    }
    std::wstring LogPath() const
    {
        return install_ + L"Data\\TNLog\\" + tntest::FromUtf8(ExeName()) + L".log";
    }

    TempDir tmp_;
    std::wstring install_;
    MachineValue installValue_{L"InstallPath", nullptr};
};

TEST_F(LogFiles, AppendsOneLinePerMessageAndTheCodeLines)
{
    tn::WriteLogA("abc");
    tn::WriteLogA("first", 5, 0);
    tn::WriteLogA("second", 0x2000ABCD, 12);  // a code the system has no text for
    tn::WriteLogW(L"wide", 0, -3);
    tn::WriteLogPairW(L"waring!!! clsid=", L"{01}");
    tn::WriteLogPairW(nullptr, nullptr);
    const std::string text5 = SystemText(5);
    ASSERT_FALSE(text5.empty());
    ASSERT_TRUE(SystemText(0x2000ABCD).empty());
    EXPECT_EQ("<t> abc \r\n"
              "<t> first \r\n"
              "<t> APICode : 0x00000005 " + text5 + " \r\n"
              "<t> second \r\n"
              "<t> APICode : 0x2000abcd \r\n"
              "<t> modCode : 12 \r\n"
              "<t> wide \r\n"
              "<t> modCode : -3 \r\n"
              "<t> waring!!! clsid={01} \r\n"
              "<t>  \r\n",
              Unstamped(tntest::ReadBytes(LogPath())));
}

TEST_F(LogFiles, WideTextUsesTheThreadCodePage)
{
    const wchar_t* text = L"K\u00f6ln \u00e9t\u00e9";
    char expected[64] = {};
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, expected, sizeof(expected), nullptr, nullptr);
    tn::WriteLogW(text);
    EXPECT_EQ("<t> " + std::string(expected) + " \r\n", Unstamped(tntest::ReadBytes(LogPath())));
}

TEST_F(LogFiles, NullMessageWritesNothingAndCreatesNoFolder)
{
    tn::WriteLogA(nullptr, 5, 1);
    tn::WriteLogW(nullptr, 5, 1);
    EXPECT_FALSE(tntest::FileExists(install_ + L"Data"));
    // Nor does it fix the folder: the first real message does.
    const std::wstring other = tmp_ / L"Other\\";
    tntest::MakeDirs(other);
    installValue_.Set(other.c_str());
    tn::ResetInstallDirCacheForTesting();
    tn::WriteLogA("x");
    const std::wstring otherLog = other + L"Data\\TNLog\\" + tntest::FromUtf8(ExeName()) + L".log";
    EXPECT_TRUE(tntest::FileExists(otherLog));
    EXPECT_FALSE(tntest::FileExists(install_ + L"Data"));
}

TEST_F(LogFiles, StartsAfreshOnlyAboveTheSizeLimit)
{
    tn::WriteLogA("make the folders");
    for (DWORD size : {tn::kLogSizeLimit, tn::kLogSizeLimit + 1}) {
        const std::string old(size, 'o');
        tntest::WriteBytes(LogPath(), old);
        tn::WriteLogA("next");
        const std::string log = tntest::ReadBytes(LogPath());
        const size_t kept = size == tn::kLogSizeLimit ? size : 0;
        ASSERT_GE(log.size(), kept) << size;
        EXPECT_TRUE(log.compare(0, kept, old, 0, kept) == 0) << size;
        EXPECT_EQ("<t> next \r\n", Unstamped(log.substr(kept))) << size;
    }
}

// The file path buffer holds 260 bytes with its terminator: a path of 259
// characters is written, a longer one drops the call.
TEST_F(LogFiles, DropsCallsWhoseFilePathDoesNotFit)
{
    const size_t tail = std::string("Data\\TNLog\\").size() + ExeName().size() + 4;  // ".log"
    for (size_t pathLength : {size_t(259), size_t(260)}) {
        const size_t dirLength = pathLength - tail;
        std::wstring dir = tmp_.Path();
        dir += std::wstring(dirLength - dir.size() - 1, L'd') + L"\\";
        ASSERT_EQ(dirLength, dir.size());
        tntest::MakeDirs(dir);
        UseInstallDir(dir.c_str());
        tn::WriteLogA("long");
        const std::wstring log = dir + L"Data\\TNLog\\" + tntest::FromUtf8(ExeName()) + L".log";
        ASSERT_EQ(pathLength, log.size());
        EXPECT_EQ(pathLength < MAX_PATH, tntest::FileExists(log)) << pathLength;
    }
}

}  // namespace
