#pragma once
// One JSON object on one line, for the script that makes the table.
#include <cstdint>
#include <string>

namespace bench {

class JsonLine {
public:
    JsonLine& Add(const char* key, const std::string& value);
    JsonLine& Add(const char* key, const std::wstring& value);
    JsonLine& Add(const char* key, const char* value) { return Add(key, std::string(value)); }
    JsonLine& Add(const char* key, double value);
    JsonLine& Add(const char* key, int64_t value);
    JsonLine& Add(const char* key, int value) { return Add(key, int64_t(value)); }
    JsonLine& Add(const char* key, uint64_t value) { return Add(key, int64_t(value)); }
    JsonLine& Add(const char* key, bool value);
    std::string Text() const { return "{" + body_ + "}\n"; }

private:
    void Key(const char* key);
    std::string body_;
};

std::string ToUtf8(const std::wstring& text);

}  // namespace bench
