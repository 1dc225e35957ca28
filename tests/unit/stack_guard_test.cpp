// The stack protector's guard as every shipped module has it
// (compat/stack_guard.cpp, linked into this program too): seeded afresh at
// load, and a smashed stack ends the process with STATUS_STACK_BUFFER_OVERRUN.
#include <gtest/gtest.h>

#if defined(__SSP_STRONG__)
#include <windows.h>

#include <cstring>

#include "compat/stack_guard.h"

namespace {

// Fills `count` bytes from the start of an 8-byte array on its own frame;
// the protector checks the frame's guard, which lies above the array, on
// return. The pointer hides the array's size from _FORTIFY_SOURCE.
__attribute__((noinline)) void FillLocalArray(std::size_t count)
{
    char array[8];
    char* volatile target = array;
    std::memset(target, 'x', count);
    asm volatile("" ::: "memory");
}

TEST(StackGuard, IsSeededAtLoad)
{
    EXPECT_NE(std::uintptr_t(TN_STACK_GUARD_START), __stack_chk_guard);
    EXPECT_NE(std::uintptr_t(0), __stack_chk_guard);
}

TEST(StackGuardDeathTest, ASmashedStackEndsTheProcess)
{
    FillLocalArray(8);
    EXPECT_EXIT(FillLocalArray(16), testing::ExitedWithCode(int(STATUS_STACK_BUFFER_OVERRUN)), "");
}

}  // namespace
#endif
