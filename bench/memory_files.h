#pragma once
// Files served from memory to the library code linked into tn_bench: while
// serving is on, CreateFileW of a path held here opens the copy in memory,
// and GetFileSize, ReadFile and CloseHandle answer for it, so that a call
// costs the library's own work (parsing and lookups) without the file
// calls. Every other path, and every call while serving is off, goes to the
// system. TNInstall.dll has its own imports and always reads the disk.
#include <string>
#include <vector>

namespace bench {

// Redirects the file imports; false when one cannot be redirected.
bool InstallMemoryFiles();
// Reads `path` from disk and keeps its bytes, once; false when it cannot.
bool HoldInMemory(const std::wstring& path);
// The bytes held for `path` (matched without regard to ASCII case), or null.
const std::vector<char>* HeldBytes(const std::wstring& path);
void ServeFromMemory(bool on);
// How many files were opened from disk while serving was on.
size_t OpenedFromDisk();

}  // namespace bench
