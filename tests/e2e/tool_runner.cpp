#include "tool_runner.h"

#include "test_support.h"

namespace tntest {

ProcessResult RunTool(const std::vector<std::wstring>& args)
{
    return RunProcess(ExeDir() + L"tninstall.exe", args, ExeDir(), true);
}

ToolJson RunToolJson(std::vector<std::wstring> args)
{
    args.push_back(L"--json");
    const ProcessResult run = RunTool(args);
    ToolJson result;
    result.exitCode = run.exitCode;
    result.raw = run.out;
    result.parsed = ParseJson(run.out, result.json, result.error);
    return result;
}

}  // namespace tntest
