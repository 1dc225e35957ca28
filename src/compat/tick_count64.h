// GetTickCount64 for modules that must load on Windows XP and Server 2003.
//
// The static thread library of the toolchain calls GetTickCount64, which only
// Vista and later export; a module that imports it does not load on older
// systems. tick_count64.cpp defines the import slot itself, so the linker
// takes it from there instead of from kernel32: the first call looks the real
// function up and uses it where the system has it, and otherwise counts with
// GetTickCount widened to 64 bits.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tn {

// The 64-bit count for a 32-bit reading `now`, given the last count handed
// out. A reading below the last one by more than half the 32-bit range is the
// 49.7-day wrap and starts the next lap; a reading a little below it (another
// thread read the clock earlier and arrived later) keeps the last count, so
// the answers never go back. Counts a wrap only when it is called at least
// once per lap.
inline std::uint64_t WidenTickCount(std::uint64_t last, std::uint32_t now)
{
    const std::uint32_t lastLow = static_cast<std::uint32_t>(last);
    std::uint64_t lap = last & ~std::uint64_t(0xFFFFFFFFu);
    if (now < lastLow) {
        if (lastLow - now < 0x80000000u)
            return last;
        lap += std::uint64_t(1) << 32;
    }
    return lap | now;
}

// GetTickCount widened to 64 bits across the wrap, safe from any thread.
ULONGLONG WidenedTickCount();

}  // namespace tn
