#pragma once

namespace tn {

// The characters of INI text that both the parser reads and a save writes.
constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr wchar_t kOpenBracket = L'[';
constexpr wchar_t kCloseBracket = L']';
constexpr wchar_t kKeySeparator = L'=';

}  // namespace tn
