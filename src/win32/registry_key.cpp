#include "win32/registry_key.h"

namespace tn {

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept
{
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

LONG RegistryKey::Take(LONG rc, HKEY key)
{
    Close();
    if (rc == ERROR_SUCCESS)
        key_ = key;
    return rc;
}

LONG RegistryKey::Open(HKEY parent, const wchar_t* path, REGSAM access)
{
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExW(parent, path, 0, access, &key);
    return Take(rc, key);
}

LONG RegistryKey::Create(HKEY parent, const wchar_t* path, REGSAM access)
{
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                    nullptr, &key, nullptr);
    return Take(rc, key);
}

void RegistryKey::Close() noexcept
{
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

LONG RegistryKey::ReadValue(const wchar_t* name, DWORD* type, void* data, DWORD* size) const
{
    return RegQueryValueExW(key_, name, nullptr, type, static_cast<BYTE*>(data), size);
}

LONG RegistryKey::WriteValue(const wchar_t* name, DWORD type, const void* data,
                             DWORD size) const
{
    return RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace tn
