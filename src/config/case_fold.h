#pragma once

namespace tn {

// The one case rule for names: ASCII A-Z fold to a-z, every other code unit
// stays as it is (no locale, no Unicode case mapping).
constexpr wchar_t FoldAscii(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace tn
