#pragma once
#include <windows.h>
#include <cstddef>
#include <string>

#include "win32/file_handle.h"

namespace tn {

// Opens an existing file for reading, sharing it for reading only. A writer
// that replaces the file holds it for a moment, and an open at that moment
// fails with a sharing violation: such an open is tried again for a short
// while (kOpenRetries times, kOpenRetryPauseMs apart) before it fails.
constexpr int kOpenRetries = 20;
constexpr DWORD kOpenRetryPauseMs = 5;
FileHandle OpenForReading(const wchar_t* path);

// Replaces the file at `path` with exactly `size` bytes: they are written to
// a new temporary file in the same folder, flushed, and moved over the
// target in one step. On any failure the temporary file is deleted, the
// target keeps its old content, and the result is false.
bool ReplaceFileContent(const wchar_t* path, const void* bytes, size_t size);

}  // namespace tn
