#pragma once
#include <windows.h>

namespace tn {

// Diagnostic lines appended to {I}Data\TNLog\<program>.log (or the Windows
// directory's TNLog\ when the install directory is unknown at the first
// call). Logging never fails a caller; a null message writes nothing.
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

// Forgets the log folder computed by the first call (tests only).
void ResetLogFolderForTesting();

}  // namespace tn
