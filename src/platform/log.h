#pragma once
#include <windows.h>

#include <string>

namespace tn {

// Diagnostic lines appended to <base>\TNLog\<program>.log, where the base
// folder is what the source set below names at the first call that has a
// message, or the Windows directory when there is no source or it names
// none. The folder is then kept for the process. Logging never fails a
// caller; a null message writes nothing.
void WriteLogA(const char* message, DWORD apiCode, int moduleCode);
void WriteLogW(const wchar_t* message, DWORD apiCode, int moduleCode);
void WriteLogPairW(const wchar_t* first, const wchar_t* second, DWORD apiCode, int moduleCode);
inline void WriteLogA(const char* message) { WriteLogA(message, 0, 0); }
inline void WriteLogW(const wchar_t* message) { WriteLogW(message, 0, 0); }
inline void WriteLogPairW(const wchar_t* first, const wchar_t* second)
{
    WriteLogPairW(first, second, 0, 0);
}

// The log file grows to at most this size before it is started afresh.
constexpr DWORD kLogSizeLimit = 460800;

// Names the folder that holds the log's TNLog\ folder (created when
// missing), or answers empty when it knows none. The installation sets it
// (install/log_folder.cpp): the log knows nothing of the installation.
using LogBaseFolderSource = std::wstring (*)();
void SetLogBaseFolderSource(LogBaseFolderSource source);

// Forgets the log folder computed by the first call (tests only).
void ResetLogFolderForTesting();

}  // namespace tn
