#pragma once
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace tn {

// NUL-terminated copies of texts that a document keeps until Reset, in
// blocks of at least kTextBlockMinChars characters. Reset keeps the first
// block for the next load.
class IniTextArena {
public:
    static constexpr size_t kTextBlockMinChars = 4096;

    // A copy of `length` characters of `text` and a terminator. Running out
    // of memory throws std::bad_alloc.
    const wchar_t* Store(const wchar_t* text, size_t length)
    {
        if (room_ < length + 1)
            AddBlock(std::max(length + 1, kTextBlockMinChars));
        wchar_t* stored = next_;
        if (length > 0)
            std::memcpy(stored, text, length * sizeof(wchar_t));
        stored[length] = L'\0';
        next_ += length + 1;
        room_ -= length + 1;
        return stored;
    }
    // Forgets every copy.
    void Reset();

private:
    void AddBlock(size_t chars);

    std::vector<std::unique_ptr<wchar_t[]>> blocks_;
    size_t firstBlockChars_ = 0;
    wchar_t* next_ = nullptr;
    size_t room_ = 0;  // characters left after next_ in the last block
};

}  // namespace tn
