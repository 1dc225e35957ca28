#pragma once
#include <cstddef>
#include <vector>

#include "config/ini_entry.h"

namespace tn {

// One [section] of an INI document: its name and its entries in file order.
// Sections are made and owned by their document, which also keeps the text
// of their names.
class CIniSection {
public:
    static constexpr size_t kMaxNameChars = 127;

    CIniSection() = default;
    CIniSection(const CIniSection&) = delete;
    CIniSection& operator=(const CIniSection&) = delete;

    const wchar_t* GetName() const { return name_; }
    size_t GetNameLength() const { return nameLength_; }
    size_t GetEntryCount() const { return entries_.size(); }
    // Null when the index is not below the count.
    const CIniEntry* GetEntryAt(size_t index) const;
    CIniEntry* GetEntryAt(size_t index);
    // The first entry whose key equals `key` (case rule of text_utils.h); null if none.
    const CIniEntry* FindEntry(const wchar_t* key) const;
    CIniEntry* FindEntry(const wchar_t* key);
    void AddEntry(CIniEntry entry);

private:
    friend class CIniReader;
    friend class IniLineParser;
    friend class IniSectionPool;
    // Empties the section for its next use, keeping its entry array.
    void Empty();

    // NUL-terminated, held by the document.
    const wchar_t* name_ = L"";
    size_t nameLength_ = 0;
    std::vector<CIniEntry> entries_;
};

}  // namespace tn
