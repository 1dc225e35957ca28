#pragma once
#include <string>
#include <vector>

namespace tntest {

// Starts tn_probe.exe (from `dir`, default: beside the test executable) in a
// fresh process with the given calls, and returns its output lines (UTF-8).
// The process starts in `workDir`, by default the probe's own folder.
std::vector<std::string> RunProbe(const std::vector<std::wstring>& calls,
                                  const std::wstring& dir = std::wstring(),
                                  const std::wstring& workDir = std::wstring());

// The same for any program: command line, its output, and its exit code.
// Standard error joins `out` unless `separateErr` asks for it in `err`.
struct ProcessResult {
    unsigned long exitCode = ~0ul;
    std::string out;
    std::string err;
};
ProcessResult RunProcess(const std::wstring& exe, const std::vector<std::wstring>& args,
                         const std::wstring& workDir = std::wstring(), bool separateErr = false);

}  // namespace tntest
