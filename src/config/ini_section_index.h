#pragma once
#include <cstddef>
#include <vector>

#include "config/folded_name_index.h"

namespace tn {

class CIniSection;

// Finds a document's sections by name (case rule of text_utils.h), the
// first section of a name before any other. From kIndexMinSections sections
// on it answers from an index of their names, made when first asked and
// grown by the sections appended since; below that a scan is cheaper.
class IniSectionIndex {
public:
    static constexpr size_t kIndexMinSections = 8;

    // The first of `sections` named by the `length` units of `name`, or
    // null. `sections` are those of the call before, with sections appended
    // since, unless Forget was called in between.
    const CIniSection* Find(const std::vector<CIniSection*>& sections, const wchar_t* name,
                            size_t length);
    // For a document whose sections were cleared.
    void Forget();

private:
    void Index(const std::vector<CIniSection*>& sections);

    FoldedNameIndex names_;
    size_t indexed_ = 0;  // the index holds the first indexed_ sections
    // The section the index found last (the first of its name).
    const CIniSection* lastFound_ = nullptr;
};

}  // namespace tn
