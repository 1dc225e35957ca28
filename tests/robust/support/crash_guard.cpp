#include "crash_guard.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <exception>

namespace tnrobust {
namespace {

constexpr DWORD kCrashExitCode = 3;

std::wstring g_reportPath;
std::function<std::string()> g_describe;
std::atomic<uint64_t> g_progress{0};
std::atomic<bool> g_reporting{false};
unsigned g_hangSeconds = 0;

void Report(const char* what)
{
    if (g_reporting.exchange(true))
        TerminateProcess(GetCurrentProcess(), kCrashExitCode);
    std::string text = std::string(what) + "\n";
    if (g_describe) {
        try {
            text += g_describe();
        } catch (...) {
            text += "(the input could not be described)\n";
        }
    }
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    if (!g_reportPath.empty()) {
        if (FILE* f = _wfopen(g_reportPath.c_str(), L"wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    TerminateProcess(GetCurrentProcess(), kCrashExitCode);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info)
{
    char what[128];
    std::snprintf(what, sizeof(what), "CRASH: exception 0x%08lx at %p",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                  info->ExceptionRecord->ExceptionAddress);
    Report(what);
    return EXCEPTION_EXECUTE_HANDLER;
}

void OnTerminate() { Report("CRASH: an exception escaped or terminate was called"); }

DWORD WINAPI Watch(void*)
{
    uint64_t seen = g_progress;
    for (;;) {
        Sleep(g_hangSeconds * 1000);
        const uint64_t now = g_progress;
        if (now == seen)
            Report("HANG: no progress");
        seen = now;
    }
}

}  // namespace

void InstallCrashGuard(const std::wstring& reportPath, unsigned hangSeconds)
{
    g_reportPath = reportPath;
    g_hangSeconds = hangSeconds;
    SetUnhandledExceptionFilter(OnCrash);
    std::set_terminate(OnTerminate);
    if (hangSeconds != 0) {
        HANDLE thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
        if (thread)
            CloseHandle(thread);
    }
}

void SetCurrentInput(std::function<std::string()> describe) { g_describe = std::move(describe); }

void Progress() { ++g_progress; }

}  // namespace tnrobust
