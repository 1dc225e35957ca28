#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tn {

// Small helpers for UTF-16 text, shared by the core and the store.

// The one case rule for names: ASCII A-Z fold to a-z, every other code unit
// stays as it is (no locale, no Unicode case mapping).
constexpr wchar_t FoldAscii(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// A copy of `length` units of `text` with ASCII letters folded: the key
// under which case-insensitive indexes keep a name.
inline std::wstring FoldedCopy(const wchar_t* text, size_t length)
{
    std::wstring folded(text, length);
    for (wchar_t& c : folded)
        c = FoldAscii(c);
    return folded;
}

// Whether two counted texts are equal with ASCII letters folded.
inline bool EqualsFolded(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

// A hash of `length` units of `text` under the same rule (FNV-1a over the
// folded units), for indexes that look names up without folded copies.
inline uint32_t HashFolded(const wchar_t* text, size_t length)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ FoldAscii(text[i])) * 16777619u;
    return hash;
}

// Copies the first min(length, capacity - 1) units of `text` and a
// terminator into `buffer`; a null buffer or a capacity of 0 is left alone.
inline void CopyCut(const std::wstring& text, wchar_t* buffer, size_t capacity)
{
    if (!buffer || capacity == 0)
        return;
    const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(buffer, n);
    buffer[n] = L'\0';
}

}  // namespace tn
