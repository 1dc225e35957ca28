#include "counters.h"

#include <windows.h>
#include <malloc.h>


#include "import_patch.h"
#include "platform/hive_interface.h"
#include "platform/hive_key.h"

namespace bench {
namespace {

struct State {
    bool active = false;
    int64_t live = 0;
    CallCounts counts;
};
State g_state;
bool g_armed = false;
CallCounts g_last;

// Suspends counting while the counters do their own bookkeeping.
class Pause {
public:
    Pause() : was_(g_state.active) { g_state.active = false; }
    ~Pause() { g_state.active = was_; }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

private:
    bool was_;
};

void Added(size_t bytes)
{
    if (!g_state.active)
        return;
    ++g_state.counts.allocations;
    g_state.counts.allocatedBytes += bytes;
    g_state.live += int64_t(bytes);
    if (g_state.live > g_state.counts.peakBytes)
        g_state.counts.peakBytes = g_state.live;
}

void Removed(size_t bytes)
{
    if (g_state.active)
        g_state.live -= int64_t(bytes);
}

using MallocFn = void*(__cdecl*)(size_t);
using CallocFn = void*(__cdecl*)(size_t, size_t);
using ReallocFn = void*(__cdecl*)(void*, size_t);
using FreeFn = void(__cdecl*)(void*);
using HeapAllocFn = LPVOID(WINAPI*)(HANDLE, DWORD, SIZE_T);
using HeapReAllocFn = LPVOID(WINAPI*)(HANDLE, DWORD, LPVOID, SIZE_T);
using HeapFreeFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID);
using CreateFileWFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                      HANDLE);
using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);

MallocFn g_malloc;
CallocFn g_calloc;
ReallocFn g_realloc;
FreeFn g_free;
HeapAllocFn g_heapAlloc;
HeapReAllocFn g_heapReAlloc;
HeapFreeFn g_heapFree;
CreateFileWFn g_createFileW;
ReadFileFn g_readFile;

void* __cdecl CountedMalloc(size_t size)
{
    void* p = g_malloc(size);
    if (p)
        Added(_msize(p));
    return p;
}

void* __cdecl CountedCalloc(size_t count, size_t size)
{
    void* p = g_calloc(count, size);
    if (p)
        Added(_msize(p));
    return p;
}

void* __cdecl CountedRealloc(void* old, size_t size)
{
    const size_t before = old ? _msize(old) : 0;
    void* p = g_realloc(old, size);
    if (p) {
        Removed(before);
        Added(_msize(p));
    }
    return p;
}

void __cdecl CountedFree(void* p)
{
    if (p)
        Removed(_msize(p));
    g_free(p);
}

LPVOID WINAPI CountedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size)
{
    LPVOID p = g_heapAlloc(heap, flags, size);
    if (p)
        Added(HeapSize(heap, 0, p));
    return p;
}

LPVOID WINAPI CountedHeapReAlloc(HANDLE heap, DWORD flags, LPVOID old, SIZE_T size)
{
    const SIZE_T before = old ? HeapSize(heap, 0, old) : 0;
    LPVOID p = g_heapReAlloc(heap, flags, old, size);
    if (p) {
        Removed(before);
        Added(HeapSize(heap, 0, p));
    }
    return p;
}

BOOL WINAPI CountedHeapFree(HANDLE heap, DWORD flags, LPVOID p)
{
    if (p)
        Removed(HeapSize(heap, 0, p));
    return g_heapFree(heap, flags, p);
}

