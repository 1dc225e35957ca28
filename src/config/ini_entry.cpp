#include "config/ini_entry.h"

#include <algorithm>
#include <cwchar>

#include "config/text_utils.h"

namespace tn {
namespace {

constexpr wchar_t kQuote = L'"';
constexpr wchar_t kCR = L'\r';

// The key as stored: trimmed of blanks, then cut to its field.
std::wstring MakeKey(const wchar_t* text, size_t length)
{
    std::wstring key(text, length);
    TrimLeft(key);
    if (key.size() > CIniEntry::kMaxKeyChars)
        key.resize(CIniEntry::kMaxKeyChars);
    Trim(key);
    return key;
}

// Strips one trailing CR, then a closing quote (a quote one place before the
// end cuts the value there), then an opening quote.
void CleanValue(std::wstring& value)
{
    if (!value.empty() && value.back() == kCR)
        value.pop_back();
    const size_t n = value.size();
    size_t length = n;
    if (n >= 1 && value[n - 1] == kQuote)
        length = n - 1;
    if (n >= 2 && value[n - 2] == kQuote)
        length = n - 2;
    value.resize(length);
    if (!value.empty() && value.front() == kQuote)
        value.erase(0, 1);
}

}  // namespace

CIniEntry::CIniEntry(const wchar_t* line, wchar_t separator)
    : CIniEntry(line, line ? wcslen(line) : 0, separator)
{
}

CIniEntry::CIniEntry(const wchar_t* line, size_t length, wchar_t separator)
{
    if (!line)
        return;
    const wchar_t* end = line + length;
    const wchar_t* sign = std::find(line, end, separator);
    if (sign == end)
        return;
    key_ = MakeKey(line, static_cast<size_t>(sign - line));
    value_.assign(sign + 1, end);
    CleanValue(value_);
    if (value_.size() > kMaxValueChars)
        value_.resize(kMaxValueChars);
}

CIniEntry CIniEntry::FromKeyValue(const wchar_t* key, const wchar_t* value)
{
    CIniEntry entry;
    if (key)
        entry.key_ = MakeKey(key, wcslen(key));
    entry.SetValue(value);
    return entry;
}

bool CIniEntry::SetValue(const wchar_t* text)
{
    if (!text)
        return false;
    value_.assign(text, wcsnlen(text, kMaxValueChars));
    return true;
}

}  // namespace tn
