#include "alloc_hooks.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace tnrobust {
namespace {

constexpr size_t kAlignment = 16;  // what operator new promises here

std::atomic<int64_t> g_live{0};
std::atomic<uint64_t> g_counted{0};
std::atomic<uint64_t> g_failed{0};
std::atomic<uint64_t> g_failAt{0};
std::atomic<int> g_mode{static_cast<int>(FailMode::Off)};
std::atomic<bool> g_armed{false};
std::atomic<size_t> g_guardMinBytes{0};
// Set once guard pages were ever on: only then can a freed block be one.
std::atomic<bool> g_guardUsed{false};

// Guarded blocks are whole mappings: a tag at the start of the first page
// tells the free which way a block was made.
constexpr uint64_t kGuardTag = 0x47554152445047ull;  // "GPDRAUG"

size_t PageSize()
{
    static const size_t size = [] {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return static_cast<size_t>(info.dwPageSize);
    }();
    return size;
}

bool ShouldFail()
{
    if (!g_armed.load(std::memory_order_relaxed))
        return false;
    const uint64_t number = ++g_counted;
    const uint64_t at = g_failAt.load(std::memory_order_relaxed);
    const FailMode mode = static_cast<FailMode>(g_mode.load(std::memory_order_relaxed));
    const bool fail = (mode == FailMode::Once && number == at) ||
                      (mode == FailMode::FromThenOn && number >= at);
    if (fail)
        ++g_failed;
    return fail;
}

void* GuardedAlloc(size_t size)
{
    const size_t page = PageSize();
    const size_t rounded = (size + kAlignment - 1) / kAlignment * kAlignment;
    const size_t dataPages = (rounded + page - 1) / page + 1;  // +1: room for the tag
    const size_t total = (dataPages + 1) * page;
    char* base = static_cast<char*>(VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT,
                                                 PAGE_READWRITE));
    if (!base)
        return nullptr;
    DWORD old = 0;
    VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &old);
    *reinterpret_cast<uint64_t*>(base) = kGuardTag;
    return base + dataPages * page - rounded;
}

// The mapping a guarded block belongs to, or null for a heap block.
char* GuardedBase(void* p)
{
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(p, &info, sizeof(info)) == 0 || info.Type != MEM_PRIVATE)
        return nullptr;
    char* base = static_cast<char*>(info.AllocationBase);
    // Heap blocks live in the heap's own private mappings too; only a
    // mapping that starts with the tag, with the block on a later page, is ours.
    if (static_cast<char*>(p) - base < static_cast<ptrdiff_t>(PageSize()))
        return nullptr;
    return *reinterpret_cast<uint64_t*>(base) == kGuardTag ? base : nullptr;
}

void* Allocate(size_t size)
{
    if (size == 0)
        size = 1;
    const size_t guardMin = g_guardMinBytes.load(std::memory_order_relaxed);
    void* p = guardMin != 0 && size >= guardMin ? GuardedAlloc(size) : std::malloc(size);
    if (p)
        ++g_live;
    return p;
}

void Free(void* p)
{
    if (!p)
        return;
    --g_live;
    if (char* base = g_guardUsed ? GuardedBase(p) : nullptr) {
        VirtualFree(base, 0, MEM_RELEASE);
        return;
    }
    std::free(p);
}

}  // namespace

void ArmAllocationFailure(FailMode mode, uint64_t n)
{
    g_counted = 0;
    g_failed = 0;
    g_failAt = n;
    g_mode = static_cast<int>(mode);
    g_armed = true;
}

void DisarmAllocationFailure() { g_armed = false; }
uint64_t AllocationsSinceArm() { return g_counted; }
uint64_t FailuresSinceArm() { return g_failed; }
int64_t LiveBlocks() { return g_live; }
void SetGuardPages(size_t minBytes)
{
    if (minBytes != 0)
        g_guardUsed = true;
    g_guardMinBytes = minBytes;
}

}  // namespace tnrobust

// The replacements. Over-aligned requests are not made by the code under
// test; they are served by the same path, which aligns to 16 bytes.
void* operator new(size_t size)
{
    if (tnrobust::ShouldFail())
        throw std::bad_alloc();
    if (void* p = tnrobust::Allocate(size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](size_t size) { return operator new(size); }

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    if (tnrobust::ShouldFail())
        return nullptr;
    return tnrobust::Allocate(size);
}

void* operator new[](size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}

void operator delete(void* p) noexcept { tnrobust::Free(p); }
void operator delete[](void* p) noexcept { tnrobust::Free(p); }
void operator delete(void* p, size_t) noexcept { tnrobust::Free(p); }
void operator delete[](void* p, size_t) noexcept { tnrobust::Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { tnrobust::Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { tnrobust::Free(p); }
