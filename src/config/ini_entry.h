#pragma once
#include <cstddef>
#include <string>

namespace tn {

// One key/value line of an INI section. A key holds at most kMaxKeyChars
// and a value at most kMaxValueChars characters; longer texts are cut.
class CIniEntry {
public:
    static constexpr size_t kMaxKeyChars = 127;
    static constexpr size_t kMaxValueChars = 2047;

    CIniEntry() = default;
    // From a line: key before the first separator (trimmed), value after it,
    // cleaned of a trailing CR and of quotes. No separator: both empty.
    CIniEntry(const wchar_t* line, wchar_t separator);
    // The same from the first `length` characters of `line`.
    CIniEntry(const wchar_t* line, size_t length, wchar_t separator);
    // From a key and a value: the key trimmed, the value stored unchanged.
    static CIniEntry FromKeyValue(const wchar_t* key, const wchar_t* value);

    const wchar_t* GetKey() const { return key_.c_str(); }
    const wchar_t* GetValue() const { return value_.c_str(); }
    size_t GetKeyLength() const { return key_.size(); }
    size_t GetValueLength() const { return value_.size(); }
    // Replaces the value (cut to its limit); false and no change for null.
    bool SetValue(const wchar_t* text);

private:
    std::wstring key_;
    std::wstring value_;
};

}  // namespace tn
