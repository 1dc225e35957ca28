#include "json_value.h"

#include <cstdio>

namespace tnt {
namespace {

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

void AppendEscape(std::string& out, unsigned unit)
{
    char buffer[8];
    snprintf(buffer, sizeof(buffer), "\\u%04x", unit & 0xFFFF);
    out += buffer;
}

bool IsHigh(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendString(std::string& out, const std::wstring& text)
{
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned u = static_cast<unsigned>(text[i]) & 0xFFFF;
        switch (u) {
        case '"': out += "\\\""; continue;
        case '\\': out += "\\\\"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        default: break;
        }
        if (u < 0x20) {
            AppendEscape(out, u);
        } else if (IsHigh(u) && i + 1 < text.size() && IsLow(unsigned(text[i + 1]) & 0xFFFF)) {
            const unsigned low = unsigned(text[i + 1]) & 0xFFFF;
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
            ++i;
        } else if (IsHigh(u) || IsLow(u)) {
            AppendEscape(out, u);
        } else {
            AppendUtf8(out, u);
        }
    }
    out += '"';
}

void Indent(std::string& out, int depth) { out.append(size_t(depth) * 2, ' '); }

}  // namespace

struct JsonValue::Member {
    std::wstring name;
    JsonValue value;
};

JsonValue::JsonValue() = default;
JsonValue::JsonValue(JsonValue&&) noexcept = default;
JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;
JsonValue::~JsonValue() = default;

JsonValue::JsonValue(const JsonValue& other)
    : kind_(other.kind_), bool_(other.bool_), number_(other.number_), text_(other.text_)
{
    for (const auto& member : other.members_)
        members_.push_back(std::make_unique<Member>(*member));
}

JsonValue& JsonValue::operator=(const JsonValue& other)
{
    if (this != &other)
        *this = JsonValue(other);
    return *this;
}

JsonValue JsonValue::Bool(bool value)
{
    JsonValue v;
    v.kind_ = Kind::Bool;
    v.bool_ = value;
    return v;
}

JsonValue JsonValue::Number(int64_t value)
{
    JsonValue v;
    v.kind_ = Kind::Number;
    v.number_ = value;
    return v;
}

JsonValue JsonValue::String(std::wstring text)
{
    JsonValue v;
    v.kind_ = Kind::String;
    v.text_ = std::move(text);
    return v;
}

JsonValue JsonValue::Array()
{
    JsonValue v;
    v.kind_ = Kind::Array;
    return v;
}

JsonValue JsonValue::Object()
{
    JsonValue v;
    v.kind_ = Kind::Object;
    return v;
}

JsonValue& JsonValue::Add(JsonValue value)
{
    members_.push_back(std::make_unique<Member>(Member{std::wstring(), std::move(value)}));
    return members_.back()->value;
}

JsonValue& JsonValue::Set(const std::wstring& name, JsonValue value)
{
    for (auto& member : members_)
        if (member->name == name) {
            member->value = std::move(value);
            return member->value;
        }
    members_.push_back(std::make_unique<Member>(Member{name, std::move(value)}));
    return members_.back()->value;
}

std::string JsonValue::Serialize() const
{
    std::string out;
    Write(out, 0);
    return out;
}

void JsonValue::Write(std::string& out, int depth) const
{
    switch (kind_) {
    case Kind::Null: out += "null"; return;
    case Kind::Bool: out += bool_ ? "true" : "false"; return;
    case Kind::Number: out += std::to_string(number_); return;
    case Kind::String: AppendString(out, text_); return;
    case Kind::Array:
    case Kind::Object: break;
    }
    const bool object = kind_ == Kind::Object;
    if (members_.empty()) {
        out += object ? "{}" : "[]";
        return;
    }
    out += object ? "{\n" : "[\n";
    for (size_t i = 0; i < members_.size(); ++i) {
        Indent(out, depth + 1);
        if (object) {
            AppendString(out, members_[i]->name);
            out += ": ";
        }
        members_[i]->value.Write(out, depth + 1);
        out += i + 1 < members_.size() ? ",\n" : "\n";
    }
    Indent(out, depth);
    out += object ? '}' : ']';
}

}  // namespace tnt
