// The stack protector's guard of the module (compat/stack_guard.cpp).
#pragma once

#include <cstdint>

// The guard's value before the module's constructors run; seeded afresh in
// every process, the guard never keeps it.
#define TN_STACK_GUARD_START 0xBB40E64Eu

extern "C" std::uintptr_t __stack_chk_guard;
