#include "config/ini_entry.h"

#include <algorithm>
#include <cwchar>

#include "config/char_search.h"
#include "config/text_utils.h"

namespace tn {
namespace {

constexpr wchar_t kQuote = L'"';
constexpr wchar_t kCR = L'\r';

// The key of a line: trimmed of blanks, cut to its field, trimmed again so
// a cut does not leave trailing blanks.
void TrimKey(const wchar_t*& key, size_t& length)
{
    SkipLeadingBlanks(key, length);
    length = std::min(length, CIniEntry::kMaxKeyChars);
    DropTrailingBlanks(key, length);
}

// Strips one trailing CR, then a closing quote (a quote one place before the
// end cuts the value there), then an opening quote; then cuts to the field.
void CleanValue(const wchar_t*& value, size_t& length)
{
    if (length > 0 && value[length - 1] == kCR)
        --length;
    const size_t n = length;
    if (n >= 1 && value[n - 1] == kQuote)
        length = n - 1;
    if (n >= 2 && value[n - 2] == kQuote)
        length = n - 2;
    if (length > 0 && *value == kQuote) {
        ++value;
        --length;
    }
    length = std::min(length, CIniEntry::kMaxValueChars);
}

}  // namespace

bool CIniEntry::SplitLine(const wchar_t* line, size_t length, wchar_t separator, LineParts& parts)
{
    parts = LineParts();
    if (!line)
        return false;
    const wchar_t* end = line + length;
    const wchar_t* sign = FindEither(line, end, separator, separator);
    if (sign == end)
        return false;
    parts.key = line;
    parts.keyLength = static_cast<size_t>(sign - line);
    TrimKey(parts.key, parts.keyLength);
    parts.value = sign + 1;
    parts.valueLength = static_cast<size_t>(end - parts.value);
    CleanValue(parts.value, parts.valueLength);
    return true;
}

CIniEntry::CIniEntry(const wchar_t* line, wchar_t separator)
    : CIniEntry(line, line ? wcslen(line) : 0, separator)
{
}

CIniEntry::CIniEntry(const wchar_t* line, size_t length, wchar_t separator)
{
    LineParts parts;
    if (SplitLine(line, length, separator, parts))
        Own(parts.key, parts.keyLength, parts.value, parts.valueLength);
}

CIniEntry CIniEntry::FromKeyValue(const wchar_t* key, const wchar_t* value)
{
    size_t keyLength = key ? wcslen(key) : 0;
    TrimKey(key, keyLength);
    const size_t valueLength = value ? wcsnlen(value, kMaxValueChars) : 0;
    CIniEntry entry;
    entry.Own(key, keyLength, value, valueLength);
    return entry;
}

CIniEntry CIniEntry::Borrowing(const wchar_t* key, size_t keyLength, const wchar_t* value,
                               size_t valueLength)
{
    CIniEntry entry;
    entry.key_ = key;
    entry.keyLength_ = keyLength;
    entry.value_ = value;
    entry.valueLength_ = valueLength;
    return entry;
}

CIniEntry::CIniEntry(const CIniEntry& other)
{
    Own(other.key_, other.keyLength_, other.value_, other.valueLength_);
}

CIniEntry& CIniEntry::operator=(const CIniEntry& other)
{
    if (this != &other)
        Own(other.key_, other.keyLength_, other.value_, other.valueLength_);
    return *this;
}

CIniEntry::CIniEntry(CIniEntry&& other) noexcept
    : key_(other.key_),
      value_(other.value_),
      keyLength_(other.keyLength_),
      valueLength_(other.valueLength_),
      owned_(std::move(other.owned_))
{
    other.key_ = other.value_ = L"";
    other.keyLength_ = other.valueLength_ = 0;
}

CIniEntry& CIniEntry::operator=(CIniEntry&& other) noexcept
{
    if (this != &other) {
        key_ = other.key_;
        value_ = other.value_;
        keyLength_ = other.keyLength_;
        valueLength_ = other.valueLength_;
        owned_ = std::move(other.owned_);
        other.key_ = other.value_ = L"";
        other.keyLength_ = other.valueLength_ = 0;
    }
    return *this;
}

void CIniEntry::Own(const wchar_t* key, size_t keyLength, const wchar_t* value, size_t valueLength)
{
    // Allocated before anything changes, so a failure leaves the entry as it was.
    std::unique_ptr<wchar_t[]> block(new wchar_t[keyLength + valueLength + 2]);
    wchar_t* keyCopy = block.get();
    wchar_t* valueCopy = keyCopy + keyLength + 1;
    if (keyLength > 0)
        wmemcpy(keyCopy, key, keyLength);
    keyCopy[keyLength] = L'\0';
    if (valueLength > 0)
        wmemcpy(valueCopy, value, valueLength);
    valueCopy[valueLength] = L'\0';
    key_ = keyCopy;
    keyLength_ = keyLength;
    value_ = valueCopy;
    valueLength_ = valueLength;
    owned_ = std::move(block);
}

bool CIniEntry::SetValue(const wchar_t* text)
{
    if (!text)
        return false;
    Own(key_, keyLength_, text, wcsnlen(text, kMaxValueChars));
    return true;
}

}  // namespace tn
