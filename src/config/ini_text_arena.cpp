#include "config/ini_text_arena.h"

#include <utility>

namespace tn {

void IniTextArena::Reset()
{
    if (blocks_.size() > 1)
        blocks_.resize(1);
    next_ = blocks_.empty() ? nullptr : blocks_[0].get();
    room_ = blocks_.empty() ? 0 : firstBlockChars_;
}

void IniTextArena::AddBlock(size_t chars)
{
    std::unique_ptr<wchar_t[]> block(new wchar_t[chars]);
    if (blocks_.empty())
        firstBlockChars_ = chars;
    blocks_.push_back(std::move(block));
    next_ = blocks_.back().get();
    room_ = chars;
}

}  // namespace tn
