#pragma once
// The library's exports the benchmark calls, as function pointers: either
// TNInstall.dll's, found by ordinal as the suite's programs find them, or
// the same export code linked into the benchmark (for counting allocations,
// file reads and store calls, which a separate module's code hides).
#include <windows.h>

namespace bench {

struct Api {
    int(WINAPI* FindInstalledFile)(wchar_t*, DWORD, const wchar_t*, wchar_t*) = nullptr;
    int(WINAPI* GetComponentFilePath)(wchar_t*, DWORD, const wchar_t*, const wchar_t*,
                                      const wchar_t*) = nullptr;
    int(WINAPI* IsInstalledFile)(const wchar_t*) = nullptr;
    int(WINAPI* GetComponentPath)(wchar_t*, DWORD, const wchar_t*, const wchar_t*) = nullptr;
    int(WINAPI* GetComponentProducts)(wchar_t*, DWORD, const wchar_t*, int) = nullptr;
    int(WINAPI* IsSingleProductComponent)(const wchar_t*) = nullptr;
    int(WINAPI* IsComponentInstalled)(const wchar_t*) = nullptr;
    int(WINAPI* GetProductId)(const wchar_t*) = nullptr;
    LANGID(WINAPI* GetLanguage)() = nullptr;
    int(WINAPI* SetFileMapEnabled)(int) = nullptr;

    // False when an ordinal is missing.
    static bool FromModule(HMODULE module, Api& api);
    static Api Linked();
};

}  // namespace bench
