#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace tntest {

// Calls an export found by ordinal with up to five pointer-sized arguments;
// every export of the library is WINAPI and takes only such arguments.
// Header-only, so the probe can stay a program of its own without the test
// support library.
inline uintptr_t InvokeExport(FARPROC entry, const std::vector<uintptr_t>& v)
{
    void* proc = reinterpret_cast<void*>(entry);
    using U = uintptr_t;
    switch (v.size()) {
    case 0: return reinterpret_cast<U(WINAPI*)()>(proc)();
    case 1: return reinterpret_cast<U(WINAPI*)(U)>(proc)(v[0]);
    case 2: return reinterpret_cast<U(WINAPI*)(U, U)>(proc)(v[0], v[1]);
    case 3: return reinterpret_cast<U(WINAPI*)(U, U, U)>(proc)(v[0], v[1], v[2]);
    case 4: return reinterpret_cast<U(WINAPI*)(U, U, U, U)>(proc)(v[0], v[1], v[2], v[3]);
    default: return reinterpret_cast<U(WINAPI*)(U, U, U, U, U)>(proc)(v[0], v[1], v[2], v[3], v[4]);
    }
}

}  // namespace tntest
