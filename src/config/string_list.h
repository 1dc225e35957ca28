#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/folded_name_index.h"

namespace tn {

// An ordered, growable array of wide strings. Duplicates are allowed unless
// added through AddUnique (text_utils.h). Index out of range is a
// programming error.
//
// Membership tests under the name case rule (ContainsNoCase) are answered
// from a case-folded index once the list is long enough for a scan to
// matter, so adding thousands of names uniquely stays linear overall. The
// index is built on the first such test and kept in step by every change;
// it is a table of positions that the list keeps when cleared, so a list
// that is filled again allocates nothing for it.
class StringList {
public:
    StringList() = default;
    StringList(const StringList& other) : items_(other.items_) {}
    StringList& operator=(const StringList& other);
    StringList(StringList&&) noexcept = default;
    StringList& operator=(StringList&&) noexcept = default;

    size_t Count() const { return items_.size(); }
    const std::wstring& At(size_t index) const { return items_[index]; }
    void Append(std::wstring text);
    void RemoveAt(size_t index);
    void Clear();
    void Reserve(size_t count) { items_.reserve(count); }

    // True when an element equals `text` (length `length`) with ASCII
    // letters folded.
    bool ContainsNoCase(const wchar_t* text, size_t length) const;

    std::vector<std::wstring>::const_iterator begin() const { return items_.begin(); }
    std::vector<std::wstring>::const_iterator end() const { return items_.end(); }

private:
    // Below this many elements a scan is cheaper than building the index.
    static constexpr size_t kIndexThreshold = 16;

    void BuildIndex() const;
    // The element at a position, for the index.
    auto NameAt() const
    {
        return [this](size_t position) {
            return FoldedName{items_[position].data(), items_[position].size()};
        };
    }

    std::vector<std::wstring> items_;
    mutable FoldedNameIndex index_;  // valid while indexed_
    mutable bool indexed_ = false;
};

}  // namespace tn
