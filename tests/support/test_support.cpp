#include "test_support.h"

#include <shlwapi.h>

#include <stdexcept>

namespace tntest {
namespace {

const wchar_t* const kProductKey = L"Software\\Tessaron";
const wchar_t* const kVaultKey = L"Software\\Tessaron\\Vault";

HKEY OpenProductKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open HKLM\\Software\\Tessaron");
    return key;
}

HKEY CreateVaultKey(const std::wstring& keyPath)
{
    std::wstring full(kVaultKey);
    if (!keyPath.empty())
        full += L"\\" + keyPath;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create a vault key");
    return key;
}

void DeleteTree(HKEY parent, const std::wstring& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    wchar_t child[256];
    for (;;) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteTree(key, child);
    }
    RegCloseKey(key);
    RegDeleteKeyW(parent, name.c_str());
}

}  // namespace

TempDir::TempDir()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        wchar_t name[64];
        swprintf(name, 64, L"tn%lu_%u_%lu", GetCurrentProcessId(), ++counter, GetTickCount());
        path_ = std::wstring(base) + name;
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a temporary folder");
    }
    path_ += L"\\";
}

TempDir::~TempDir() { RemoveTree(path_); }

MachineValue::MachineValue(const wchar_t* name, const wchar_t* text) : name_(name)
{
    HKEY key = OpenProductKey();
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
        oldData_.resize(size);
        hadValue_ = RegQueryValueExW(key, name, nullptr, &oldType_, oldData_.data(), &size) ==
                    ERROR_SUCCESS;
    }
    RegCloseKey(key);
    Set(text);
}

MachineValue::~MachineValue()
{
    if (hadValue_)
        SetMachineBytes(name_.c_str(), oldType_, oldData_.data(), DWORD(oldData_.size()));
    else
        DeleteMachineValue(name_.c_str());
}

void MachineValue::Set(const wchar_t* text)
{
    if (text)
        SetMachineBytes(name_.c_str(), REG_SZ, text, DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
    else
        DeleteMachineValue(name_.c_str());
}

void SetMachineBytes(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = OpenProductKey();
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void DeleteMachineValue(const wchar_t* name)
{
    HKEY key = OpenProductKey();
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

void SetVaultString(const std::wstring& keyPath, const wchar_t* name, const wchar_t* text,
                    DWORD type)
{
    SetVaultBytes(keyPath, name, type, text, DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
}

void SetVaultBytes(const std::wstring& keyPath, const wchar_t* name, DWORD type,
                   const void* data, DWORD size)
{
    HKEY key = CreateVaultKey(keyPath);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void DeleteVaultTree(const std::wstring& keyPath)
{
    if (keyPath.empty()) {
        HKEY product = OpenProductKey();
        DeleteTree(product, L"Vault");
        RegCloseKey(product);
        return;
    }
    HKEY vault = CreateVaultKey(L"");
    DeleteTree(vault, keyPath);
    RegCloseKey(vault);
}

void MakeDirs(const std::wstring& path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == L'\\' || path[i] == L'/')
            CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        MakeDirs(path.substr(0, slash));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write a test file");
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void WriteUtf16(const std::wstring& path, const std::wstring& text, bool bom)
{
    std::string bytes;
    if (bom)
        bytes += "\xFF\xFE";
    auto put = [&bytes](wchar_t c) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char((c >> 8) & 0xFF));
    };
    for (wchar_t c : text) {
        if (c == L'\n')
            put(L'\r');
        put(c);
    }
    WriteBytes(path, bytes);
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BOOL WINAPI LockViolationRead(HANDLE, void*, DWORD, DWORD* read, OVERLAPPED*)
{
    if (read)
        *read = 0;
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
}

void RemoveTree(const std::wstring& dir)
{
    if (dir.empty())
        return;
    const std::wstring base = dir.back() == L'\\' ? dir : dir + L"\\";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = base + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + L"\\");
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(base.c_str());
}

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

std::wstring ExeDir()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

}  // namespace tntest
