#include "floor.h"

#include <windows.h>

#include "memory_files.h"

namespace bench {
namespace {

inline wchar_t Fold(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }

}  // namespace

size_t CountKeyLines(const wchar_t* text, size_t length, const std::wstring& key)
{
    const wchar_t* const end = text + length;
    const wchar_t* p = text;
    const size_t keyLength = key.size();
    const wchar_t first = keyLength ? Fold(key[0]) : L'\0';
    size_t found = 0;
    while (p < end) {
        // At the start of a line: compare the key, then skip to the next LF.
        if (keyLength && Fold(*p) == first && size_t(end - p) > keyLength) {
            size_t i = 1;
            while (i < keyLength && Fold(p[i]) == Fold(key[i]))
                ++i;
            if (i == keyLength) {
                const wchar_t* q = p + keyLength;
                while (q < end && *q == L' ')
                    ++q;
                if (q < end && *q == L'=')
                    ++found;
            }
        }
        while (p < end && *p != L'\n')
            ++p;
        ++p;
    }
    return found;
}

size_t FloorReader::ReadAndScan(const FloorFile& file)
{
    HANDLE handle = CreateFileW(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD size = GetFileSize(handle, nullptr);
    if (buffer_.size() < size)
        buffer_.resize(size);
    DWORD read = 0;
    const BOOL ok = size && ReadFile(handle, buffer_.data(), size, &read, nullptr);
    CloseHandle(handle);
    if (!ok)
        return 0;
    lastBytes_ += read;
    if (read > largest_)
        largest_ = read;
    return Scan(buffer_.data(), read, file.key);
}

size_t FloorReader::Scan(const char* bytes, size_t size, const std::wstring& key)
{
    const wchar_t* text = reinterpret_cast<const wchar_t*>(bytes);
    size_t units = size / sizeof(wchar_t);
    if (units && text[0] == 0xFEFF) {
        ++text;
        --units;
    }
    return CountKeyLines(text, units, key);
}

size_t FloorReader::ScanHeld(const std::vector<FloorFile>& files) const
{
    size_t found = 0;
    for (const FloorFile& f : files)
        if (const std::vector<char>* bytes = HeldBytes(f.path))
            found += Scan(bytes->data(), bytes->size(), f.key);
    return found;
}

size_t FloorReader::Run(const std::vector<FloorFile>& files)
{
    lastBytes_ = 0;
    size_t found = 0;
    for (const FloorFile& f : files)
        found += ReadAndScan(f);
    return found;
}

}  // namespace bench
