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
inline bool IsBlank(wchar_t c) { return c == L' '; }
// Narrow the counted text [text, text + length) past its leading blanks,
// its trailing blanks, or both; the text itself is not touched.
inline void SkipLeadingBlanks(const wchar_t*& text, size_t& length)
{
    while (length > 0 && IsBlank(*text)) {
        ++text;
        --length;
    }
}
inline void DropTrailingBlanks(const wchar_t* text, size_t& length)
{
    while (length > 0 && IsBlank(text[length - 1]))
        --length;
}
inline void TrimBlanks(const wchar_t*& text, size_t& length)
{
    SkipLeadingBlanks(text, length);
    DropTrailingBlanks(text, length);
}
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

// What a walk over a list text does with an item longer than
// kListItemMaxChars, and with an empty item.
enum class LongItems { kEndTheWalk, kVisit };
enum class EmptyItems { kSkip, kVisit };

// Walks the items of the list text [text, end) in order, calling
// visit(start, length) for each until it returns false. Returns false if
// the walk stopped early: at visit's word, or, with LongItems::kEndTheWalk,
// at an item that outgrows kListItemMaxChars, which is not visited.
template <typename Visit>
bool ForEachItem(const wchar_t* text, const wchar_t* end, wchar_t separator, LongItems longItems,
                 EmptyItems emptyItems, Visit visit)
{
    const wchar_t* start = text;
    for (const wchar_t* p = text;; ++p) {
        if (p != end && *p != separator) {
            if (longItems == LongItems::kEndTheWalk &&
                static_cast<size_t>(p - start) >= kListItemMaxChars)
                return false;
            continue;
        }
        const size_t length = static_cast<size_t>(p - start);
        if ((length > 0 || emptyItems == EmptyItems::kVisit) && !visit(start, length))
            return false;
        if (p == end)
            return true;
        start = p + 1;
    }
}

// Appends the items of `text` to `list` and returns how many were appended.
size_t SplitList(const wchar_t* text, StringList& list, wchar_t separator, bool keepEmpty);
bool ListContains(const StringList& list, const wchar_t* text);
bool AddUnique(StringList& list, const wchar_t* text);
bool IsInList(const wchar_t* listText, const wchar_t* item, wchar_t separator);

// Removes every item for which remove(start, length) is true; on a change
// rebuilds the text from the other items, joined by commas (empty items
// drop out). No item limit applies: nothing beyond an over-long item is
// lost. Returns true if anything was removed (the text is untouched
// otherwise).
template <typename Remove>
bool RemoveItemsIf(std::wstring& listText, wchar_t separator, Remove remove)
{
    std::wstring rebuilt;
    bool removed = false;
    const wchar_t* text = listText.data();
    ForEachItem(text, text + listText.size(), separator, LongItems::kVisit, EmptyItems::kSkip,
                [&](const wchar_t* start, size_t length) {
                    if (remove(start, length)) {
                        removed = true;
                    } else {
                        if (!rebuilt.empty())
                            rebuilt += L',';
                        rebuilt.append(start, length);
                    }
                    return true;
                });
    if (removed)
        listText.swap(rebuilt);
    return removed;
}
// Removes every occurrence of `item` as RemoveItemsIf does.
bool RemoveFromList(std::wstring& listText, const wchar_t* item, wchar_t separator);

// The C library's white space: blank, TAB, LF, VT, FF, CR.
inline bool IsWhiteSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Reads an INI value as a signed decimal: leading white space, an optional
// sign, digits up to the first other character, clamped to the 32-bit range.
// An empty or null text gives `defaultValue`; text without digits gives 0.
int ParseIniInt(const wchar_t* text, int defaultValue);

// Copies `text` into a fixed field of `capacity` units (terminator included),
// cut to capacity - 1 characters.
void CopyToField(wchar_t* field, size_t capacity, const wchar_t* text);

// What separates the folders of a path: the backslash alone, or either
// slash.
enum class PathSeparators { kBackslash, kBackslashOrSlash };

// The file name of `path`: the text after its last separator (the whole
// path when it has none; empty when it ends in one).
const wchar_t* FileNamePart(const wchar_t* path, PathSeparators separators);

// The file name of `path` cut to `maxChars` characters, then without its
// extension (from its last dot on).
std::wstring FileNameStem(const wchar_t* path, size_t maxChars, PathSeparators separators);

}  // namespace tn
