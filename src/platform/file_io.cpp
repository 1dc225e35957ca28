#include "platform/file_io.h"

#include <cwchar>

namespace tn {
namespace {

// How many temporary names are tried before giving up when others exist.
constexpr int kTempNameAttempts = 16;
// WriteFile takes a DWORD count; large contents go in pieces of this size.
constexpr DWORD kWriteChunkBytes = 1u << 20;

// The folder part of `path` (up to its last separator), possibly empty.
std::wstring FolderOf(const std::wstring& path)
{
    const size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// A path the file functions accept whatever its length: paths that reach
// MAX_PATH get the extended-length prefix, which needs the full form.
std::wstring UsablePath(const std::wstring& path)
{
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

FileHandle CreateTempBeside(const std::wstring& target, std::wstring& tempPath)
{
    const std::wstring folder = FolderOf(target);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        wchar_t name[32];
        swprintf(name, 32, L"~tn%08lx.tmp",
                 static_cast<unsigned long>(GetCurrentProcessId() * 7919u + GetTickCount() + ++counter));
        tempPath = UsablePath(folder + name);
        FileHandle file(CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsValid())
            return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    tempPath.clear();
    return FileHandle();
}

bool WriteAll(HANDLE file, const void* bytes, size_t size)
{
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const DWORD chunk = size < kWriteChunkBytes ? static_cast<DWORD>(size) : kWriteChunkBytes;
        DWORD written = 0;
        if (!WriteFile(file, next, chunk, &written, nullptr) || written == 0)
            return false;
        next += written;
        size -= written;
    }
    return true;
}

}  // namespace

bool ReplaceFileContent(const wchar_t* path, const void* bytes, size_t size)
{
    if (!path || *path == L'\0')
        return false;
    // Everything that allocates happens before the temporary file exists.
    const std::wstring target = UsablePath(path);
    std::wstring tempPath;
    tempPath.reserve(target.size() + 32);
    FileHandle temp = CreateTempBeside(target, tempPath);
    if (!temp.IsValid())
        return false;
    bool ok = WriteAll(temp.Get(), bytes, size) && FlushFileBuffers(temp.Get());
    temp.Close();
    if (ok) {
        ok = MoveFileExW(tempPath.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!ok)
        DeleteFileW(tempPath.c_str());
    return ok;
}

}  // namespace tn
