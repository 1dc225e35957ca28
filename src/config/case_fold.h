#pragma once
#include <cstddef>
#include <string>

namespace tn {

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

}  // namespace tn
