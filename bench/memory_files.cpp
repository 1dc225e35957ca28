#include "memory_files.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "import_patch.h"

namespace bench {
namespace {

using CreateFileWFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                      HANDLE);
using GetFileSizeFn = DWORD(WINAPI*)(HANDLE, LPDWORD);
using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using CloseHandleFn = BOOL(WINAPI*)(HANDLE);

CreateFileWFn g_createFileW;
GetFileSizeFn g_getFileSize;
ReadFileFn g_readFile;
CloseHandleFn g_closeHandle;

inline wchar_t Fold(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }

// Paths compared with ASCII letters folded, without making folded copies:
// the lookup is part of every call measured from memory.
struct FoldedLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return Less(a.c_str(), b.c_str());
    }
    bool operator()(const std::wstring& a, const wchar_t* b) const { return Less(a.c_str(), b); }
    bool operator()(const wchar_t* a, const std::wstring& b) const { return Less(a, b.c_str()); }
    using is_transparent = void;
    static bool Less(const wchar_t* a, const wchar_t* b)
    {
        for (;; ++a, ++b) {
            const wchar_t x = Fold(*a), y = Fold(*b);
            if (x != y || x == L'\0')
                return x < y;
        }
    }
};

struct Held {
    std::vector<char> bytes;
};

// One open copy: which file, and how far it has been read.
struct OpenCopy {
    const Held* file = nullptr;
    size_t position = 0;
};

bool g_serving = false;
size_t g_passedThrough = 0;
std::map<std::wstring, std::unique_ptr<Held>, FoldedLess> g_files;
// Handles of open copies are addresses of these slots: they cannot be
// confused with the system's handles, which are small numbers.
constexpr size_t kSlots = 16;
OpenCopy g_open[kSlots];

OpenCopy* CopyOf(HANDLE handle)
{
    const auto* slot = reinterpret_cast<const OpenCopy*>(handle);
    if (slot < g_open || slot >= g_open + kSlots)
        return nullptr;
    return const_cast<OpenCopy*>(slot);
}

HANDLE WINAPI MemoryCreateFileW(LPCWSTR path, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE templateFile)
{
    if (g_serving && path && disposition == OPEN_EXISTING && !(access & GENERIC_WRITE)) {
        const auto it = g_files.find(path);
        if (it != g_files.end()) {
            for (OpenCopy& slot : g_open) {
                if (!slot.file) {
                    slot = OpenCopy{it->second.get(), 0};
                    return reinterpret_cast<HANDLE>(&slot);
                }
            }
        }
    }
    if (g_serving)
        ++g_passedThrough;
    return g_createFileW(path, access, share, security, disposition, flags, templateFile);
}

DWORD WINAPI MemoryGetFileSize(HANDLE file, LPDWORD high)
{
    if (const OpenCopy* copy = CopyOf(file)) {
        if (high)
            *high = 0;
        return DWORD(copy->file->bytes.size());
    }
    return g_getFileSize(file, high);
}

BOOL WINAPI MemoryReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                           LPOVERLAPPED overlapped)
{
    OpenCopy* copy = CopyOf(file);
    if (!copy)
        return g_readFile(file, buffer, toRead, read, overlapped);
    const std::vector<char>& bytes = copy->file->bytes;
    const size_t n = std::min<size_t>(toRead, bytes.size() - copy->position);
    if (n)
        memcpy(buffer, bytes.data() + copy->position, n);
    copy->position += n;
    if (read)
        *read = DWORD(n);
    return TRUE;
}

BOOL WINAPI MemoryCloseHandle(HANDLE handle)
{
    if (OpenCopy* copy = CopyOf(handle)) {
        *copy = OpenCopy();
        return TRUE;
    }
    return g_closeHandle(handle);
}

}  // namespace

bool InstallMemoryFiles()
{
    bool ok = Redirect("CreateFileW", &MemoryCreateFileW, g_createFileW);
    ok = Redirect("GetFileSize", &MemoryGetFileSize, g_getFileSize) && ok;
    ok = Redirect("ReadFile", &MemoryReadFile, g_readFile) && ok;
    ok = Redirect("CloseHandle", &MemoryCloseHandle, g_closeHandle) && ok;
    return ok;
}

bool HoldInMemory(const std::wstring& path)
{
    if (g_files.count(path))
        return true;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    auto held = std::make_unique<Held>();
    held->bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    const BOOL ok = held->bytes.empty() ||
                    ReadFile(file, held->bytes.data(), DWORD(held->bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != held->bytes.size())
        return false;
    g_files[path] = std::move(held);
    return true;
}

const std::vector<char>* HeldBytes(const std::wstring& path)
{
    const auto it = g_files.find(path);
    return it == g_files.end() ? nullptr : &it->second->bytes;
}

void ServeFromMemory(bool on) { g_serving = on; }

size_t OpenedFromDisk() { return g_passedThrough; }

}  // namespace bench
