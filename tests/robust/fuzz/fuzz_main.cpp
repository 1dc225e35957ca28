// tn_fuzz: seeded, bounded mutation fuzzers of the library's input surfaces.
// Run with no iteration count it tries the small number the test suite uses;
// give --iterations for long runs by hand (see fuzz_run.h for the options).
#include <windows.h>

#include <cstdio>
#include <string>

#include "crash_guard.h"
#include "fuzz_targets.h"
#include "install/log_folder.h"

int wmain(int argc, wchar_t** argv)
{
    tn::UseInstallLogFolder();
    tnrobust::FuzzOptions options;
    std::string error;
    if (!tnrobust::ParseFuzzOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    // Diagnostics of the record parser go to standard output; the fuzzers
    // report on standard error, so a million short lines stay out of sight.
    std::freopen("NUL", "w", stdout);
    tnrobust::InstallCrashGuard(L"tn_fuzz-" + options.target + L"-crash.txt", options.hangSeconds);
    if (options.target == L"ini")
        return tnrobust::FuzzIni(options);
    if (options.target == L"record")
        return tnrobust::FuzzRecord(options);
    if (options.target == L"tree")
        return tnrobust::FuzzTree(options);
    if (options.target == L"hive")
        return tnrobust::FuzzHive(options);
    std::fprintf(stderr, "unknown target\n");
    return 2;
}
