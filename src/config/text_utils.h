#pragma once
#include <cstdint>
#include <string>

#include "config/string_list.h"

namespace tn {

// True for a null or empty text.
inline bool IsNullOrEmpty(const wchar_t* text) { return !text || *text == L'\0'; }

// Names are compared with ASCII letters folded (A-Z = a-z) and every other
// code unit compared exactly. A null text equals nothing.
bool EqualsNoCase(const wchar_t* a, const wchar_t* b);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
bool EqualsNoCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength);
// True when `text` begins with `prefix` under the same rule.
bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix);

// Blanks are U+0020 only; TAB, CR and LF are not blanks.
void TrimLeft(std::wstring& text);
void Trim(std::wstring& text);
void TrimLeft(wchar_t* text);  // in place; null is accepted
void Trim(wchar_t* text);

// The value of the run of hexadecimal digits at the end of the first eight
// characters; 0 for null or empty.
uint32_t ParseHex(const wchar_t* text);

// An item of a list text holds at most this many characters; a longer one
// ends the split.
constexpr size_t kListItemMaxChars = 511;

// Appends the items of `text` to `list` and returns how many were appended.
size_t SplitList(const wchar_t* text, StringList& list, wchar_t separator, bool keepEmpty);
bool ListContains(const StringList& list, const wchar_t* text);
bool AddUnique(StringList& list, const wchar_t* text);
bool IsInList(const wchar_t* listText, const wchar_t* item, wchar_t separator);
// Removes every occurrence of `item`; on a change rebuilds the text joined by
// commas. Returns true if anything was removed (the text is untouched otherwise).
bool RemoveFromList(std::wstring& listText, const wchar_t* item, wchar_t separator);

// Reads an INI value as a signed decimal: leading white space, an optional
// sign, digits up to the first other character, clamped to the 32-bit range.
// An empty or null text gives `defaultValue`; text without digits gives 0.
int ParseIniInt(const wchar_t* text, int defaultValue);

// Copies `text` into a fixed field of `capacity` units (terminator included),
// cut to capacity - 1 characters.
void CopyToField(wchar_t* field, size_t capacity, const wchar_t* text);

}  // namespace tn
