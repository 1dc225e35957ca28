#include "config/ini_key_filter.h"

#include <cwchar>

#include "win32/wide_text.h"
#include "config/ini_entry.h"
#include "config/text_utils.h"

namespace tn {

CIniKeyFilter::CIniKeyFilter(std::initializer_list<const wchar_t*> keys)
{
    for (const wchar_t* key : keys)
        Add(key);
}

bool CIniKeyFilter::Add(const wchar_t* key)
{
    if (!key || count_ == kMaxKeys)
        return false;
    if (!*key) {
        keepAll_ = true;
        return true;
    }
    keys_[count_] = key;
    lengths_[count_] = wcsnlen(key, CIniEntry::kMaxKeyChars);
    ++count_;
    // A line's key matches when it begins with this unit in either case.
    const wchar_t first = FoldAscii(key[0]);
    if (first < 128) {
        firstAscii_[first >> 6] |= uint64_t(1) << (first & 63);
        if (first >= L'a' && first <= L'z') {
            const wchar_t upper = static_cast<wchar_t>(first - (L'a' - L'A'));
            firstAscii_[upper >> 6] |= uint64_t(1) << (upper & 63);
        }
    } else {
        firstOther_ = true;
    }
    return true;
}

bool CIniKeyFilter::Holds(const wchar_t* key, size_t length) const
{
    if (keepAll_)
        return true;
    for (size_t i = 0; i < count_; ++i)
        if (EqualsNoCase(key, length, keys_[i], lengths_[i]))
            return true;
    return false;
}

}  // namespace tn
