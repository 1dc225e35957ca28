#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "config/ini_section.h"

namespace tn {

// The section objects of a document, made in blocks of kSectionBlock as
// needed and kept from load to load: released objects are emptied but keep
// their entry arrays, so that loading one file after another into a reader
// makes no new objects. Objects never move, so a document may point at them.
class IniSectionPool {
public:
    // Makes sure Take has an object to give. Running out of memory throws
    // std::bad_alloc and leaves the pool as it was.
    void MakeRoom();
    // The next unused object; MakeRoom first.
    CIniSection& Take();
    // Empties every object taken and makes them all unused again.
    void ReleaseAll();

private:
    static constexpr size_t kSectionBlock = 16;
    CIniSection& At(size_t index) { return blocks_[index / kSectionBlock][index % kSectionBlock]; }

    std::vector<std::unique_ptr<CIniSection[]>> blocks_;
    size_t used_ = 0;  // the first used_ objects are taken
};

}  // namespace tn
