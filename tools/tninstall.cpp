// tninstall: asks TNInstall.dll about the local installation, calling it by
// ordinal exactly as the suite's programs do, and prints the answers.
#include <windows.h>

#include <cstdio>
#include <string>

#include "TNInstall.h"

namespace {

template <class Fn>
Fn Export(HMODULE dll, int ordinal)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(ordinal))));
}

void Line(const wchar_t* label, const std::wstring& value)
{
    std::wstring text = std::wstring(label) + L": " + value + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int wmain()
{
    HMODULE dll = LoadLibraryW(L"TNInstall.dll");
    if (!dll) {
        fprintf(stderr, "tninstall: cannot load TNInstall.dll\n");
        return 2;
    }
    using PathFn = int(WINAPI*)(wchar_t*, DWORD, const wchar_t*);
    using BackupFn = int(WINAPI*)(wchar_t*, DWORD);
    using IntFn = int(WINAPI*)();
    wchar_t buffer[MAX_PATH] = {};

    Line(L"install path", Export<PathFn>(dll, TNI_ORD_GetInstallPath)(buffer, MAX_PATH, nullptr) ? buffer : L"(none)");
    buffer[0] = 0;
    Line(L"backup path", Export<BackupFn>(dll, TNI_ORD_GetBackupPath)(buffer, MAX_PATH) ? buffer : L"(none)");
    buffer[0] = 0;
    Line(L"OEM name", Export<BackupFn>(dll, TNI_ORD_GetOemName)(buffer, sizeof(buffer) - sizeof(wchar_t)) ? buffer : L"(none)");
    Line(L"file map", Export<IntFn>(dll, TNI_ORD_GetFileMapEnabled)() ? L"enabled" : L"disabled");
    return 0;
}
