#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tnt {

// A JSON value built by the commands for --json output. Objects keep their
// members in the order they were set, so the output reads like the text form.
class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    static JsonValue Bool(bool value);
    static JsonValue Number(int64_t value);
    static JsonValue String(std::wstring text);
    static JsonValue Array();
    static JsonValue Object();

    Kind GetKind() const { return kind_; }
    // Arrays: appends and returns the new element.
    JsonValue& Add(JsonValue value);
    // Objects: sets a member (replacing one of the same name) and returns it.
    JsonValue& Set(const std::wstring& name, JsonValue value);

    // UTF-8 text, indented by two blanks per level, without a final line feed.
    // Strings escape '"', '\\' and control characters; unpaired surrogates are
    // written as \uXXXX escapes so no UTF-16 code unit of a name is lost.
    std::string Serialize() const;

private:
    void Write(std::string& out, int depth) const;

    Kind kind_ = Kind::Null;
    bool bool_ = false;
    int64_t number_ = 0;
    std::wstring text_;
    std::vector<std::pair<std::wstring, JsonValue>> members_;  // arrays: names unused
};

}  // namespace tnt
