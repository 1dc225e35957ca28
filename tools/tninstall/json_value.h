#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tnt {

// A JSON value built by the commands for --json output. Objects keep their
// members in the order they were set, so the output reads like the text form.
class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    JsonValue();
    JsonValue(const JsonValue& other);
    JsonValue& operator=(const JsonValue& other);
    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(JsonValue&&) noexcept;
    ~JsonValue();
    static JsonValue Bool(bool value);
    static JsonValue Number(int64_t value);
    static JsonValue String(std::wstring text);
    static JsonValue Array();
    static JsonValue Object();

    Kind GetKind() const { return kind_; }
    // Arrays: appends and returns the new element. Objects: sets a member
    // (replacing one of the same name) and returns it. The references stay
    // valid while the containing value lives, whatever is added after them.
    JsonValue& Add(JsonValue value);
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
    struct Member;  // a name (unused in arrays) and a value
    std::vector<std::unique_ptr<Member>> members_;
};

}  // namespace tnt
