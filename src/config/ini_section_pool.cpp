#include "config/ini_section_pool.h"

#include <algorithm>

namespace tn {

void IniSectionPool::MakeRoom()
{
    if (used_ < blocks_.size() * kSectionBlock)
        return;
    if (blocks_.size() == blocks_.capacity())
        blocks_.reserve(std::max<size_t>(4, 2 * blocks_.size()));
    blocks_.emplace_back(new CIniSection[kSectionBlock]);
}

CIniSection& IniSectionPool::Take() { return At(used_++); }

void IniSectionPool::ReleaseAll()
{
    for (size_t i = 0; i < used_; ++i)
        At(i).Empty();
    used_ = 0;
}

}  // namespace tn
