#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace tn {

// The keys a partial load of an INI document keeps (CIniReader::Load with a
// filter). A key is held as a lookup compares it: cut to the longest key a
// line can carry, ASCII letters folded. The texts are not copied: they must
// outlive the loads the filter is used for.
class CIniKeyFilter {
public:
    static constexpr size_t kMaxKeys = 8;

    CIniKeyFilter() = default;
    // Null keys are left out, and so are keys beyond kMaxKeys.
    CIniKeyFilter(std::initializer_list<const wchar_t*> keys);
    // False when the key is null or the filter is full. The empty key is
    // the key of every line without an equals sign: a filter that holds it
    // keeps every line.
    bool Add(const wchar_t* key);

    // Whether a key beginning with `c` may be one of the filter's: a line
    // whose key cannot be is skipped without being split.
    bool MayBegin(wchar_t c) const
    {
        if (keepAll_)
            return true;
        if (c < 128)
            return (firstAscii_[c >> 6] >> (c & 63)) & 1;
        return firstOther_;
    }
    // Whether the key of `length` units is one of the filter's.
    bool Holds(const wchar_t* key, size_t length) const;

private:
    const wchar_t* keys_[kMaxKeys] = {};
    size_t lengths_[kMaxKeys] = {};
    size_t count_ = 0;
    uint64_t firstAscii_[2] = {0, 0};  // folded first units below 128
    bool firstOther_ = false;          // some key begins with another unit
    bool keepAll_ = false;             // the empty key is held
};

}  // namespace tn
