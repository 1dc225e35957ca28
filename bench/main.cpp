// tn_bench: times TNInstall.dll against the floor of reading its files and
// against the profile API, on generated installations.
//
//   tn_bench generate --preset typical|large [--dir C:\TNBench\typical\]
//   tn_bench run --preset typical|large [--dir ...] [--seconds 0.3]
//                [--min-rounds 11] [--out results.jsonl] [--query TEXT]
//                       (--query: only the queries whose name holds TEXT)
//   tn_bench smoke      a tiny installation, every answer checked, one short
//                       round; the registry values it borrows are put back
//   tn_bench profile --preset P --query TEXT [--switch on|off|memory]
//                    [--profile-seconds 5]
//                       samples the linked-in code answering one query
//                       (bench/profile.sh names the addresses); "memory":
//                       switch off and the query's files served from memory
//                       (the library's own work only)
//
// run prints JSON lines (bench/report.py makes the table) and returns 0 when
// every answer was right, 2 when some were wrong, 1 when it could not run.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "bench_run.h"
#include "json_line.h"
#include "saved_value.h"
#include "tree_writer.h"
#include "install/log_folder.h"

namespace {

int Usage()
{
    fprintf(stderr,
            "usage: tn_bench generate|run --preset typical|large [--dir DIR] [--seconds S]\n"
            "                [--min-rounds N] [--out FILE] [--query TEXT]\n"
            "       tn_bench smoke\n"
            "       tn_bench profile --preset P --query TEXT [--switch on|off|memory]\n"
            "                [--profile-seconds S]\n");
    return 1;
}

std::wstring WithBackslash(std::wstring dir)
{
    if (!dir.empty() && dir.back() != L'\\')
        dir += L'\\';
    return dir;
}

int Smoke()
{
    bench::RunOptions options;
    bench::FindPreset("smoke", options.preset);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    options.installDir = WithBackslash(temp) + L"tnbench_smoke_" +
                         std::to_wstring(GetCurrentProcessId()) + L"\\";
    options.timing.secondsPerFigure = 0;
    options.timing.minRounds = 1;
    options.timing.batchSeconds = 0;
    long wrong = -1;
    {
        bench::SavedValue installPath(L"Software\\Tessaron", L"InstallPath");
        bench::SavedValue language(L"Software\\Tessaron\\Vault\\UI", L"Language");
        wrong = bench::RunBenchmark(options);
        bench::RemoveStore(bench::BuildInstallation(options.preset));
    }
    bench::RemoveTree(options.installDir);
    fprintf(stderr, "smoke: %ld wrong answers\n", wrong);
    return wrong == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    tn::UseInstallLogFolder();  // as TNInstall.dll does when it is loaded
    if (argc < 2)
        return Usage();
    const std::wstring command = argv[1];
    if (command == L"smoke")
        return Smoke();
    if (command != L"run" && command != L"generate" && command != L"profile")
        return Usage();

    bench::RunOptions options;
    std::wstring presetName, outPath;
    std::string query;
    bool mapOn = false;
    bool fromMemory = false;
    double profileSeconds = 5;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i], value = argv[i + 1];
        if (option == L"--preset")
            presetName = value;
        else if (option == L"--dir")
            options.installDir = WithBackslash(value);
        else if (option == L"--seconds")
            options.timing.secondsPerFigure = _wtof(value.c_str());
        else if (option == L"--min-rounds")
            options.timing.minRounds = _wtoi(value.c_str());
        else if (option == L"--out")
            outPath = value;
        else if (option == L"--query")
            query = options.only = bench::ToUtf8(value);
        else if (option == L"--switch") {
            mapOn = value == L"on";
            fromMemory = value == L"memory";
        } else if (option == L"--profile-seconds")
            profileSeconds = _wtof(value.c_str());
        else
            return Usage();
    }
    if (!bench::FindPreset(bench::ToUtf8(presetName), options.preset))
        return Usage();
    if (options.installDir.empty())
        options.installDir = L"C:\\TNBench\\" + presetName + L"\\";

    if (command == L"generate") {
        bool reused = false;
        if (!bench::WriteTree(bench::BuildInstallation(options.preset), options.installDir,
                              &reused))
            return 1;
        fprintf(stderr, "%s: %s\n", bench::ToUtf8(options.installDir).c_str(),
                reused ? "up to date" : "written");
        return 0;
    }
    if (command == L"profile") {
        options.quiet = true;
        return bench::ProfileQuery(options, query, mapOn, fromMemory,
                                   profileSeconds);
    }
    if (!outPath.empty()) {
        options.out = _wfopen(outPath.c_str(), L"wb");
        if (!options.out)
            return 1;
    }
    const long wrong = bench::RunBenchmark(options);
    if (options.out != stdout)
        fclose(options.out);
    if (wrong < 0)
        return 1;
    fprintf(stderr, "%s: %ld wrong answers\n", options.preset.name.c_str(), wrong);
    return wrong == 0 ? 0 : 2;
}
