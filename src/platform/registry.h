#pragma once
#include <windows.h>

namespace tn {

// Reads one registry value as raw bytes into `buffer` (capacity in bytes).
// Opens the key with RegCreateKeyExW, so an absent key is created empty when
// the process may create it. No terminator is added and the type is ignored.
// Returns 1 when the value was read, 0 otherwise (missing key or value, or a
// value larger than the buffer); on 0 the buffer may be partly written.
int ReadRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName,
                      void* buffer, DWORD capacityBytes);

// The machine-wide key every value of the installation lives under.
inline constexpr const wchar_t* kProductRegistryKey = L"Software\\Tessaron";

}  // namespace tn
