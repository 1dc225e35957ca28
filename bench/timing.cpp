#include "timing.h"

#include <algorithm>
#include <cmath>

#include "counters.h"

namespace bench {
namespace {

// Calls of calibration: until this much time passed, at most this many.
constexpr double kCalibrationSeconds = 0.02;
constexpr int kCalibrationCalls = 100000;
constexpr int kMaxBatch = 1000000;

void Calibrate(Figure& f, const TimingOptions& options)
{
    if (f.prepare)
        f.prepare();
    f.call();  // warm: first-use work (caches of the system, lazy loads) is not timed
    const int64_t start = Ticks();
    int calls = 0;
    double elapsed = 0;
    do {
        f.call();
        ++calls;
        elapsed = TicksToSeconds(Ticks() - start);
    } while (elapsed < kCalibrationSeconds && calls < kCalibrationCalls);
    const double perCall = elapsed / calls;
    f.batch = int(std::clamp(options.batchSeconds / perCall, 1.0, double(kMaxBatch)));
    const double perBatch = perCall * f.batch;
    f.rounds = std::max(options.minRounds, int(std::ceil(options.secondsPerFigure / perBatch)));
}

}  // namespace

double Quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double position = q * double(values.size() - 1);
    const size_t low = size_t(position);
    const size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (position - double(low));
}

void RunInterleaved(std::vector<Figure>& figures, const TimingOptions& options)
{
    int rounds = 0;
    for (Figure& f : figures) {
        Calibrate(f, options);
        rounds = std::max(rounds, f.rounds);
    }
    const size_t count = figures.size();
    for (int r = 0; r < rounds; ++r) {
        for (size_t i = 0; i < count; ++i) {
            Figure& f = figures[(i + size_t(r)) % count];
            if (int(f.perCall.size()) >= f.rounds)
                continue;
            if (f.prepare)
                f.prepare();
            const int64_t start = Ticks();
            for (int k = 0; k < f.batch; ++k)
                f.call();
            const double seconds = TicksToSeconds(Ticks() - start);
            f.perCall.push_back(seconds / f.batch);
            f.measuredSeconds += seconds;
        }
    }
}

}  // namespace bench
