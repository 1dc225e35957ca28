#pragma once
#include <string>
#include <vector>

namespace tnt {

// The command line, split into the command, its positional arguments and the
// options. Options may stand anywhere; "--" makes every later word positional.
struct ParsedArgs {
    std::wstring command;
    std::vector<std::wstring> positionals;
    bool json = false;
    bool noFileMap = false;
    bool help = false;
    bool version = false;
    bool explain = false;
    bool ids = false;
    bool hasSet = false;
    std::wstring set;
    bool hasSub = false;
    std::wstring sub;
};

// False with `error` set for an unknown option or an option without its value.
bool ParseCommandLine(const std::vector<std::wstring>& words, ParsedArgs& out, std::wstring& error);

// Reads a language identifier written in hexadecimal, with or without "0x"
// (0409, 0x0409). False for anything else and for values above 0xFFFF.
bool ParseLanguageId(const std::wstring& text, unsigned& language);

}  // namespace tnt
