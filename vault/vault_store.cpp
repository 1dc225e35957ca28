#include "vault_store.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace vault {
namespace {

constexpr const wchar_t* kVaultRoot = L"Software\\Tessaron\\Vault";
const HKEY kMachineRoot = HKEY_LOCAL_MACHINE;

// The store's key path below the vault root. A trailing backslash names the
// same key as the path without it.
std::wstring VaultPath(const wchar_t* path)
{
    std::wstring full(kVaultRoot);
    if (path && *path) {
        std::wstring rest(path);
        while (!rest.empty() && rest.back() == L'\\')
            rest.pop_back();
        if (!rest.empty())
            full += L"\\" + rest;
    }
    return full;
}

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }

bool EqualsNoCase(const wchar_t* a, size_t aLength, const wchar_t* b)
{
    size_t i = 0;
    for (; i < aLength && b[i]; ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return i == aLength && b[i] == L'\0';
}

// Copies `text` into a buffer of `capacity` characters, cut to fit.
void CopyLimited(const std::wstring& text, wchar_t* buffer, DWORD capacity)
{
    if (!buffer || capacity == 0)
        return;
    const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    wmemcpy(buffer, text.data(), n);
    buffer[n] = L'\0';
}

// Depth first: the values of `key` in enumeration order, then each subkey.
bool SearchKey(HKEY key, const std::wstring& relative, const wchar_t* text,
               std::wstring& foundName, std::wstring& foundPath)
{
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                         &values, &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;

    std::vector<wchar_t> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            continue;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            continue;
        size_t chars = dataSize / sizeof(wchar_t);
        const wchar_t* value = reinterpret_cast<const wchar_t*>(data.data());
        while (chars > 0 && value[chars - 1] == L'\0')
            --chars;
        if (EqualsNoCase(value, chars, text)) {
            foundName.assign(name.data(), nameLength);
            foundPath = relative;
            return true;
        }
    }

    std::vector<wchar_t> subName(maxSubKey + 2);
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD subLength = static_cast<DWORD>(subName.size());
        if (RegEnumKeyExW(key, i, subName.data(), &subLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            continue;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, subName.data(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        const std::wstring child = relative.empty()
            ? std::wstring(subName.data(), subLength)
            : relative + L"\\" + std::wstring(subName.data(), subLength);
        const bool hit = SearchKey(sub, child, text, foundName, foundPath);
        RegCloseKey(sub);
        if (hit)
            return true;
    }
    return false;
}

// RegQueryValueExW's contract over a copied value.
LONG CopyValue(const SnapshotValue& value, DWORD* type, void* data, DWORD* size)
{
    const DWORD needed = static_cast<DWORD>(value.data.size());
    if (type)
        *type = value.type;
    if (!data) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed)
        memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

}  // namespace

void VaultKey::Release() { delete this; }

LONG VaultKey::CreateKey(HKEY root, const wchar_t* path)
{
    CloseKey();
    if (root != kMachineRoot || !path)
        return ERROR_INVALID_PARAMETER;
    return RegCreateKeyExW(kMachineRoot, VaultPath(path).c_str(), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key_,
                           nullptr);
}

LONG VaultKey::OpenKey(HKEY root, const wchar_t* path, DWORD access)
{
    CloseKey();
    if (root != kMachineRoot || !path)
        return ERROR_INVALID_PARAMETER;
    if (std::shared_ptr<const Snapshot> snapshot = CurrentSnapshot()) {
        size_t node = Snapshot::kNoKey;
        if (snapshot->Resolve(path, node)) {
            if (node == Snapshot::kNoKey)
                return ERROR_FILE_NOT_FOUND;
            snapshot_ = std::move(snapshot);
            node_ = node;
            path_ = path;
            access_ = access;
            return ERROR_SUCCESS;
        }
    }
    const LONG rc = RegOpenKeyExW(kMachineRoot, VaultPath(path).c_str(), 0, access, &key_);
    if (rc != ERROR_SUCCESS)
        key_ = nullptr;
    return rc;
}

LONG VaultKey::CloseKey()
{
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
    snapshot_.reset();
    path_.clear();
    return ERROR_SUCCESS;
}

LONG VaultKey::ReadValue(const wchar_t* name, DWORD* type, void* data, DWORD* size)
{
    if (!key_ && !FromSnapshot())
        return ERROR_INVALID_HANDLE;
    if (!size)
        return ERROR_INVALID_PARAMETER;
    if (FromSnapshot()) {
        const SnapshotValue* value = snapshot_->FindValueNamed(node_, name);
        return value ? CopyValue(*value, type, data, size) : ERROR_FILE_NOT_FOUND;
    }
    return RegQueryValueExW(key_, name, nullptr, type, static_cast<BYTE*>(data), size);
}

LONG VaultKey::WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    if (FromSnapshot()) {
        // Writes go to the registry key itself, opened with the access the
        // key was opened with; the change makes the copy stale.
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExW(kMachineRoot, VaultPath(path_.c_str()).c_str(), 0, access_, &key);
        if (rc == ERROR_SUCCESS) {
            rc = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
            RegCloseKey(key);
        }
        return rc;
    }
    if (!key_)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
}

LONG VaultKey::FindValue(const wchar_t* text, wchar_t* name, DWORD* count, wchar_t* path)
{
    if (!key_ && !FromSnapshot())
        return ERROR_INVALID_HANDLE;
    if (!text || !count)
        return ERROR_INVALID_PARAMETER;
    std::wstring foundName, foundPath;
    const bool found = FromSnapshot()
        ? snapshot_->FindData(node_, text, foundName, foundPath)
        : SearchKey(key_, std::wstring(), text, foundName, foundPath);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    CopyLimited(foundName, name, *count);
    CopyLimited(foundPath, path, *count);
    return ERROR_SUCCESS;
}

}  // namespace vault
