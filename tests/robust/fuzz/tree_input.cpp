#include "tree_input.h"

#include "file_util.h"
#include "test_support.h"

namespace tnrobust {
namespace {

std::string Hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::string Unhex(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        out += char(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

}  // namespace

std::string SaveTreeInput(const TreeInput& input)
{
    std::string out;
    for (const TreeInput::File& file : input.files) {
        const std::string path = tntest::ToUtf8(EscapeText(file.relative));
        if (file.remove)
            out += "remove " + path + "\n";
        else if (file.folder)
            out += "folder " + path + "\n";
        else
            out += "file " + path + "\n" + Hex(file.bytes) + "\n";
    }
    for (const ExportCall& call : input.calls)
        out += "call " + tntest::ToUtf8(FormatCall(call)) + "\n";
    return out;
}

TreeInput LoadTreeInput(const std::string& saved)
{
    TreeInput input;
    size_t start = 0;
    auto nextLine = [&]() {
        size_t end = saved.find('\n', start);
        if (end == std::string::npos)
            end = saved.size();
        std::string line = saved.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        return line;
    };
    while (start < saved.size()) {
        const std::string line = nextLine();
        if (line.rfind("file ", 0) == 0) {
            TreeInput::File file;
            file.relative = UnescapeText(tntest::FromUtf8(line.substr(5)));
            file.bytes = Unhex(nextLine());
            input.files.push_back(file);
        } else if (line.rfind("remove ", 0) == 0) {
            TreeInput::File file;
            file.relative = UnescapeText(tntest::FromUtf8(line.substr(7)));
            file.remove = true;
            input.files.push_back(file);
        } else if (line.rfind("folder ", 0) == 0) {
            TreeInput::File file;
            file.relative = UnescapeText(tntest::FromUtf8(line.substr(7)));
            file.folder = true;
            input.files.push_back(file);
        } else if (line.rfind("call ", 0) == 0) {
            input.calls.push_back(ParseCall(tntest::FromUtf8(line.substr(5))));
        }
    }
    return input;
}

}  // namespace tnrobust