HANDLE WINAPI CountedCreateFileW(LPCWSTR path, DWORD access, DWORD share,
                                 LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                 HANDLE templateFile)
{
    if (g_state.active) {
        Pause pause;
        ++g_state.counts.opens;
        g_state.counts.openedPaths.push_back(path ? path : L"");
    }
    return g_createFileW(path, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI CountedReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                            LPOVERLAPPED overlapped)
{
    const BOOL ok = g_readFile(file, buffer, toRead, read, overlapped);
    if (g_state.active) {
        ++g_state.counts.reads;
        if (ok && read) {
            g_state.counts.bytesRead += *read;
            if (*read > g_state.counts.largestRead)
                g_state.counts.largestRead = *read;
        }
    }
    return ok;
}

// The hive store seen through a wrapper that counts and times every call.
GetHivePtrFn g_storeEntry = nullptr;

class Timed {
public:
    Timed() : start_(Ticks()) {}
    ~Timed() { g_state.counts.storeSeconds += TicksToSeconds(Ticks() - start_); }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    int64_t start_;
};

class CountingKey final : public IHiveKey {
public:
    explicit CountingKey(IHiveKey* real) : real_(real) {}
    void Release() override
    {
        {
            Timed t;
            real_->Release();
        }
        Pause pause;
        delete this;
    }
    LONG Reserved1() override { return real_->Reserved1(); }
    LONG WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size) override
    {
        Timed t;
        return real_->WriteValue(name, type, data, size);
    }
    LONG ReadValue(const wchar_t* name, DWORD* type, void* data, DWORD* size) override
    {
        ++g_state.counts.storeReads;
        Timed t;
        return real_->ReadValue(name, type, data, size);
    }
    LONG CreateKey(HKEY root, const wchar_t* path) override
    {
        ++g_state.counts.storeOpens;
        Timed t;
        return real_->CreateKey(root, path);
    }
    LONG OpenKey(HKEY root, const wchar_t* path, DWORD access) override
    {
        ++g_state.counts.storeOpens;
        Timed t;
        return real_->OpenKey(root, path, access);
    }
    LONG CloseKey() override
    {
        Timed t;
        return real_->CloseKey();
    }
    LONG Reserved7() override { return real_->Reserved7(); }
    LONG Reserved8() override { return real_->Reserved8(); }
    LONG Reserved9() override { return real_->Reserved9(); }
    LONG Reserved10() override { return real_->Reserved10(); }
    LONG Reserved11() override { return real_->Reserved11(); }
    LONG Reserved12() override { return real_->Reserved12(); }
    LONG FindValue(const wchar_t* text, wchar_t* name, DWORD* count, wchar_t* path) override
    {
        ++g_state.counts.storeFinds;
        Timed t;
        return real_->FindValue(text, name, count, path);
    }

private:
    ~CountingKey() = default;
    IHiveKey* real_;
};

IHiveKey* CountingEntry()
{
    ++g_state.counts.storeObjects;
    IHiveKey* real = nullptr;
    {
        Timed t;
        real = g_storeEntry ? g_storeEntry() : nullptr;
    }
    if (!real)
        return nullptr;
    Pause pause;
    return new CountingKey(real);
}

}  // namespace

int64_t Ticks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double TicksToSeconds(int64_t ticks)
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    return double(ticks) / frequency;
}

bool InstallCounters()
{
    if (HMODULE store = LoadLibraryW(L"Vaultcore.dll"))
        g_storeEntry = reinterpret_cast<GetHivePtrFn>(
            reinterpret_cast<void*>(GetProcAddress(store, "GetHivePtr")));
    tn::SetHiveFactoryForTesting(&CountingEntry);
    bool ok = Redirect("malloc", &CountedMalloc, g_malloc);
    ok = Redirect("calloc", &CountedCalloc, g_calloc) && ok;
    ok = Redirect("realloc", &CountedRealloc, g_realloc) && ok;
    ok = Redirect("free", &CountedFree, g_free) && ok;
    ok = Redirect("CreateFileW", &CountedCreateFileW, g_createFileW) && ok;
    ok = Redirect("ReadFile", &CountedReadFile, g_readFile) && ok;
    // The heap functions are redirected where this program imports them;
    // code that does not use them directly does not import them.
    Redirect("HeapAlloc", &CountedHeapAlloc, g_heapAlloc);
    Redirect("HeapReAlloc", &CountedHeapReAlloc, g_heapReAlloc);
    Redirect("HeapFree", &CountedHeapFree, g_heapFree);
    return ok && g_storeEntry != nullptr;
}

void BeginCounting()
{
    g_state.counts = CallCounts();
    g_state.live = 0;
    g_state.active = true;
}

CallCounts EndCounting()
{
    g_state.active = false;
    return g_state.counts;
}

void ArmCounting(bool armed) { g_armed = armed; }
bool CountingArmed() { return g_armed; }
const CallCounts& LastCounts() { return g_last; }
void StoreLastCounts(const CallCounts& counts) { g_last = counts; }

}  // namespace bench
