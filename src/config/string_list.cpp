#include "config/string_list.h"

#include <utility>

#include "win32/wide_text.h"

namespace tn {
namespace {

bool SameFolded(const std::wstring& item, const wchar_t* text, size_t length)
{
    if (item.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (FoldAscii(item[i]) != FoldAscii(text[i]))
            return false;
    }
    return true;
}

}  // namespace

StringList& StringList::operator=(const StringList& other)
{
    if (this != &other) {
        std::vector<std::wstring> copy(other.items_);
        items_.swap(copy);
        index_.clear();
        indexed_ = false;
    }
    return *this;
}

void StringList::Append(std::wstring text)
{
    if (!indexed_) {
        items_.push_back(std::move(text));
        return;
    }
    std::wstring key = FoldedCopy(text.data(), text.size());
    items_.push_back(std::move(text));
    try {
        ++index_[std::move(key)];
    } catch (...) {
        items_.pop_back();  // list and index stay in step
        throw;
    }
}

void StringList::RemoveAt(size_t index)
{
    if (indexed_) {
        auto found = index_.find(FoldedCopy(items_[index].data(), items_[index].size()));
        if (found != index_.end() && --found->second == 0)
            index_.erase(found);
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void StringList::Clear()
{
    items_.clear();
    index_.clear();
    indexed_ = false;
}

void StringList::BuildIndex() const
{
    std::unordered_map<std::wstring, size_t> index;
    index.reserve(items_.size());
    for (const std::wstring& item : items_)
        ++index[FoldedCopy(item.data(), item.size())];
    index_.swap(index);
    indexed_ = true;
}

bool StringList::ContainsNoCase(const wchar_t* text, size_t length) const
{
    if (!indexed_ && items_.size() < kIndexThreshold) {
        for (const std::wstring& item : items_) {
            if (SameFolded(item, text, length))
                return true;
        }
        return false;
    }
    if (!indexed_)
        BuildIndex();
    return index_.find(FoldedCopy(text, length)) != index_.end();
}

}  // namespace tn
