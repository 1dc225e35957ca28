#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tntest {

// A strict JSON reader for the tool's --json output (RFC 8259: one value,
// UTF-8 without a byte-order mark, no trailing commas, no comments). Strings
// come back as UTF-16, \uXXXX escapes of lone surrogates included.
struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::wstring text;
    std::vector<Json> items;
    std::vector<std::pair<std::wstring, Json>> members;

    // Object member by name; throws std::out_of_range when absent.
    const Json& operator[](const std::wstring& name) const;
    bool Has(const std::wstring& name) const;
};

// Parses `utf8` (surrounding white space allowed). On failure returns false
// and says where in `error`.
bool ParseJson(const std::string& utf8, Json& out, std::string& error);

}  // namespace tntest
