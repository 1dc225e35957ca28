#pragma once
#include <windows.h>
#include "platform/hive_interface.h"

namespace tn {

// One short-lived key of the hive store. Owns the IHiveKey it gets from
// Vaultcore.dll at its first Create or Open; destruction closes the key and
// releases the object. Every operation returns a Win32 error code, 0 on
// success; the wrapper itself makes 87 (empty key path), 126 (store not
// reachable) and 13 (value of the wrong type or shape).
class CHiveKey {
public:
    CHiveKey() = default;
    ~CHiveKey();
    CHiveKey(const CHiveKey&) = delete;
    CHiveKey& operator=(const CHiveKey&) = delete;
    CHiveKey(CHiveKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    CHiveKey& operator=(CHiveKey&&) = delete;

    // Loads the store on first use and obtains this object's interface.
    bool EnsureHive();

    [[nodiscard]] LONG Create(HKEY root, const wchar_t* path);
    [[nodiscard]] LONG Open(HKEY root, const wchar_t* path, DWORD access);
    LONG Close();

    // Reads a REG_DWORD straight into `value` (left as the store wrote it on failure).
    [[nodiscard]] LONG QueryDWORDValue(const wchar_t* name, DWORD* value);
    [[nodiscard]] LONG SetDWORDValue(const wchar_t* name, DWORD value);
    // Writes `text` with its terminator as a REG_SZ value.
    [[nodiscard]] LONG SetStringValue(const wchar_t* name, const wchar_t* text);
    // Reads a REG_SZ / REG_EXPAND_SZ value. `count` is the buffer's capacity
    // in characters on entry and the characters stored, terminator included,
    // on success; it is 0 after any failure. A null buffer asks for the size.
    [[nodiscard]] LONG QueryStringValue(const wchar_t* name, wchar_t* buffer, DWORD* count);
    [[nodiscard]] LONG FindValue(const wchar_t* text, wchar_t* name, DWORD* count, wchar_t* path);

    bool HasInterface() const { return key_ != nullptr; }

private:
    IHiveKey* key_ = nullptr;
};

// Tests replace Vaultcore.dll's GetHivePtr with their own factory; null
// restores the real store.
void SetHiveFactoryForTesting(GetHivePtrFn factory);

}  // namespace tn
