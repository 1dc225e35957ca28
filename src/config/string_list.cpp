#include "config/string_list.h"

#include <utility>

#include "win32/wide_text.h"

namespace tn {

StringList& StringList::operator=(const StringList& other)
{
    if (this != &other) {
        std::vector<std::wstring> copy(other.items_);
        items_.swap(copy);
        indexed_ = false;
    }
    return *this;
}

void StringList::Append(std::wstring text)
{
    items_.push_back(std::move(text));
    if (!indexed_)
        return;
    if (index_.HasRoomFor(items_.size())) {
        index_.Insert(items_.size() - 1, NameAt());
        return;
    }
    try {
        BuildIndex();  // the table is full: it is made again, larger
    } catch (...) {
        items_.pop_back();  // list and index stay in step
        throw;
    }
}

void StringList::RemoveAt(size_t index)
{
    // Positions after it move: the index is made again when next asked.
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    indexed_ = false;
}

void StringList::Clear()
{
    items_.clear();
    indexed_ = false;
}

void StringList::BuildIndex() const
{
    indexed_ = false;
    index_.Reset(items_.size());
    for (size_t i = 0; i < items_.size(); ++i)
        index_.Insert(i, NameAt());
    indexed_ = true;
}

bool StringList::ContainsNoCase(const wchar_t* text, size_t length) const
{
    if (!indexed_) {
        if (items_.size() < kIndexThreshold) {
            for (const std::wstring& item : items_) {
                if (EqualsFolded(item.data(), item.size(), text, length))
                    return true;
            }
            return false;
        }
        BuildIndex();
    }
    return index_.Find(text, length, NameAt()) != FoldedNameIndex::npos;
}

}  // namespace tn
