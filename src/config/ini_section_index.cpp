#include "config/ini_section_index.h"

#include <cwchar>

#include "win32/wide_text.h"
#include "config/text_utils.h"

namespace tn {
void CIniSectionIndex::Rebuild(const CIniReader& ini)
{
    sections_.clear();
    const size_t count = ini.GetSectionCount();
    sections_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const CIniSection* section = ini.GetSectionAt(i);
        if (section)  // emplace keeps the first section of a name
            sections_.emplace(FoldedCopy(section->GetName(), section->GetNameLength()), section);
    }
}

const CIniSection* CIniSectionIndex::Find(const wchar_t* name) const
{
    if (!name)
        return nullptr;
    // A name is looked up as it would be stored: cut to a section name's field.
    const auto it = sections_.find(FoldedCopy(name, wcsnlen(name, CIniSection::kMaxNameChars)));
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

}  // namespace tn
