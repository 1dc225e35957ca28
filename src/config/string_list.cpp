#include "config/string_list.h"

#include <utility>

#include "win32/wide_text.h"

namespace tn {
namespace {

bool SameFolded(const std::wstring& item, const wchar_t* text, size_t length)
{
    return EqualsFolded(item.data(), item.size(), text, length);
}

}  // namespace

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
    if (slots_.size() >= 2 * items_.size()) {
        IndexItem(items_.size() - 1);
        return;
    }
    try {
        BuildIndex();  // a larger table
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
    size_t size = 2 * kIndexThreshold;
    while (size < 2 * items_.size())
        size *= 2;
    indexed_ = false;
    slots_.assign(size, 0);
    for (size_t i = 0; i < items_.size(); ++i)
        IndexItem(i);
    indexed_ = true;
}

void StringList::IndexItem(size_t position) const
{
    const std::wstring& item = items_[position];
    const size_t mask = slots_.size() - 1;
    for (size_t slot = HashFolded(item.data(), item.size()) & mask;; slot = (slot + 1) & mask) {
        if (slots_[slot] == 0) {
            slots_[slot] = static_cast<uint32_t>(position + 1);
            return;
        }
        if (SameFolded(items_[slots_[slot] - 1], item.data(), item.size()))
            return;
    }
}

bool StringList::Scan(const wchar_t* text, size_t length) const
{
    for (const std::wstring& item : items_) {
        if (SameFolded(item, text, length))
            return true;
    }
    return false;
}

bool StringList::ContainsNoCase(const wchar_t* text, size_t length) const
{
    if (!indexed_) {
        if (items_.size() < kIndexThreshold)
            return Scan(text, length);
        BuildIndex();
    }
    const size_t mask = slots_.size() - 1;
    for (size_t slot = HashFolded(text, length) & mask;; slot = (slot + 1) & mask) {
        if (slots_[slot] == 0)
            return false;
        if (SameFolded(items_[slots_[slot] - 1], text, length))
            return true;
    }
}

}  // namespace tn
