#include "probe_runner.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "test_support.h"

namespace tntest {
namespace {

std::wstring Quote(const std::wstring& arg)
{
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        if (c == L'"')
            out.append(slashes * 2 + 1, L'\\');
        else
            out.append(slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

ProcessResult RunProcess(const std::wstring& exe, const std::vector<std::wstring>& args,
                         const std::wstring& workDir, bool separateErr)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::wstring command = Quote(exe);
    for (const std::wstring& arg : args)
        command += L" " + Quote(arg);

    // Standard error goes to a temporary file when kept apart: a second pipe
    // could fill up while the first one is being read.
    HANDLE errFile = nullptr;
    std::wstring errPath;
    if (separateErr) {
        wchar_t dir[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"err", 0, name);
        errPath = name;
        errFile = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (errFile == INVALID_HANDLE_VALUE) {
            CloseHandle(readEnd);
            CloseHandle(writeEnd);
            throw std::runtime_error("cannot create the standard error file");
        }
    }

    STARTUPINFOW start = {};
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writeEnd;
    start.hStdError = separateErr ? errFile : writeEnd;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    // Wine's process start has been seen to fail once in a while on a loaded
    // machine, then succeed at once; a few tries keep that from failing a test.
    bool started = false;
    DWORD error = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0)
            Sleep(200);
        started = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 workDir.empty() ? nullptr : workDir.c_str(), &start, &process) != 0;
        if (!started)
            error = GetLastError();
    }
    if (!started) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        if (errFile) {
            CloseHandle(errFile);
            DeleteFileW(errPath.c_str());
        }
        throw std::runtime_error("CreateProcess failed: error " + std::to_string(error));
    }
    CloseHandle(writeEnd);

    ProcessResult result;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        result.out.append(chunk, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, 120000);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (errFile) {
        SetFilePointer(errFile, 0, nullptr, FILE_BEGIN);
        while (ReadFile(errFile, chunk, sizeof(chunk), &got, nullptr) && got > 0)
            result.err.append(chunk, got);
        CloseHandle(errFile);
        DeleteFileW(errPath.c_str());
    }
    return result;
}

std::vector<std::string> RunProbe(const std::vector<std::wstring>& calls, const std::wstring& dir,
                                  const std::wstring& workDir)
{
    const std::wstring where = dir.empty() ? ExeDir() : dir;
    const ProcessResult run =
        RunProcess(where + L"tn_probe.exe", calls, workDir.empty() ? where : workDir);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < run.out.size()) {
        size_t end = run.out.find('\n', start);
        if (end == std::string::npos)
            end = run.out.size();
        std::string line = run.out.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace tntest
