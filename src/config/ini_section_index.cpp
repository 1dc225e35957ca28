#include "config/ini_section_index.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "config/case_fold.h"

namespace tn {
namespace {

std::wstring Folded(const wchar_t* text, size_t length)
{
    std::wstring folded(text, length);
    for (wchar_t& c : folded)
        c = FoldAscii(c);
    return folded;
}

}  // namespace

void CIniSectionIndex::Rebuild(const CIniReader& ini)
{
    sections_.clear();
    const size_t count = ini.GetSectionCount();
    sections_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const CIniSection* section = ini.GetSectionAt(i);
        if (section)  // emplace keeps the first section of a name
            sections_.emplace(Folded(section->GetName(), section->GetNameLength()), section);
    }
}

const CIniSection* CIniSectionIndex::Find(const wchar_t* name) const
{
    if (!name)
        return nullptr;
    // A name is looked up as it would be stored: cut to a section name's field.
    const auto it = sections_.find(Folded(name, wcsnlen(name, CIniSection::kMaxNameChars)));
    return it == sections_.end() ? nullptr : it->second;
}

const wchar_t* CIniSectionIndex::GetString(const wchar_t* section, const wchar_t* key) const
{
    const CIniSection* found = Find(section);
    const CIniEntry* entry = found ? found->FindEntry(key) : nullptr;
    return entry ? entry->GetValue() : L"";
}

int CIniSectionIndex::GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    return ParseIniInt(GetString(section, key), defaultValue);
}

int ParseIniInt(const wchar_t* text, int defaultValue)
{
    if (!text || !*text)
        return defaultValue;
    const wchar_t* p = text;
    while (*p == L' ' || (*p >= L'\t' && *p <= L'\r'))
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

}  // namespace tn
