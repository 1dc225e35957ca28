#include "tree_hash.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace tnrobust {
namespace {

constexpr uint64_t kFnvOffset = 0xCBF29CE484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001B3ull;

void Mix(uint64_t& hash, const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ p[i]) * kFnvPrime;
}

void Walk(const std::wstring& root, const std::wstring& relative, const std::wstring& skip,
          std::vector<char>& chunk, uint64_t& hash)
{
    std::vector<std::pair<std::wstring, bool>> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((root + relative + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.emplace_back(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    for (const auto& [name, isDir] : names) {
        const std::wstring path = relative + name + (isDir ? L"\\" : L"");
        if (isDir && _wcsicmp(path.c_str(), skip.c_str()) == 0)
            continue;
        Mix(hash, path.data(), path.size() * sizeof(wchar_t));
        if (isDir) {
            Walk(root, path, skip, chunk, hash);
            continue;
        }
        HANDLE file = CreateFileW((root + path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Mix(hash, "?", 1);
            continue;
        }
        DWORD got = 0;
        uint64_t size = 0;
        while (ReadFile(file, chunk.data(), DWORD(chunk.size()), &got, nullptr) && got > 0) {
            Mix(hash, chunk.data(), got);
            size += got;
        }
        Mix(hash, &size, sizeof(size));
        CloseHandle(file);
    }
}

}  // namespace

uint64_t HashTree(const std::wstring& root, const std::wstring& skip)
{
    uint64_t hash = kFnvOffset;
    std::vector<char> chunk(65536);
    Walk(root, std::wstring(), skip, chunk, hash);
    return hash;
}

}  // namespace tnrobust
