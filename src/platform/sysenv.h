#pragma once
#include <windows.h>

#include "TNInstall.h"  // WINTYPE_* bits

namespace tn {

// The Windows class: one version bit plus WINTYPE_NT or WINTYPE_9X, or
// WINTYPE_WOW64 / WINTYPE_2003_WOW64 alone in a WOW64 process. `isNt`, when
// given, receives 1 on Windows NT and 0 otherwise.
DWORD GetWindowsVersionMask(int* isNt);

// The classification behind GetWindowsVersionMask, free of system calls:
// the first matching row of the version table gives the version bit, then a
// WOW64 process gets its WOW64 value alone and any other the family bit.
// The service pack only matters for 5.1.
DWORD ClassifyWindowsVersion(DWORD platformId, DWORD major, DWORD minor,
                             WORD servicePackMajor, bool wow64);

// Fills `buffer` (260 units) with the 64-bit system directory and returns 1
// in a WOW64 process; returns 0 and leaves the buffer untouched otherwise.
int GetSystemDirectoryFor64(wchar_t* buffer);

// The user-interface language of the system; Spanish of any sort is 0x000A.
LANGID GetSystemUILanguage();
// Tests replace the system's language source; null restores it.
void SetUILanguageSourceForTesting(LANGID (*source)());

}  // namespace tn
