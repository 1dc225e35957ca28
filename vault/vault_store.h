#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "platform/hive_interface.h"
#include "vault_snapshot.h"
#include "win32/registry_key.h"

namespace vault {

// A hive-store key kept in the Windows registry below
// HKLM\Software\Tessaron\Vault. Each object has its own open key: a key
// opened with OpenKey is read from the process's current copy of the vault
// (vault_snapshot.h) when there is one, a key made with CreateKey (or opened
// without a copy) is a registry key. No method throws: each answers a Win32
// error code, ERROR_NOT_ENOUGH_MEMORY when memory ran out.
class VaultKey final : public IHiveKey {
public:
    void Release() noexcept override;
    LONG Reserved1() noexcept override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG WriteValue(const wchar_t* name, DWORD type, const void* data,
                    DWORD size) noexcept override;
    LONG ReadValue(const wchar_t* name, DWORD* type, void* data, DWORD* size) noexcept override;
    LONG CreateKey(HKEY root, const wchar_t* path) noexcept override;
    LONG OpenKey(HKEY root, const wchar_t* path, DWORD access) noexcept override;
    LONG CloseKey() noexcept override;
    LONG Reserved7() noexcept override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG Reserved8() noexcept override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG Reserved9() noexcept override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG Reserved10() noexcept override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG Reserved11() noexcept override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG Reserved12() noexcept override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG FindValue(const wchar_t* text, wchar_t* name, DWORD* count,
                   wchar_t* path) noexcept override;

private:
    ~VaultKey() { CloseKey(); }
    bool FromSnapshot() const { return snapshot_ != nullptr; }

    tn::RegistryKey key_;
    // A key opened in the copy, with what a write through it needs.
    std::shared_ptr<const Snapshot> snapshot_;
    size_t node_ = 0;
    std::wstring path_;
    DWORD access_ = 0;
};

}  // namespace vault
