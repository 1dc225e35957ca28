#include "json_check.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace tntest {
namespace {

// Nesting deeper than this is refused rather than followed.
constexpr int kMaxDepth = 64;

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    bool Document(Json& out, std::string& error)
    {
        Space();
        if (!Value(out, 0) || (Space(), pos_ != s_.size())) {
            error = (error_.empty() ? std::string("trailing text") : error_) + " at byte " +
                    std::to_string(pos_);
            return false;
        }
        return true;
    }

private:
    bool Fail(const char* why)
    {
        if (error_.empty())
            error_ = why;
        return false;
    }
    void Space()
    {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool Eat(char c)
    {
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Word(const char* word)
    {
        const std::string w(word);
        if (s_.compare(pos_, w.size(), w) != 0)
            return Fail("bad literal");
        pos_ += w.size();
        return true;
    }

    bool Value(Json& out, int depth)
    {
        if (depth > kMaxDepth)
            return Fail("nested too deep");
        if (pos_ >= s_.size())
            return Fail("value expected");
        const char c = s_[pos_];
        if (c == '{')
            return Object(out, depth);
        if (c == '[')
            return Array(out, depth);
        if (c == '"') {
            out.kind = Json::Kind::String;
            return String(out.text);
        }
        if (c == 't' || c == 'f') {
            out.kind = Json::Kind::Bool;
            out.boolean = c == 't';
            return Word(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            out.kind = Json::Kind::Null;
            return Word("null");
        }
        return Number(out);
    }

    bool Object(Json& out, int depth)
    {
        out.kind = Json::Kind::Object;
        ++pos_;
        Space();
        if (Eat('}'))
            return true;
        for (;;) {
            Space();
            std::wstring name;
            if (pos_ >= s_.size() || s_[pos_] != '"' || !String(name))
                return Fail("member name expected");
            Space();
            if (!Eat(':'))
                return Fail("':' expected");
            Space();
            Json value;
            if (!Value(value, depth + 1))
                return false;
            out.members.emplace_back(name, value);
            Space();
            if (Eat('}'))
                return true;
            if (!Eat(','))
                return Fail("',' or '}' expected");
        }
    }

    bool Array(Json& out, int depth)
    {
        out.kind = Json::Kind::Array;
        ++pos_;
        Space();
        if (Eat(']'))
            return true;
        for (;;) {
            Space();
            Json value;
            if (!Value(value, depth + 1))
                return false;
            out.items.push_back(value);
            Space();
            if (Eat(']'))
                return true;
            if (!Eat(','))
                return Fail("',' or ']' expected");
        }
    }

    bool Number(Json& out)
    {
        const size_t start = pos_;
        Eat('-');
        if (Eat('0')) {
        } else if (pos_ < s_.size() && s_[pos_] >= '1' && s_[pos_] <= '9') {
            while (pos_ < s_.size() && isdigit(static_cast<unsigned char>(s_[pos_])))
                ++pos_;
        } else {
            return Fail("value expected");
        }
        if (Eat('.')) {
            if (!Digits())
                return Fail("digits expected");
        }
        if (Eat('e') || Eat('E')) {
            if (!Eat('+'))
                Eat('-');
            if (!Digits())
                return Fail("digits expected");
        }
        out.kind = Json::Kind::Number;
        out.number = strtod(s_.substr(start, pos_ - start).c_str(), nullptr);
        return true;
    }
    bool Digits()
    {
        const size_t start = pos_;
        while (pos_ < s_.size() && isdigit(static_cast<unsigned char>(s_[pos_])))
            ++pos_;
        return pos_ > start;
    }

    bool Hex4(unsigned& unit)
    {
        if (pos_ + 4 > s_.size())
            return Fail("short \\u escape");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[pos_++];
            unit <<= 4;
            if (c >= '0' && c <= '9')
                unit |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                unit |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                unit |= unsigned(c - 'A' + 10);
            else
                return Fail("bad \\u escape");
        }
        return true;
    }

    // One UTF-8 sequence, strictly: no overlong forms, no surrogates, at most U+10FFFF.
    bool Utf8(std::wstring& out)
    {
        const unsigned char lead = static_cast<unsigned char>(s_[pos_++]);
        int more;
        unsigned cp, min;
        if (lead >= 0xC2 && lead <= 0xDF) { more = 1; cp = lead & 0x1F; min = 0x80; }
        else if (lead >= 0xE0 && lead <= 0xEF) { more = 2; cp = lead & 0x0F; min = 0x800; }
        else if (lead >= 0xF0 && lead <= 0xF4) { more = 3; cp = lead & 0x07; min = 0x10000; }
        else return Fail("invalid UTF-8");
        for (int i = 0; i < more; ++i) {
            if (pos_ >= s_.size() || (static_cast<unsigned char>(s_[pos_]) & 0xC0) != 0x80)
                return Fail("invalid UTF-8");
            cp = (cp << 6) | (static_cast<unsigned char>(s_[pos_++]) & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return Fail("invalid UTF-8");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += wchar_t(0xD800 + (cp >> 10));
            out += wchar_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += wchar_t(cp);
        }
        return true;
    }

    bool String(std::wstring& out)
    {
        ++pos_;
        for (;;) {
            if (pos_ >= s_.size())
                return Fail("unterminated string");
            const unsigned char c = static_cast<unsigned char>(s_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20)
                return Fail("control character in string");
            if (c >= 0x80) {
                if (!Utf8(out))
                    return false;
                continue;
            }
            ++pos_;
            if (c != '\\') {
                out += wchar_t(c);
                continue;
            }
            if (pos_ >= s_.size())
                return Fail("unterminated string");
            const char e = s_[pos_++];
            switch (e) {
            case '"': out += L'"'; break;
            case '\\': out += L'\\'; break;
            case '/': out += L'/'; break;
            case 'b': out += L'\b'; break;
            case 'f': out += L'\f'; break;
            case 'n': out += L'\n'; break;
            case 'r': out += L'\r'; break;
            case 't': out += L'\t'; break;
            case 'u': {
                unsigned unit = 0;
                if (!Hex4(unit))
                    return false;
                out += wchar_t(unit);
                break;
            }
            default: return Fail("bad escape");
            }
        }
    }

    const std::string& s_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

const Json& Json::operator[](const std::wstring& name) const
{
    for (const auto& member : members)
        if (member.first == name)
            return member.second;
    throw std::out_of_range("no member");
}

bool Json::Has(const std::wstring& name) const
{
    for (const auto& member : members)
        if (member.first == name)
            return true;
    return false;
}

bool ParseJson(const std::string& utf8, Json& out, std::string& error)
{
    out = Json();
    return Reader(utf8).Document(out, error);
}

}  // namespace tntest
