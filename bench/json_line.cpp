#include "json_line.h"

#include <windows.h>

#include <cstdio>

namespace bench {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

void JsonLine::Key(const char* key)
{
    if (!body_.empty())
        body_ += ",";
    body_ += "\"";
    body_ += key;
    body_ += "\":";
}

JsonLine& JsonLine::Add(const char* key, const std::string& value)
{
    Key(key);
    body_ += "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') {
            body_ += '\\';
            body_ += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", unsigned(c));
            body_ += escaped;
        } else {
            body_ += c;
        }
    }
    body_ += "\"";
    return *this;
}

JsonLine& JsonLine::Add(const char* key, const std::wstring& value)
{
    return Add(key, ToUtf8(value));
}

JsonLine& JsonLine::Add(const char* key, double value)
{
    Key(key);
    char text[32];
    snprintf(text, sizeof(text), "%.6g", value);
    body_ += text;
    return *this;
}

JsonLine& JsonLine::Add(const char* key, int64_t value)
{
    Key(key);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Add(const char* key, bool value)
{
    Key(key);
    body_ += value ? "true" : "false";
    return *this;
}

}  // namespace bench
