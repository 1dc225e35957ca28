#include "platform/sysenv.h"

#include <cwchar>

namespace tn {
namespace {

// Buffer of GetSystemDirectoryFor64, terminator included.
constexpr UINT kSystemDirChars = MAX_PATH;
constexpr WORD kPrimaryLanguageMask = 0x3FF;
constexpr WORD kLangSpanish = 0x0A;

// The three WOW64 entry points of kernel32; each is null where the running
// Windows lacks it.
struct Wow64Functions {
    BOOL(WINAPI* isWow64Process)(HANDLE, PBOOL) = nullptr;
    BOOL(WINAPI* disableRedirection)(PVOID*) = nullptr;
    BOOL(WINAPI* revertRedirection)(PVOID) = nullptr;
};

template <class Fn>
Fn FindKernel32Entry(const char* name)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    if (!kernel)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

Wow64Functions ResolveWow64Functions()
{
    Wow64Functions f;
    f.isWow64Process = FindKernel32Entry<decltype(f.isWow64Process)>("IsWow64Process");
    f.disableRedirection =
        FindKernel32Entry<decltype(f.disableRedirection)>("Wow64DisableWow64FsRedirection");
    f.revertRedirection =
        FindKernel32Entry<decltype(f.revertRedirection)>("Wow64RevertWow64FsRedirection");
    return f;
}

// Filled by static initialisation when the module is loaded, before any
// export can run, and only read afterwards.
const Wow64Functions g_wow64 = ResolveWow64Functions();

LANGID (*g_uiLanguageSource)() = nullptr;

// True only when IsWow64Process exists and says so for this process.
bool IsWow64()
{
    if (!g_wow64.isWow64Process)
        return false;
    BOOL wow64 = FALSE;
    g_wow64.isWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

DWORD VersionBit(DWORD platformId, DWORD major, DWORD minor, WORD servicePackMajor)
{
    if (platformId == VER_PLATFORM_WIN32_WINDOWS && major == 4) {
        if (minor == 0)
            return WINTYPE_95;
        if (minor == 10)
            return WINTYPE_98;
        if (minor == 90)
            return WINTYPE_ME;
    }
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (major == 4 && minor == 0)
            return WINTYPE_NT4;
        if (major == 5 && minor == 0)
            return WINTYPE_2000;
        if (major == 5 && minor == 1 && servicePackMajor >= 2)
            return WINTYPE_XPSP2;
        if (major == 5 && minor == 2)
            return WINTYPE_2003;
        if (major == 6)
            return WINTYPE_V6;
    }
    return WINTYPE_OTHER;
}

LANGID SystemLanguageFromWindows()
{
    using UiLanguageFn = LANGID(WINAPI*)();
    HMODULE kernel = GetModuleHandleW(L"Kernel32.dll");
    if (kernel) {
        auto uiLanguage = reinterpret_cast<UiLanguageFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "GetUserDefaultUILanguage")));
        if (uiLanguage)
            return uiLanguage();
    }
    return GetUserDefaultLangID();
}

}  // namespace

DWORD ClassifyWindowsVersion(DWORD platformId, DWORD major, DWORD minor,
                             WORD servicePackMajor, bool wow64)
{
    const DWORD version = VersionBit(platformId, major, minor, servicePackMajor);
    if (wow64)
        return version == WINTYPE_2003 ? WINTYPE_2003_WOW64 : WINTYPE_WOW64;
    return version | (platformId == VER_PLATFORM_WIN32_NT ? WINTYPE_NT : WINTYPE_9X);
}

DWORD GetWindowsVersionMask(int* isNt)
{
    // A failed call leaves the record zeroed, which classifies as "other".
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
    if (isNt)
        *isNt = info.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0;
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                                  info.wServicePackMajor, IsWow64());
}

int GetSystemDirectoryFor64(wchar_t* buffer)
{
    if (!IsWow64())
        return 0;
    if (!g_wow64.disableRedirection || !g_wow64.revertRedirection)
        return 0;
    PVOID token = nullptr;
    if (!g_wow64.disableRedirection(&token))
        return 0;
    // Read into a local buffer so that a failed or over-long answer leaves
    // the caller's buffer untouched and is reported as a failure.
    wchar_t directory[kSystemDirChars] = {};
    const UINT length = GetSystemDirectoryW(directory, kSystemDirChars);
    g_wow64.revertRedirection(token);
    if (length == 0 || length >= kSystemDirChars)
        return 0;
    wmemcpy(buffer, directory, length + 1);
    return 1;
}

void SetUILanguageSourceForTesting(LANGID (*source)()) { g_uiLanguageSource = source; }

LANGID GetSystemUILanguage()
{
    const LANGID language = g_uiLanguageSource ? g_uiLanguageSource() : SystemLanguageFromWindows();
    // Every sort of Spanish is offered as the one primary language.
    if ((language & kPrimaryLanguageMask) == kLangSpanish)
        return kLangSpanish;
    return language;
}

}  // namespace tn
