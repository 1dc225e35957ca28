#pragma once
#include <string>
#include <vector>

#include "json_check.h"
#include "probe_runner.h"

namespace tntest {

// Runs build/bin/tninstall.exe with `args`; standard output and standard
// error come back apart.
ProcessResult RunTool(const std::vector<std::wstring>& args);

// Runs it with --json added and parses standard output; `error` says why
// the output is not one JSON value.
struct ToolJson {
    unsigned long exitCode = ~0ul;
    bool parsed = false;
    std::string error;
    std::string raw;
    Json json;
};
ToolJson RunToolJson(std::vector<std::wstring> args);

}  // namespace tntest
