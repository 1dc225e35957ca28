#pragma once
// Interleaved timing: every figure is measured in batches of calls, one
// batch per figure per round, the figures taking turns within each round
// (in a rotating order), so slow drifts of the machine hit all of them
// alike. A figure's value is the median over its rounds of the time per call.
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct Figure {
    std::string query;
    bool mapOn = false;
    std::string method;              // "dll", "raw" or "profile"
    std::function<void()> prepare;   // before each batch, not timed
    std::function<void()> call;      // one call

    int batch = 1;                   // calls per timed batch
    int rounds = 0;                  // batches it needs
    std::vector<double> perCall;     // seconds per call, one value per batch
    double measuredSeconds = 0;      // time spent inside the timed batches
};

struct TimingOptions {
    double secondsPerFigure = 0.3;  // at least this much timed work per figure
    int minRounds = 11;
    double batchSeconds = 0.01;     // aim of one batch
};

void RunInterleaved(std::vector<Figure>& figures, const TimingOptions& options);

// The q-quantile (0..1) of the values, interpolated; 0 for none.
double Quantile(std::vector<double> values, double q);

}  // namespace bench
