#pragma once
// A sampling profiler that works under Wine, where the usual Linux tools do
// not see into Windows code: a second thread suspends the measured thread
// about every millisecond, reads its instruction pointer and (on x86_64)
// unwinds its stack. Addresses in this program are kept relative to its
// preferred image base, so bench/profile.sh can name them with addr2line;
// addresses in other modules are counted per module.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct Profile {
    uint64_t samples = 0;
    // Program addresses (preferred-base VMAs): where the thread was, and
    // every return address on its stack (each counted once per sample).
    std::map<uint64_t, uint64_t> self;
    std::map<uint64_t, uint64_t> inclusive;
    // Samples whose instruction pointer was in another module, and the
    // program address that called into it.
    std::map<std::wstring, uint64_t> modules;
    std::map<uint64_t, uint64_t> systemCallers;
    // The system function this program called, per sample spent below it
    // (the nearest export at or before the address).
    std::map<std::wstring, uint64_t> systemEntries;
};

// Runs `work` on the calling thread until `seconds` passed, sampling it.
Profile SampleWhile(double seconds, void (*work)(void*), void* context);

}  // namespace bench
