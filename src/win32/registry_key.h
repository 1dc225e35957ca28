#pragma once
#include <windows.h>

namespace tn {

// Owns one open registry key and closes it when it goes. Move-only; every
// operation answers the Win32 error code, 0 on success.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey& operator=(RegistryKey&& other) noexcept;

    // Opens `path` below `parent`. The key held before is closed once the
    // open is done (so `parent` may be that key); on failure none is held.
    [[nodiscard]] LONG Open(HKEY parent, const wchar_t* path, REGSAM access);
    // The same, creating the missing keys of `path` (non-volatile) first.
    [[nodiscard]] LONG Create(HKEY parent, const wchar_t* path, REGSAM access);
    void Close() noexcept;

    bool IsOpen() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }

    // RegQueryValueExW on the key: `type`, `data` and `size` are left as it
    // leaves them (`data` may be written in part on failure).
    [[nodiscard]] LONG ReadValue(const wchar_t* name, DWORD* type, void* data, DWORD* size) const;
    [[nodiscard]] LONG WriteValue(const wchar_t* name, DWORD type, const void* data,
                                  DWORD size) const;

private:
    // Holds `key` (null after a failed open) in place of the key held now.
    LONG Take(LONG rc, HKEY key);

    HKEY key_ = nullptr;
};

}  // namespace tn
