#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tn {

// An ordered, growable array of wide strings. Duplicates are allowed unless
// added through AddUnique (text_utils.h). Index out of range is a
// programming error.
class StringList {
public:
    size_t Count() const { return items_.size(); }
    const std::wstring& At(size_t index) const { return items_[index]; }
    void Append(std::wstring text) { items_.push_back(std::move(text)); }
    void RemoveAt(size_t index) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index)); }
    void Clear() { items_.clear(); }

    std::vector<std::wstring>::const_iterator begin() const { return items_.begin(); }
    std::vector<std::wstring>::const_iterator end() const { return items_.end(); }

private:
    std::vector<std::wstring> items_;
};

}  // namespace tn
