#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "win32/wide_text.h"

namespace tn {

// A name as an index sees it: counted text, not necessarily terminated.
struct FoldedName {
    const wchar_t* text;
    size_t length;
};

// An index of names under the name case rule (ASCII letters folded) for a
// container that keeps its names itself, in order: open addressing over the
// names' positions, so entering a name allocates nothing until the table
// grows. A name equal to one already entered is not entered again, so a
// lookup finds the first position of a name.
//
// Insert and Find take `nameAt`, a callable that gives the container's name
// at a position as a FoldedName. Both need a table made by Reset, and
// Insert needs room (HasRoomFor the count after it): a table at most half
// full always has a free slot to end a probe.
class FoldedNameIndex {
public:
    static constexpr size_t npos = size_t(-1);

    // Empties the table and makes room for `count` names, keeping the
    // table's storage when it is large enough.
    void Reset(size_t count)
    {
        size_t size = kMinSlots;
        while (size < 2 * count)
            size *= 2;
        slots_.assign(size, 0);
    }
    // Whether `count` names fit without a larger table.
    bool HasRoomFor(size_t count) const { return slots_.size() >= 2 * count; }

    template <class NameAt>
    void Insert(size_t position, NameAt nameAt)
    {
        const FoldedName name = nameAt(position);
        const size_t mask = slots_.size() - 1;
        for (size_t slot = HashFolded(name.text, name.length) & mask;; slot = (slot + 1) & mask) {
            if (slots_[slot] == 0) {
                slots_[slot] = static_cast<uint32_t>(position + 1);
                return;
            }
            const FoldedName held = nameAt(slots_[slot] - 1);
            if (EqualsFolded(held.text, held.length, name.text, name.length))
                return;
        }
    }

    // The first position whose name equals `text`, or npos.
    template <class NameAt>
    size_t Find(const wchar_t* text, size_t length, NameAt nameAt) const
    {
        const size_t mask = slots_.size() - 1;
        for (size_t slot = HashFolded(text, length) & mask;; slot = (slot + 1) & mask) {
            if (slots_[slot] == 0)
                return npos;
            const FoldedName held = nameAt(slots_[slot] - 1);
            if (EqualsFolded(held.text, held.length, text, length))
                return slots_[slot] - 1;
        }
    }

private:
    static constexpr size_t kMinSlots = 16;
    // Position + 1 per slot, 0 for a free one; a power of two in size.
    std::vector<uint32_t> slots_;
};

}  // namespace tn
