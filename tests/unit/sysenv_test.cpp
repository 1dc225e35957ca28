// The Windows class table, the 64-bit system directory and the system
// language. The real Windows versions are checked through Wine's version
// switch in the e2e tests; here every row of the table is driven directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "platform/sysenv.h"

namespace {

constexpr DWORD k9x = VER_PLATFORM_WIN32_WINDOWS;
constexpr DWORD kNt = VER_PLATFORM_WIN32_NT;

bool ThisProcessIsWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

struct VersionCase {
    DWORD platform, major, minor;
    WORD servicePack;
    DWORD native;  // the answer outside WOW64
    DWORD wow64;   // the answer in a WOW64 process
};

TEST(WindowsVersionMask, EveryRowOfTheTable)
{
    const VersionCase cases[] = {
        {k9x, 4, 0, 0, WINTYPE_95 | WINTYPE_9X, WINTYPE_WOW64},
        {k9x, 4, 10, 0, WINTYPE_98 | WINTYPE_9X, WINTYPE_WOW64},      // 0x20001
        {k9x, 4, 10, 3, WINTYPE_98 | WINTYPE_9X, WINTYPE_WOW64},
        {k9x, 4, 90, 0, WINTYPE_ME | WINTYPE_9X, WINTYPE_WOW64},
        {k9x, 4, 1, 0, WINTYPE_OTHER | WINTYPE_9X, WINTYPE_WOW64},
        {k9x, 5, 0, 0, WINTYPE_OTHER | WINTYPE_9X, WINTYPE_WOW64},
        {k9x, 5, 2, 0, WINTYPE_OTHER | WINTYPE_9X, WINTYPE_WOW64},    // 5.2 only counts on NT
        {k9x, 6, 0, 0, WINTYPE_OTHER | WINTYPE_9X, WINTYPE_WOW64},
        {kNt, 4, 0, 6, WINTYPE_NT4 | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 4, 10, 0, WINTYPE_OTHER | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 4, 90, 0, WINTYPE_OTHER | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 3, 51, 5, WINTYPE_OTHER | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 5, 0, 0, WINTYPE_2000 | WINTYPE_NT, WINTYPE_WOW64},     // 0x100002
        {kNt, 5, 0, 4, WINTYPE_2000 | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 5, 1, 0, WINTYPE_OTHER | WINTYPE_NT, WINTYPE_WOW64},    // 0x200002
        {kNt, 5, 1, 1, WINTYPE_OTHER | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 5, 1, 2, WINTYPE_XPSP2 | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 5, 1, 3, WINTYPE_XPSP2 | WINTYPE_NT, WINTYPE_WOW64},    // 0x400002
        {kNt, 5, 2, 0, WINTYPE_2003 | WINTYPE_NT, WINTYPE_2003_WOW64},
        {kNt, 5, 2, 2, WINTYPE_2003 | WINTYPE_NT, WINTYPE_2003_WOW64},
        {kNt, 5, 3, 0, WINTYPE_OTHER | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 6, 0, 0, WINTYPE_V6 | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 6, 1, 1, WINTYPE_V6 | WINTYPE_NT, WINTYPE_WOW64},       // 0x1000002, 64-bit: 0x400
        {kNt, 6, 3, 0, WINTYPE_V6 | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 6, 99, 0, WINTYPE_V6 | WINTYPE_NT, WINTYPE_WOW64},
        {kNt, 10, 0, 0, WINTYPE_OTHER | WINTYPE_NT, WINTYPE_WOW64},
        {0, 0, 0, 0, WINTYPE_OTHER | WINTYPE_9X, WINTYPE_WOW64},      // zeroed record: 0x200001
        {0, 3, 10, 0, WINTYPE_OTHER | WINTYPE_9X, WINTYPE_WOW64},     // Win32s
        {3, 4, 0, 0, WINTYPE_OTHER | WINTYPE_9X, WINTYPE_WOW64},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << "." << c.major << "." << c.minor
                                        << " sp" << c.servicePack);
        EXPECT_EQ(c.native, tn::ClassifyWindowsVersion(c.platform, c.major, c.minor,
                                                       c.servicePack, false));
        EXPECT_EQ(c.wow64, tn::ClassifyWindowsVersion(c.platform, c.major, c.minor,
                                                      c.servicePack, true));
    }
    // The values the bits stand for are part of the interface.
    EXPECT_EQ(0x400002u, WINTYPE_XPSP2 | WINTYPE_NT);
    EXPECT_EQ(0x20001u, WINTYPE_98 | WINTYPE_9X);
    EXPECT_EQ(0x2000000u, WINTYPE_2003_WOW64);
}

