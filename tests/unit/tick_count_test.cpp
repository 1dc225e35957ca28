// GetTickCount64 as the modules get it where the system lacks it: GetTickCount
// widened across the 49.7-day wrap, never going back, from any thread.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "compat/tick_count64.h"

namespace {

constexpr std::uint64_t kLap = std::uint64_t(1) << 32;

TEST(TickCount64, WidensAcrossTheWrapAndNeverGoesBack)
{
    struct Case {
        std::uint64_t last;
        std::uint32_t now;
        std::uint64_t expected;
    } const cases[] = {
        {0, 0, 0},
        {0, 1000, 1000},
        {5000, 5000, 5000},
        {5000, 4000, 5000},                        // read earlier, arrived later
        {0xFFFFFF00u, 0x10u, kLap + 0x10u},        // the wrap
        {kLap + 0x10u, 0x20u, kLap + 0x20u},
        {3 * kLap + 0xFFFFFFFFu, 0, 4 * kLap},
        {0x90000000u, 0x10000000u, kLap + 0x10000000u},  // more than half a lap back: a wrap
        {0x80000000u, 0x00000001u, 0x80000000u},         // less than half: a stale reading
        {kLap + 0x7FFFFFFFu, 0x80000000u, kLap + 0x80000000u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, tn::WidenTickCount(c.last, c.now)) << c.last << " " << c.now;
}

TEST(TickCount64, ThreadsSeeOneRisingCount)
{
    std::vector<std::thread> threads;
    std::vector<int> backwards(4, 0);
    for (int& count : backwards)
        threads.emplace_back([&count] {
            ULONGLONG previous = tn::WidenedTickCount();
            for (int i = 0; i < 20000; ++i) {
                const ULONGLONG now = tn::WidenedTickCount();
                count += now < previous;
                previous = now;
            }
        });
    for (std::thread& t : threads)
        t.join();
    for (int count : backwards)
        EXPECT_EQ(0, count);
    // Its low 32 bits are the system's count.
    const DWORD before = GetTickCount();
    const DWORD low = static_cast<DWORD>(tn::WidenedTickCount());
    const DWORD after = GetTickCount();
    EXPECT_LE(low - before, after - before);
}

}  // namespace
