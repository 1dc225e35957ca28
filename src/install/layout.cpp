#include "install/layout.h"

#include <windows.h>
#include <cstdio>
#include <cwchar>

#include "platform/registry.h"

namespace tn {
namespace {

constexpr size_t kDirBufferChars = MAX_PATH;  // terminator included
// A cached install directory shorter than this is read again on every call,
// so a drive root or a half-written value does not stick for the process.
constexpr size_t kCacheKeepLength = 6;

wchar_t g_installDir[kDirBufferChars];

bool EndsInSeparator(const wchar_t* text, size_t length)
{
    return length > 0 && (text[length - 1] == L'\\' || text[length - 1] == L'/');
}

// Reads a directory value into `buffer` (260 characters) and gives it its
// trailing separator. Returns false, leaving the buffer untouched, when the
// value cannot be read or would not fit with its separator and terminator:
// such a value counts as missing, and nothing is written past the buffer.
bool ReadDirectoryValue(const wchar_t* valueName, wchar_t* buffer)
{
    wchar_t raw[kDirBufferChars + 1] = {};
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, kProductRegistryKey, valueName, raw,
                           kDirBufferChars * sizeof(wchar_t)))
        return false;
    const size_t length = wcsnlen(raw, kDirBufferChars);
    const size_t needed = length + (EndsInSeparator(raw, length) ? 0 : 1) + 1;
    if (length > 0 && needed > kDirBufferChars)
        return false;
    wmemcpy(buffer, raw, length);
    buffer[length] = L'\0';
    if (length > 0 && !EndsInSeparator(buffer, length)) {
        buffer[length] = L'\\';
        buffer[length + 1] = L'\0';
    }
    return true;
}

std::wstring InstallSubDir(const wchar_t* words)
{
    return GetInstallDir() + words;
}

}  // namespace

std::wstring GetInstallDir(const wchar_t* suffix)
{
    if (wcsnlen(g_installDir, kDirBufferChars) < kCacheKeepLength) {
        // A failed read keeps what the cache held before.
        wchar_t fresh[kDirBufferChars] = {};
        if (ReadDirectoryValue(L"InstallPath", fresh))
            wmemcpy(g_installDir, fresh, kDirBufferChars);
    }
    std::wstring result(g_installDir);
    if (suffix)
        result += suffix;
    return result;
}

void ResetInstallDirCacheForTesting() { g_installDir[0] = L'\0'; }

std::wstring GetBackupDir()
{
    wchar_t buffer[kDirBufferChars] = {};
    ReadDirectoryValue(L"BackupPath", buffer);
    return std::wstring(buffer);
}

std::wstring GetComposeDir() { return InstallSubDir(L"Compose\\"); }
std::wstring GetOutputChangeDir() { return InstallSubDir(L"OutputChange\\"); }
std::wstring GetProductDir() { return InstallSubDir(L"Install\\Product\\"); }

std::wstring GetProductFilePath(const wchar_t* product)
{
    if (!product)
        return std::wstring();
    std::wstring path = GetInstallDir();
    path.reserve(path.size() + wcslen(product) + 24);
    return path.append(L"Install\\Product\\").append(product).append(L".ini");
}

std::wstring GetBuildDirName(int build)
{
    wchar_t text[32];
    swprintf(text, 32, L"Build_%04d", build);
    return text;
}

std::wstring BuildComposeFilePath(const wchar_t* component, unsigned location, int build)
{
    if (!component)
        return std::wstring();
    std::wstring name(component);
    const size_t dot = name.find(L'.');
    if (dot != std::wstring::npos && dot != 0)
        name.erase(dot);
    if (location > LocOutputChange)
        return std::wstring();

    std::wstring path;
    const wchar_t* second = name.c_str();
    const wchar_t* third = L"";
    switch (location) {
    case LocSource:       path = GetComposeDir(); third = L"Source"; break;
    case LocBackup:       path = GetComposeDir(); third = L"Backup"; break;
    case LocOutput:       path = GetComposeDir(); third = L"Output"; break;
    case LocInstall:      path = GetInstallDir(); second = L"Install"; third = L"Compose"; break;
    case LocTemp:         path = GetInstallDir(); second = L"Temp"; third = L"Compose"; break;
    case LocOutputChange: path = GetOutputChangeDir(); third = L"Output"; break;
    }
    // One string grown in place: the path is made for every file a search reads.
    path.reserve(path.size() + 2 * name.size() + 32);
    path.append(second).append(1, L'\\').append(third).append(1, L'\\');
    if (location == LocBackup)
        path.append(GetBuildDirName(build)).append(1, L'\\');
    return path.append(name).append(L".ini");
}

std::wstring GetComposeFilePath(const wchar_t* component)
{
    return BuildComposeFilePath(component, LocInstall, 1);
}

std::wstring GetInstallIniPath() { return GetInstallDir() + L"Install\\install.ini"; }
std::wstring GetUpdateIniPath() { return GetInstallDir() + L"Install\\update.ini"; }

}  // namespace tn
