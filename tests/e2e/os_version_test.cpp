// GetOsVersionType against the Windows versions Wine can pretend to be. Each
// case sets Wine's version switch in this test prefix, starts a fresh probe
// (the version is read at process start) and checks the class for what
// GetVersionExW reported there. A 32-bit process on 64-bit Windows (the
// i686 build in a win64 prefix) must get the WOW64 values instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "probe_runner.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

// Sets one registry value for the life of the object and puts the old one
// (or its absence) back afterwards. `view` picks the 64-bit or the 32-bit
// view of a redirected key (ignored where there is only one).
class RegistryOverride {
public:
    RegistryOverride(HKEY root, const wchar_t* subKey, const wchar_t* name, REGSAM view = 0)
        : root_(root), subKey_(subKey), name_(name), view_(view)
    {
        HKEY key = Open();
        DWORD size = 0;
        if (key &&
            RegQueryValueExW(key, name, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
            oldData_.resize(size);
            had_ = RegQueryValueExW(key, name, nullptr, &oldType_, oldData_.data(), &size) ==
                   ERROR_SUCCESS;
        }
        if (key)
            RegCloseKey(key);
    }
    ~RegistryOverride()
    {
        if (had_)
            Write(oldType_, oldData_.data(), DWORD(oldData_.size()));
        else
            Delete();
    }
    RegistryOverride(const RegistryOverride&) = delete;
    RegistryOverride& operator=(const RegistryOverride&) = delete;

    void SetString(const std::wstring& text)
    {
        Write(REG_SZ, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
    void SetDword(DWORD value) { Write(REG_DWORD, &value, sizeof(value)); }
    void Delete()
    {
        if (HKEY key = Open()) {
            RegDeleteValueW(key, name_.c_str());
            RegCloseKey(key);
        }
    }

private:
    HKEY Open() const
    {
        HKEY key = nullptr;
        RegCreateKeyExW(root_, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr,
                        &key, nullptr);
        return key;
    }
    void Write(DWORD type, const void* data, DWORD size)
    {
        if (HKEY key = Open()) {
            RegSetValueExW(key, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size);
            RegCloseKey(key);
        }
    }

    HKEY root_;
    std::wstring subKey_, name_;
    REGSAM view_;
    bool had_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldData_;
};

struct Report {
    unsigned platform = 0, major = 0, minor = 0, sp = 0, wow64 = 0;
};

bool ParseReport(const std::string& line, Report& r)
{
    return std::sscanf(line.c_str(), "os=%u.%u.%u sp=%u wow64=%u", &r.platform, &r.major,
                       &r.minor, &r.sp, &r.wow64) == 5;
}

// Asks a fresh probe for the version it sees and for GetOsVersionType with
// and without the flag pointer; returns the report, the class and the flag.
struct ProbeAnswer {
    Report report;
    std::string withFlag, withoutFlag;
};

ProbeAnswer AskProbe()
{
    const Lines out = tntest::RunProbe({L"osver", L"19|p", L"19|n"});
    ProbeAnswer answer;
    EXPECT_EQ(3u, out.size());
    if (out.size() == 3) {
        EXPECT_TRUE(ParseReport(out[0], answer.report)) << out[0];
        answer.withFlag = out[1];
        answer.withoutFlag = out[2];
    }
    return answer;
}

std::string Expected(DWORD mask, unsigned platform)
{
    return "ret=" + std::to_string(mask) + " p=" + (platform == VER_PLATFORM_WIN32_NT ? "1" : "0");
}

// What each of Wine's version names reports, and its class outside WOW64.
struct WineVersion {
    const wchar_t* name;
    unsigned platform, major, minor, sp;
    DWORD native;
};

const WineVersion kWineVersions[] = {
    {L"win31", 0, 3, 10, 0, 0x200001},   // Win32s: not a listed version
    {L"win95", 1, 4, 0, 0, 0x10001},
    {L"win98", 1, 4, 10, 0, 0x20001},
    {L"winme", 1, 4, 90, 0, 0x40001},
    {L"nt351", 2, 3, 51, 5, 0x200002},
    {L"nt40", 2, 4, 0, 6, 0x80002},
    {L"win2k", 2, 5, 0, 4, 0x100002},
    {L"winxp", 2, 5, 1, 3, 0x400002},
    {L"win2k3", 2, 5, 2, 2, 0x800002},
    {L"vista", 2, 6, 0, 2, 0x1000002},
    {L"win7", 2, 6, 1, 1, 0x1000002},
    {L"win8", 2, 6, 2, 0, 0x1000002},
};

// The row whose version is the one reported; the service pack only tells
// rows apart for 5.1, where it splits the class.
const WineVersion* RowFor(const Report& r)
{
    for (const WineVersion& v : kWineVersions) {
        const bool spMatters = v.major == 5 && v.minor == 1;
        if (v.platform == r.platform && v.major == r.major && v.minor == r.minor &&
            (!spMatters || (v.sp >= 2) == (r.sp >= 2)))
            return &v;
    }
    return nullptr;
}

DWORD ClassFor(const WineVersion& row, const Report& r)
{
    if (!r.wow64)
        return row.native;
    return row.platform == 2 && row.major == 5 && row.minor == 2 ? 0x2000000 : 0x400;
}

TEST(OsVersionType, EveryVersionWineCanReport)
{
    RegistryOverride version(HKEY_CURRENT_USER, L"Software\\Wine", L"Version");
    int switched = 0;
    for (const WineVersion& v : kWineVersions) {
        version.SetString(v.name);
        const ProbeAnswer answer = AskProbe();
        const Report& r = answer.report;
        std::printf("%-7ls reported %u.%u.%u sp%u wow64=%u: %s\n", v.name, r.platform, r.major,
                    r.minor, r.sp, r.wow64, answer.withFlag.c_str());
        const WineVersion* row = RowFor(r);
        ASSERT_NE(nullptr, row) << "no row for the version Wine reported for " << v.name;
        EXPECT_EQ(Expected(ClassFor(*row, r), r.platform), answer.withFlag) << v.name;
        EXPECT_EQ("ret=" + std::to_string(ClassFor(*row, r)), answer.withoutFlag) << v.name;
        if (row == &v)
            ++switched;
    }
    // The switch must really have moved the version, at least for the NT
    // versions every prefix offers.
    EXPECT_GE(switched, 5);
}

// The NT version values Wine reads when no version name is set, in both
// views of the key, so that a 32-bit probe on 64-bit Windows sees them too.
class NtVersionOverride {
public:
    NtVersionOverride()
    {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            current_.push_back(Override(L"CurrentVersion", view));
            build_.push_back(Override(L"CurrentBuildNumber", view));
            csdText_.push_back(Override(L"CSDVersion", view));
        }
    }
    void Set(const wchar_t* version, const wchar_t* build, unsigned servicePack)
    {
        for (size_t i = 0; i < current_.size(); ++i) {
            current_[i]->SetString(version);
            build_[i]->SetString(build);
            csdText_[i]->SetString(servicePack ? L"Service Pack " + std::to_wstring(servicePack)
                                               : std::wstring());
        }
        csd_.SetDword(servicePack << 8);
    }

private:
    static std::unique_ptr<RegistryOverride> Override(const wchar_t* name, REGSAM view)
    {
        return std::make_unique<RegistryOverride>(HKEY_LOCAL_MACHINE, kNtKey, name, view);
    }

    static constexpr const wchar_t* kNtKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
    std::vector<std::unique_ptr<RegistryOverride>> current_, build_, csdText_;
    RegistryOverride csd_{HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Windows",
                          L"CSDVersion"};
};

// Windows XP below and from service pack 2.
TEST(OsVersionType, XpServicePackDecidesTheClass)
{
    RegistryOverride name(HKEY_CURRENT_USER, L"Software\\Wine", L"Version");
    NtVersionOverride nt;
    name.Delete();
    const DWORD expected[] = {0x200002, 0x200002, 0x400002, 0x400002};
    for (unsigned sp = 0; sp < 4; ++sp) {
        nt.Set(L"5.1", L"2600", sp);
        const ProbeAnswer answer = AskProbe();
        const Report& r = answer.report;
        ASSERT_EQ("2.5.1 sp" + std::to_string(sp),
                  std::to_string(r.platform) + "." + std::to_string(r.major) + "." +
                      std::to_string(r.minor) + " sp" + std::to_string(r.sp));
        EXPECT_EQ(Expected(r.wow64 ? 0x400 : expected[sp], 2), answer.withFlag) << sp;
    }
}

}  // namespace
