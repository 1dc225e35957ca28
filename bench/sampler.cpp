#include "sampler.h"

#include <algorithm>

#include "counters.h"

namespace bench {
namespace {

// Sampling period in milliseconds, and how deep a stack is followed.
constexpr DWORD kPeriodMs = 1;
constexpr int kMaxFrames = 64;

struct ModuleRange {
    uintptr_t base = 0;
    uintptr_t end = 0;
    std::wstring name;
#if defined(_WIN64)
    const RUNTIME_FUNCTION* functions = nullptr;
    size_t functionCount = 0;
#endif
};

// The modules loaded now, with their unwind tables, read before sampling
// starts: while the measured thread is suspended nothing may take a lock it
// could hold (the heap's, the loader's).
std::vector<ModuleRange> LoadedModules()
{
    std::vector<ModuleRange> modules;
    const wchar_t* const names[] = {nullptr,          L"ntdll.dll",   L"kernel32.dll",
                                    L"kernelbase.dll", L"advapi32.dll", L"msvcrt.dll",
                                    L"shlwapi.dll",    L"Vaultcore.dll", L"TNInstall.dll",
                                    L"ucrtbase.dll"};
    for (const wchar_t* name : names) {
        HMODULE module = GetModuleHandleW(name);
        if (!module)
            continue;
        BYTE* base = reinterpret_cast<BYTE*>(module);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        ModuleRange range;
        range.base = reinterpret_cast<uintptr_t>(base);
        range.end = range.base + nt->OptionalHeader.SizeOfImage;
        range.name = name ? name : L"tn_bench.exe";
#if defined(_WIN64)
        const IMAGE_DATA_DIRECTORY& pdata =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
        if (pdata.VirtualAddress && pdata.Size) {
            range.functions = reinterpret_cast<const RUNTIME_FUNCTION*>(base + pdata.VirtualAddress);
            range.functionCount = pdata.Size / sizeof(RUNTIME_FUNCTION);
        }
#endif
        modules.push_back(range);
    }
    return modules;
}

const ModuleRange* ModuleOf(const std::vector<ModuleRange>& modules, uintptr_t address)
{
    for (const ModuleRange& m : modules)
        if (address >= m.base && address < m.end)
            return &m;
    return nullptr;
}

#if defined(_WIN64)
PRUNTIME_FUNCTION FunctionOf(const ModuleRange& m, uintptr_t pc)
{
    const DWORD rva = DWORD(pc - m.base);
    size_t low = 0, high = m.functionCount;
    while (low < high) {
        const size_t mid = (low + high) / 2;
        const RUNTIME_FUNCTION& f = m.functions[mid];
        if (rva < f.BeginAddress)
            high = mid;
        else if (rva >= f.EndAddress)
            low = mid + 1;
        else
            return const_cast<PRUNTIME_FUNCTION>(&f);
    }
    return nullptr;
}
#endif

// The name of the export of `m` that starts nearest at or before `address`.
std::wstring NearestExport(const ModuleRange& m, uintptr_t address)
{
    BYTE* base = reinterpret_cast<BYTE*>(m.base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!dir.VirtualAddress)
        return m.name;
    auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* functions = reinterpret_cast<DWORD*>(base + exports->AddressOfFunctions);
    auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
    auto* ordinals = reinterpret_cast<WORD*>(base + exports->AddressOfNameOrdinals);
    const DWORD rva = DWORD(address - m.base);
    DWORD best = 0;
    const char* bestName = nullptr;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        const DWORD f = functions[ordinals[i]];
        if (f <= rva && f >= best) {
            best = f;
            bestName = reinterpret_cast<const char*>(base + names[i]);
        }
    }
    std::wstring name = m.name + L"!";
    for (const char* c = bestName ? bestName : "?"; *c; ++c)
        name += wchar_t(*c);
    return name;
}

struct Shared {
    HANDLE target = nullptr;
    volatile LONG stop = 0;
    std::vector<ModuleRange> modules;
    uintptr_t exeBase = 0;
    uint64_t exePreferred = 0;
    uintptr_t stackLow = 0, stackHigh = 0;  // of the measured thread
    Profile profile;
};

// Fills `frames` with the instruction pointer and the return addresses of
// the suspended thread; no allocation, no lock.
int Walk(const Shared& s, CONTEXT& context, uintptr_t* frames)
{
#if defined(_WIN64)
    int count = 0;
    for (; count < kMaxFrames; ++count) {
        const uintptr_t pc = context.Rip;
        if (!pc)
            break;
        // A return address names the call before it.
        frames[count] = count ? pc - 1 : pc;
        const ModuleRange* m = ModuleOf(s.modules, pc);
        if (!m || context.Rsp < s.stackLow || context.Rsp + 8 > s.stackHigh)
            break;
        PRUNTIME_FUNCTION function = m->functions ? FunctionOf(*m, pc) : nullptr;
        if (!function) {
            // A leaf: the return address is on top of the stack.
            context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
            context.Rsp += 8;
        } else {
            void* handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, m->base, pc, function, &context, &handlerData,
                             &establisher, nullptr);
        }
    }
    return count;
#else
    frames[0] = context.Eip;
    return 1;
#endif
}

