#include "command_line.h"

namespace tnt {
namespace {

// The longest language identifier text: "0x" and four digits.
constexpr size_t kMaxLanguageDigits = 4;

bool TakeValue(const std::vector<std::wstring>& words, size_t& i, const std::wstring& option,
               const std::wstring& word, std::wstring& value, std::wstring& error)
{
    const std::wstring withEquals = option + L"=";
    if (word.compare(0, withEquals.size(), withEquals) == 0) {
        value = word.substr(withEquals.size());
        return true;
    }
    if (i + 1 >= words.size()) {
        error = option + L" needs a value";
        return false;
    }
    value = words[++i];
    return true;
}

bool Matches(const std::wstring& word, const wchar_t* option)
{
    const std::wstring name(option);
    return word == name || word.compare(0, name.size() + 1, name + L"=") == 0;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::wstring>& words, ParsedArgs& out, std::wstring& error)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::wstring& word = words[i];
        const bool looksLikeOption = !optionsEnded && word.size() > 1 &&
                                     (word[0] == L'-' || word == L"/?");
        if (!looksLikeOption) {
            if (out.command.empty())
                out.command = word;
            else
                out.positionals.push_back(word);
            continue;
        }
        if (word == L"--")
            optionsEnded = true;
        else if (word == L"--json")
            out.json = true;
        else if (word == L"--no-filemap")
            out.noFileMap = true;
        else if (word == L"--help" || word == L"-h" || word == L"-?" || word == L"/?")
            out.help = true;
        else if (word == L"--version")
            out.version = true;
        else if (word == L"--explain")
            out.explain = true;
        else if (word == L"--ids")
            out.ids = true;
        else if (Matches(word, L"--set")) {
            if (!TakeValue(words, i, L"--set", word, out.set, error))
                return false;
            out.hasSet = true;
        } else if (Matches(word, L"--sub")) {
            if (!TakeValue(words, i, L"--sub", word, out.sub, error))
                return false;
            out.hasSub = true;
        } else {
            error = L"unknown option " + word;
            return false;
        }
    }
    return true;
}

bool ParseLanguageId(const std::wstring& text, unsigned& language)
{
    size_t start = 0;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
        start = 2;
    const size_t digits = text.size() - start;
    if (digits == 0 || digits > kMaxLanguageDigits)
        return false;
    unsigned value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9')
            digit = unsigned(c - L'0');
        else if (c >= L'a' && c <= L'f')
            digit = unsigned(c - L'a' + 10);
        else if (c >= L'A' && c <= L'F')
            digit = unsigned(c - L'A' + 10);
        else
            return false;
        value = value * 16 + digit;
    }
    language = value;
    return true;
}

}  // namespace tnt
