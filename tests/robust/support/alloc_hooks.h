#pragma once
#include <cstddef>
#include <cstdint>

// The robustness programs replace the global operator new and delete (the
// replacement is compiled into each of them) so that they can count the
// blocks alive and fail chosen allocations. Every allocation made through
// operator new in the process goes through it: the library core, the
// standard library's strings and containers, and the test code alike.
namespace tnrobust {

enum class FailMode {
    Off,
    Once,       // only allocation number N fails
    FromThenOn  // allocation N and every later one fail
};

// Counts allocations from now on; allocation `n` (1-based) is the first to
// fail under `mode`. Failing plain new throws std::bad_alloc, failing
// nothrow new returns null.
void ArmAllocationFailure(FailMode mode, uint64_t n);
void DisarmAllocationFailure();
// Allocations counted since the last Arm, and how many of them failed.
uint64_t AllocationsSinceArm();
uint64_t FailuresSinceArm();

// Blocks allocated and not yet freed, over the whole process.
int64_t LiveBlocks();

// Guard pages: blocks of at least `minBytes` bytes end right before a page
// that cannot be touched, so a write or read past their end faults at once,
// and freed ones are unmapped. 0 turns it off (the default).
void SetGuardPages(size_t minBytes);

}  // namespace tnrobust
