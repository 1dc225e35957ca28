#pragma once
#include <cstdio>
#include <string>

#include "model.h"
#include "timing.h"

namespace bench {

struct RunOptions {
    Preset preset;
    std::wstring installDir;  // with its trailing backslash
    TimingOptions timing;
    FILE* out = stdout;       // JSON lines
    bool quiet = false;       // no progress on standard error
    std::string only;         // run only the queries whose name holds this
};

// Sets the installation up (tree cached by its stamp, the store and
// "InstallPath" written afresh), checks every answer, counts one call of
// each query, then times all figures. Returns the number of wrong answers
// (library, linked copy and profile equivalent together), or -1 when the
// set-up fails.
long RunBenchmark(const RunOptions& options);

// Samples the linked-in code answering the first query whose name contains
// `query`, for `seconds`, and prints where the time went (addresses for
// bench/profile.sh to name).
int ProfileQuery(const RunOptions& options, const std::string& query, bool mapOn,
                 bool fromMemory, double seconds);

}  // namespace bench