TEST(WindowsVersionMask, ClassifiesThisProcessAndSetsTheFlagOnlyWhenAsked)
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)));
    const DWORD expected = tn::ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion,
                                                      info.dwMinorVersion, info.wServicePackMajor,
                                                      ThisProcessIsWow64());
    int isNt = int(0xDEADBEEF);
    EXPECT_EQ(expected, tn::GetWindowsVersionMask(&isNt));
    EXPECT_EQ(info.dwPlatformId == kNt ? 1 : 0, isNt);
    EXPECT_EQ(expected, tn::GetWindowsVersionMask(nullptr));
    if (ThisProcessIsWow64())
        EXPECT_TRUE(expected == WINTYPE_WOW64 || expected == WINTYPE_2003_WOW64) << expected;
    else
        EXPECT_EQ(info.dwPlatformId == kNt ? WINTYPE_NT : WINTYPE_9X, expected & 0x3u);
}

// Only a 32-bit process on 64-bit Windows gets the directory; any other
// process gets 0 and an untouched buffer.
TEST(SystemDirectoryFor64, FilledOnlyInWow64Process)
{
    constexpr wchar_t kFill = 0x7777;
    wchar_t buffer[MAX_PATH + 8];
    std::fill(std::begin(buffer), std::end(buffer), kFill);
    const int result = tn::GetSystemDirectoryFor64(buffer);
    for (size_t i = MAX_PATH; i < std::size(buffer); ++i)
        ASSERT_EQ(kFill, buffer[i]) << "written past the buffer";
    if (ThisProcessIsWow64()) {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        EXPECT_EQ(1, result);
        EXPECT_STREQ(system, buffer);
    } else {
        EXPECT_EQ(0, result);
        EXPECT_EQ(kFill, buffer[0]);
    }
}

LANGID g_fakeLanguage = 0;
LANGID FakeLanguage() { return g_fakeLanguage; }

TEST(SystemUILanguage, FoldsEverySpanishToThePrimaryLanguage)
{
    const struct {
        LANGID system, expected;
    } cases[] = {
        {0x0C0A, 0x000A},  // Spanish, modern sort
        {0x040A, 0x000A},  // Spanish, traditional sort
        {0x080A, 0x000A},  // Spanish, Mexico
        {0x4C0A, 0x000A},
        {0x000A, 0x000A},
        {0x050A, 0x050A},  // primary 0x10A: ten bits of primary language, not eight
        {0x0804, 0x0804},
        {0x0409, 0x0409},
        {0x040B, 0x040B},
        {0x0000, 0x0000},
    };
    for (const auto& c : cases) {
        g_fakeLanguage = c.system;
        tn::SetUILanguageSourceForTesting(&FakeLanguage);
        EXPECT_EQ(c.expected, tn::GetSystemUILanguage()) << std::hex << c.system;
    }
    tn::SetUILanguageSourceForTesting(nullptr);
    const LANGID real = GetUserDefaultUILanguage();
    EXPECT_EQ((real & 0x3FF) == 0x0A ? LANGID(0x000A) : real, tn::GetSystemUILanguage());
}

}  // namespace
