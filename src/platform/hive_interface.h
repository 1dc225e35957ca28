#pragma once
#include <windows.h>

// The key object of the hive store, as Vaultcore.dll hands it out through
// GetHivePtr. The vtable layout is a binary contract with that library:
// slots are never reordered, and there is no virtual destructor (g++ would
// add two slots for it). Member functions use the thiscall convention.
struct IHiveKey {
    virtual void Release() = 0;                                          // 0
    virtual LONG Reserved1() = 0;                                        // 1
    virtual LONG WriteValue(const wchar_t* name, DWORD type,
                            const void* data, DWORD size) = 0;           // 2
    virtual LONG ReadValue(const wchar_t* name, DWORD* type,
                           void* data, DWORD* size) = 0;                 // 3
    virtual LONG CreateKey(HKEY root, const wchar_t* path) = 0;          // 4
    virtual LONG OpenKey(HKEY root, const wchar_t* path, DWORD access) = 0;  // 5
    virtual LONG CloseKey() = 0;                                         // 6
    virtual LONG Reserved7() = 0;                                        // 7
    virtual LONG Reserved8() = 0;                                        // 8
    virtual LONG Reserved9() = 0;                                        // 9
    virtual LONG Reserved10() = 0;                                       // 10
    virtual LONG Reserved11() = 0;                                       // 11
    virtual LONG Reserved12() = 0;                                       // 12
    // Searches below the open key for a value whose string data equals
    // `text`; on a hit fills `name` with the value name and `path` with the
    // key path relative to the open key, each limited to *count characters.
    virtual LONG FindValue(const wchar_t* text, wchar_t* name,
                           DWORD* count, wchar_t* path) = 0;             // 13

protected:
    ~IHiveKey() = default;
};

// Vaultcore.dll's entry point, found by name.
using GetHivePtrFn = IHiveKey* (*)();
