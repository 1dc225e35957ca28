#include "config/ini_section.h"

#include <cwchar>
#include <utility>

#include "config/text_utils.h"

namespace tn {
namespace {

// Entries a section makes room for when it gets its first one.
constexpr size_t kFirstEntryRoom = 16;

}  // namespace

const CIniEntry* CIniSection::GetEntryAt(size_t index) const
{
    return index < entries_.size() ? &entries_[index] : nullptr;
}

CIniEntry* CIniSection::GetEntryAt(size_t index)
{
    return index < entries_.size() ? &entries_[index] : nullptr;
}

const CIniEntry* CIniSection::FindEntry(const wchar_t* key) const
{
    if (!key)
        return nullptr;
    // A key is looked up as it would be stored: cut to its field.
    const size_t length = wcsnlen(key, CIniEntry::kMaxKeyChars);
    for (const CIniEntry& entry : entries_) {
        if (EqualsNoCase(entry.GetKey(), entry.GetKeyLength(), key, length))
            return &entry;
    }
    return nullptr;
}

CIniEntry* CIniSection::FindEntry(const wchar_t* key)
{
    return const_cast<CIniEntry*>(static_cast<const CIniSection*>(this)->FindEntry(key));
}

void CIniSection::AddEntry(CIniEntry entry)
{
    // The first entry makes room for several: sections of the installation's
    // files hold about twenty lines, and each doubling is another block.
    if (entries_.capacity() == 0)
        entries_.reserve(kFirstEntryRoom);
    entries_.push_back(std::move(entry));
}

void CIniSection::Empty()
{
    name_ = L"";
    nameLength_ = 0;
    entries_.clear();
}

}  // namespace tn
