#include "compat/tick_count64.h"

namespace tn {
namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

// The last count handed out by the fallback; updated with compare-and-swap so
// concurrent callers agree on the lap.
std::uint64_t g_lastTick = 0;

// The system's own function, looked up once: null until looked up, then the
// function or the fallback.
TickCount64Fn g_tickCount64 = nullptr;

ULONGLONG WINAPI FallbackTickCount64() { return WidenedTickCount(); }

ULONGLONG WINAPI FirstTickCount64()
{
    TickCount64Fn fn = nullptr;
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        fn = reinterpret_cast<TickCount64Fn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")));
    if (!fn)
        fn = &FallbackTickCount64;
    __atomic_store_n(&g_tickCount64, fn, __ATOMIC_RELEASE);
    return fn();
}

ULONGLONG WINAPI ResolvedTickCount64()
{
    TickCount64Fn fn = __atomic_load_n(&g_tickCount64, __ATOMIC_ACQUIRE);
    return fn ? fn() : FirstTickCount64();
}

}  // namespace

ULONGLONG WidenedTickCount()
{
    const std::uint32_t now = GetTickCount();
    std::uint64_t last = __atomic_load_n(&g_lastTick, __ATOMIC_ACQUIRE);
    for (;;) {
        const std::uint64_t next = WidenTickCount(last, now);
        if (next == last ||
            __atomic_compare_exchange_n(&g_lastTick, &last, next, false, __ATOMIC_ACQ_REL,
                                        __ATOMIC_ACQUIRE))
            return next;
    }
}

}  // namespace tn

// The import slot that calls of GetTickCount64 go through. Defined here, it
// keeps the module from importing the function.
#if defined(__i386__)
#define TN_TICK_COUNT64_SLOT "__imp__GetTickCount64@0"
#else
#define TN_TICK_COUNT64_SLOT "__imp_GetTickCount64"
#endif
extern "C" {
ULONGLONG(WINAPI* tn_GetTickCount64Slot)() __asm__(TN_TICK_COUNT64_SLOT) = &tn::ResolvedTickCount64;
}
