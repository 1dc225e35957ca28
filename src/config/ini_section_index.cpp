#include "config/ini_section_index.h"

#include "config/ini_section.h"
#include "config/text_utils.h"

namespace tn {
namespace {

// The name of sections[position], for the index.
auto SectionNameAt(const std::vector<CIniSection*>& sections)
{
    return [&sections](size_t position) {
        const CIniSection& section = *sections[position];
        return FoldedName{section.GetName(), section.GetNameLength()};
    };
}

}  // namespace

const CIniSection* IniSectionIndex::Find(const std::vector<CIniSection*>& sections,
                                         const wchar_t* name, size_t length)
{
    if (sections.size() < kIndexMinSections) {
        for (const CIniSection* section : sections) {
            if (EqualsNoCase(section->GetName(), section->GetNameLength(), name, length))
                return section;
        }
        return nullptr;
    }
    // Readers tend to ask one section for several keys in a row.
    if (lastFound_ &&
        EqualsNoCase(lastFound_->GetName(), lastFound_->GetNameLength(), name, length))
        return lastFound_;
    if (indexed_ != sections.size())
        Index(sections);
    const size_t found = names_.Find(name, length, SectionNameAt(sections));
    if (found == FoldedNameIndex::npos)
        return nullptr;
    return lastFound_ = sections[found];
}

void IniSectionIndex::Forget()
{
    indexed_ = 0;
    lastFound_ = nullptr;
}

void IniSectionIndex::Index(const std::vector<CIniSection*>& sections)
{
    // Sections are only ever appended (or all cleared), so the index grows
    // by the new ones while it has room, and is made afresh otherwise.
    size_t first = indexed_;
    if (first == 0 || !names_.HasRoomFor(sections.size())) {
        names_.Reset(sections.size());
        first = 0;
    }
    for (size_t i = first; i < sections.size(); ++i)
        names_.Insert(i, SectionNameAt(sections));
    indexed_ = sections.size();
}

}  // namespace tn
