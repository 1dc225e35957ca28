#pragma once
#include <string>
#include <unordered_map>

#include "config/ini_reader.h"

namespace tn {

// A name index over the sections of a loaded document, for readers that look
// up many sections of one large file. It answers exactly as the document's own
// lookups do (the first section of a name, the name cut to a section name's
// length, ASCII letters folded) but without walking every section each time.
// The index points into the document: rebuild it whenever the document changes.
class CIniSectionIndex {
public:
    CIniSectionIndex() = default;
    explicit CIniSectionIndex(const CIniReader& ini) { Rebuild(ini); }

    void Rebuild(const CIniReader& ini);
    void Clear() { sections_.clear(); }

    // The first section whose name equals `name`; null for none or a null name.
    const CIniSection* Find(const wchar_t* name) const;
    // CIniReader::GetString and GetInt through the index.
    const wchar_t* GetString(const wchar_t* section, const wchar_t* key) const;
    int GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;

private:
    std::unordered_map<std::wstring, const CIniSection*> sections_;
};


}  // namespace tn
