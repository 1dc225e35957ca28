#include "config/text_utils.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "win32/wide_text.h"

namespace tn {
namespace {

// ParseHex looks at no more than this many leading characters.
constexpr size_t kHexMaxDigits = 8;

int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c = FoldAscii(c);
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return -1;
}

}  // namespace

bool EqualsNoCase(const wchar_t* a, const wchar_t* b)
{
    if (!a || !b)
        return false;
    for (;; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b))
            return false;
        if (*a == L'\0')
            return true;
    }
}

bool EqualsNoCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    return EqualsFolded(a, aLength, b, bLength);
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    return EqualsNoCase(a.data(), a.size(), b.data(), b.size());
}

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix)
{
    if (!text || !prefix)
        return false;
    for (; *prefix != L'\0'; ++text, ++prefix) {
        if (FoldAscii(*text) != FoldAscii(*prefix))
            return false;  // also at the end of `text`: NUL never equals a prefix character
    }
    return true;
}

void TrimLeft(std::wstring& text)
{
    const wchar_t* start = text.data();
    size_t length = text.size();
    SkipLeadingBlanks(start, length);
    text.erase(0, static_cast<size_t>(start - text.data()));
}

void Trim(std::wstring& text)
{
    const wchar_t* start = text.data();
    size_t length = text.size();
    TrimBlanks(start, length);
    const size_t skip = static_cast<size_t>(start - text.data());
    text.erase(skip + length);
    text.erase(0, skip);
}

void TrimLeft(wchar_t* text)
{
    if (!text || !IsBlank(*text))
        return;
    const wchar_t* start = text;
    size_t length = wcslen(text);
    SkipLeadingBlanks(start, length);
    wmemmove(text, start, length + 1);
}

void Trim(wchar_t* text)
{
    if (!text)
        return;
    const wchar_t* start = text;
    size_t length = wcslen(text);
    TrimBlanks(start, length);
    wmemmove(text, start, length);
    text[length] = L'\0';
}

uint32_t ParseHex(const wchar_t* text)
{
    if (!text)
        return 0;
    const size_t count = wcsnlen(text, kHexMaxDigits);
    uint32_t result = 0;
    unsigned shift = 0;
    for (size_t i = count; i-- > 0; shift += 4) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            break;
        result |= static_cast<uint32_t>(digit) << shift;
    }
    return result;
}

size_t SplitList(const wchar_t* text, StringList& list, wchar_t separator, bool keepEmpty)
{
    if (!text || *text == L'\0')
        return 0;
    const wchar_t* const end = text + wcslen(text);
    // An empty list makes room for every item at once rather than grow
    // step by step through a long list.
    if (list.Count() == 0)
        list.Reserve(1 + static_cast<size_t>(std::count(text, end, separator)));
    size_t appended = 0;
    ForEachItem(text, end, separator, LongItems::kEndTheWalk,
                keepEmpty ? EmptyItems::kVisit : EmptyItems::kSkip,
                [&](const wchar_t* start, size_t length) {
                    list.Append(std::wstring(start, length));
                    ++appended;
                    return true;
                });
    return appended;
}

bool ListContains(const StringList& list, const wchar_t* text)
{
    return text && list.ContainsNoCase(text, wcslen(text));
}

bool AddUnique(StringList& list, const wchar_t* text)
{
    if (!text || ListContains(list, text))
        return false;
    list.Append(text);
    return true;
}

bool IsInList(const wchar_t* listText, const wchar_t* item, wchar_t separator)
{
    if (!listText || !item)
        return false;
    const size_t itemLength = wcslen(item);
    bool found = false;
    ForEachItem(listText, listText + wcslen(listText), separator, LongItems::kEndTheWalk,
                EmptyItems::kSkip, [&](const wchar_t* start, size_t length) {
                    found = EqualsNoCase(start, length, item, itemLength);
                    return !found;
                });
    return found;
}

bool RemoveFromList(std::wstring& listText, const wchar_t* item, wchar_t separator)
{
    if (!item)
        return false;
    const size_t itemLength = wcslen(item);
    return RemoveItemsIf(listText, separator, [&](const wchar_t* start, size_t length) {
        return EqualsNoCase(start, length, item, itemLength);
    });
}

void CopyToField(wchar_t* field, size_t capacity, const wchar_t* text)
{
    if (!field || capacity == 0)
        return;
    const size_t length = text ? wcsnlen(text, capacity - 1) : 0;
    if (length > 0)
        wmemcpy(field, text, length);
    field[length] = L'\0';
}

int ParseIniInt(const wchar_t* text, int defaultValue)
{
    if (!text || !*text)
        return defaultValue;
    const wchar_t* p = text;
    while (IsWhiteSpace(*p))
        ++p;
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+')
        ++p;
    // The magnitude, clamped one past INT_MAX so that -2147483648 fits.
    constexpr long long kClamp = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p)
        magnitude = std::min(magnitude * 10 + (*p - L'0'), kClamp);
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(std::min(magnitude, static_cast<long long>(INT_MAX)));
}

const wchar_t* FileNamePart(const wchar_t* path, PathSeparators separators)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || (separators == PathSeparators::kBackslashOrSlash && *p == L'/'))
            name = p + 1;
    return name;
}

std::wstring FileNameStem(const wchar_t* path, size_t maxChars, PathSeparators separators)
{
    const wchar_t* name = FileNamePart(path, separators);
    std::wstring stem(name, wcsnlen(name, maxChars));
    const size_t dot = stem.rfind(L'.');
    if (dot != std::wstring::npos)
        stem.erase(dot);
    return stem;
}

}  // namespace tn
