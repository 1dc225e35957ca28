#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace tn {

class IniLineParser;

// One key/value line of an INI section. A key holds at most kMaxKeyChars
// and a value at most kMaxValueChars characters; longer texts are cut.
//
// An entry made by the constructors or FromKeyValue owns its texts. Entries
// that a CIniReader parses point into text the document keeps for its own
// lifetime, which saves one allocation per line; a copy of any entry owns
// its texts again.
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

    CIniEntry(const CIniEntry& other);
    CIniEntry& operator=(const CIniEntry& other);
    CIniEntry(CIniEntry&& other) noexcept;
    CIniEntry& operator=(CIniEntry&& other) noexcept;

    const wchar_t* GetKey() const { return key_; }
    const wchar_t* GetValue() const { return value_; }
    size_t GetKeyLength() const { return keyLength_; }
    size_t GetValueLength() const { return valueLength_; }
    // Replaces the value (cut to its limit); false and no change for null.
    bool SetValue(const wchar_t* text);

    // Where the key and the value of a line lie within it. False when the
    // line holds no separator (both empty then).
    struct LineParts {
        const wchar_t* key = nullptr;
        size_t keyLength = 0;
        const wchar_t* value = nullptr;
        size_t valueLength = 0;
    };
    static bool SplitLine(const wchar_t* line, size_t length, wchar_t separator, LineParts& parts);

private:
    friend class IniLineParser;
    // Points at NUL-terminated texts that outlive the entry (a document's).
    static CIniEntry Borrowing(const wchar_t* key, size_t keyLength, const wchar_t* value,
                               size_t valueLength);
    // Takes copies of both texts into one block the entry owns.
    void Own(const wchar_t* key, size_t keyLength, const wchar_t* value, size_t valueLength);

    const wchar_t* key_ = L"";
    const wchar_t* value_ = L"";
    size_t keyLength_ = 0;
    size_t valueLength_ = 0;
    std::unique_ptr<wchar_t[]> owned_;
};

}  // namespace tn