DWORD WINAPI SamplerThread(void* parameter)
{
    Shared& s = *static_cast<Shared*>(parameter);
    uintptr_t frames[kMaxFrames];
    while (!s.stop) {
        Sleep(kPeriodMs);
        if (SuspendThread(s.target) == DWORD(-1))
            continue;
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_FULL;
        int count = 0;
        if (GetThreadContext(s.target, &context))
            count = Walk(s, context, frames);
        ResumeThread(s.target);
        if (count == 0)
            continue;

        Profile& p = s.profile;
        ++p.samples;
        auto vma = [&](uintptr_t a) { return uint64_t(a - s.exeBase) + s.exePreferred; };
        auto inExe = [&](uintptr_t a) { return a >= s.modules[0].base && a < s.modules[0].end; };
        if (inExe(frames[0])) {
            ++p.self[vma(frames[0])];
        } else {
            const ModuleRange* m = ModuleOf(s.modules, frames[0]);
            ++p.modules[m ? m->name : L"(unknown)"];
            for (int i = 1; i < count; ++i) {
                if (inExe(frames[i])) {
                    ++p.systemCallers[vma(frames[i])];
                    if (const ModuleRange* called = ModuleOf(s.modules, frames[i - 1]))
                        ++p.systemEntries[NearestExport(*called, frames[i - 1])];
                    break;
                }
            }
        }
        std::vector<uint64_t> seen;
        for (int i = 0; i < count; ++i) {
            if (!inExe(frames[i]))
                continue;
            const uint64_t a = vma(frames[i]);
            if (std::find(seen.begin(), seen.end(), a) == seen.end()) {
                seen.push_back(a);
                ++p.inclusive[a];
            }
        }
    }
    return 0;
}

}  // namespace

Profile SampleWhile(double seconds, void (*work)(void*), void* context)
{
    Shared s;
    s.modules = LoadedModules();
    s.exeBase = s.modules[0].base;
    BYTE* base = reinterpret_cast<BYTE*>(s.exeBase);
    s.exePreferred = reinterpret_cast<IMAGE_NT_HEADERS*>(
                         base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew)
                         ->OptionalHeader.ImageBase;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &s.target,
                    THREAD_ALL_ACCESS, FALSE, 0);
    // The stack's range: from the start of the reservation that holds the
    // current frame to the end of the committed region the frame is in,
    // which is the top of the stack.
    MEMORY_BASIC_INFORMATION stack = {};
    VirtualQuery(&stack, &stack, sizeof(stack));
    s.stackLow = reinterpret_cast<uintptr_t>(stack.AllocationBase);
    s.stackHigh = reinterpret_cast<uintptr_t>(stack.BaseAddress) + stack.RegionSize;
    HANDLE sampler = CreateThread(nullptr, 0, SamplerThread, &s, 0, nullptr);
    const int64_t start = Ticks();
    while (TicksToSeconds(Ticks() - start) < seconds)
        work(context);
    InterlockedExchange(&s.stop, 1);
    WaitForSingleObject(sampler, INFINITE);
    CloseHandle(sampler);
    CloseHandle(s.target);
    return s.profile;
}

}  // namespace bench
