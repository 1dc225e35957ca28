#pragma once
// What one call of the linked-in library code costs besides time: heap
// allocations (count, bytes, peak above the level at the start of the
// call), files opened and bytes read, and hive-store calls with the time
// spent in them. Heap and file functions are counted by redirecting this
// program's own import table entries, so the library module loaded from
// TNInstall.dll (which has its own table) is never slowed down by it.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct CallCounts {
    uint64_t allocations = 0;
    uint64_t allocatedBytes = 0;
    int64_t peakBytes = 0;       // highest live heap bytes above the start level
    int opens = 0;               // CreateFileW calls
    int reads = 0;               // ReadFile calls
    uint64_t bytesRead = 0;
    uint64_t largestRead = 0;
    std::vector<std::wstring> openedPaths;
    int storeObjects = 0;        // GetHivePtr calls
    int storeOpens = 0;          // OpenKey / CreateKey
    int storeReads = 0;          // ReadValue
    int storeFinds = 0;          // FindValue
    double storeSeconds = 0;     // inside GetHivePtr and the key objects
    double callSeconds = 0;      // the whole call (set by Measured)
};

// Seconds from a QueryPerformanceCounter difference.
double TicksToSeconds(int64_t ticks);
int64_t Ticks();

// Redirects the heap and file imports and puts a counting wrapper around
// the hive store the linked-in code reaches. False when an import cannot be
// redirected.
bool InstallCounters();

// Counting happens between Begin and End only.
void BeginCounting();
CallCounts EndCounting();

// When armed, Measured counts the one library call it makes, and nothing
// the caller does with the answer afterwards; LastCounts gives the result.
void ArmCounting(bool armed);
bool CountingArmed();
const CallCounts& LastCounts();
void StoreLastCounts(const CallCounts& counts);

template <class Call>
auto Measured(Call call)
{
    if (!CountingArmed())
        return call();
    BeginCounting();
    const int64_t start = Ticks();
    auto result = call();
    const double seconds = TicksToSeconds(Ticks() - start);
    CallCounts counts = EndCounting();
    counts.callSeconds = seconds;
    StoreLastCounts(counts);
    return result;
}


}  // namespace bench
