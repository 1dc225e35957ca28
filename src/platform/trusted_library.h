#pragma once
#include <windows.h>

namespace tn {

// Loads a DLL by file name from the trusted folders of the search order only:
// the calling program's folder, the folders the process named itself
// (SetDllDirectoryW, and AddDllDirectory where the system has it), and the
// system folders. The current directory and PATH are never searched, so a
// copy planted there is not run. Null when no trusted folder holds it.
HMODULE LoadTrustedLibrary(const wchar_t* fileName);

// The way of systems without the search flags (before Windows 8, unless the
// update that added AddDllDirectory is installed): the program's folder, the
// SetDllDirectoryW folder, the system folder and the Windows folder, each
// tried by full path. LoadTrustedLibrary takes it where it must.
HMODULE LoadTrustedLibraryByFullPaths(const wchar_t* fileName);

}  // namespace tn
