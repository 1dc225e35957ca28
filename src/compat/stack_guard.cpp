// The stack protector's guard and failure path, linked into each shipped
// module ahead of GCC's libssp so that libssp's own are left out: libssp
// seeds its guard with CryptAcquireContext from a constructor, which in a DLL
// runs under the loader lock and loads the cryptographic provider's DLL
// there, which DllMain must not do. This guard is mixed from values Windows
// hands out without loading anything (as the platform compiler's security
// cookie is). A smashed stack, or a checked copy of _FORTIFY_SOURCE that
// would overflow, ends the process at once with STATUS_STACK_BUFFER_OVERRUN,
// running no more of its code.
#include <windows.h>

#include <cstdint>

#include "compat/stack_guard.h"

extern "C" {

// Read by the prologue and epilogue of every protected function. The start
// value holds until the constructor below runs; no protected frame is live
// across that change, since only the runtime's startup code (built without
// the protector) calls constructors.
std::uintptr_t __stack_chk_guard = TN_STACK_GUARD_START;

__attribute__((noreturn)) void __stack_chk_fail()
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}

// A checked copy that would overflow ends the process the same way.
__attribute__((noreturn)) void __chk_fail() { __stack_chk_fail(); }

}  // extern "C"

namespace {

// Unprotected itself: its own frame would otherwise be checked against the
// guard it replaces.
__attribute__((constructor, no_stack_protector)) void SeedStackGuard()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    std::uint64_t mix = (std::uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime) ^
                        std::uint64_t(counter.QuadPart) ^
                        (std::uint64_t(GetCurrentProcessId()) << 32 | GetCurrentThreadId()) ^
                        (std::uint64_t(GetTickCount()) << 16) ^
                        reinterpret_cast<std::uintptr_t>(&mix);
    std::uintptr_t guard = std::uintptr_t(mix ^ (mix >> 32));
    if (guard == 0 || guard == TN_STACK_GUARD_START)
        guard = ~std::uintptr_t(TN_STACK_GUARD_START);
    __stack_chk_guard = guard;
}

}  // namespace
