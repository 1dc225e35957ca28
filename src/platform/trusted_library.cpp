#include "platform/trusted_library.h"

#include <cwchar>

namespace tn {
namespace {

// Flags of LoadLibraryExW from Windows 8 on, and on Vista and 7 with the
// update that brought AddDllDirectory; older headers may lack them.
constexpr DWORD kSearchApplicationDir = 0x00000200;  // LOAD_LIBRARY_SEARCH_APPLICATION_DIR
constexpr DWORD kSearchUserDirs = 0x00000400;        // LOAD_LIBRARY_SEARCH_USER_DIRS
constexpr DWORD kSearchSystem32 = 0x00000800;        // LOAD_LIBRARY_SEARCH_SYSTEM32

FARPROC Kernel32Function(const char* name)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

// Joins `folder` (length `length`, 0 for none) and `fileName` into `path`;
// false when there is no folder or the result would not fit.
bool JoinPath(wchar_t (&path)[MAX_PATH], DWORD length, const wchar_t* fileName)
{
    if (length == 0 || length >= MAX_PATH)
        return false;
    if (path[length - 1] != L'\\' && path[length - 1] != L'/')
        path[length++] = L'\\';
    const size_t nameLength = wcslen(fileName);
    if (length + nameLength >= MAX_PATH)
        return false;
    wmemcpy(path + length, fileName, nameLength + 1);
    return true;
}

HMODULE LoadFromFolder(wchar_t (&path)[MAX_PATH], DWORD length, const wchar_t* fileName)
{
    if (!JoinPath(path, length, fileName))
        return nullptr;
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

HMODULE LoadTrustedLibraryByFullPaths(const wchar_t* fileName)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        while (length > 0 && path[length - 1] != L'\\' && path[length - 1] != L'/')
            --length;
        if (HMODULE module = LoadFromFolder(path, length, fileName))
            return module;
    }
    // Windows XP before its first service pack has no GetDllDirectoryW.
    using GetDllDirectoryFn = DWORD(WINAPI*)(DWORD, LPWSTR);
    if (auto getDllDirectory = reinterpret_cast<GetDllDirectoryFn>(
            reinterpret_cast<void*>(Kernel32Function("GetDllDirectoryW")))) {
        length = getDllDirectory(MAX_PATH, path);
        if (HMODULE module = LoadFromFolder(path, length, fileName))
            return module;
    }
    if (HMODULE module = LoadFromFolder(path, GetSystemDirectoryW(path, MAX_PATH), fileName))
        return module;
    return LoadFromFolder(path, GetWindowsDirectoryW(path, MAX_PATH), fileName);
}

HMODULE LoadTrustedLibrary(const wchar_t* fileName)
{
    // The search flags exist wherever AddDllDirectory does.
    if (Kernel32Function("AddDllDirectory"))
        return LoadLibraryExW(fileName, nullptr,
                              kSearchApplicationDir | kSearchUserDirs | kSearchSystem32);
    return LoadTrustedLibraryByFullPaths(fileName);
}

}  // namespace tn
