#pragma once
#include <string>

#include "command_line.h"
#include "json_value.h"
#include "tn_library.h"

namespace tnt {

// Exit codes of the program.
enum ExitCode : int {
    kExitAnswered = 0,    // answered, true, clean
    kExitEmpty = 1,       // empty answer, false, problems found, not stored
    kExitUsage = 2,       // usage error
    kExitUnavailable = 3, // TNInstall.dll (or the hive store) could not be reached
};

// What a command produces: the plain-text form, the JSON object, and
// messages for standard error. Both forms are always built; the program
// prints the one asked for.
struct Response {
    JsonValue json = JsonValue::Object();
    std::wstring text;
    std::wstring errors;

    void Line(const std::wstring& line) { text += line + L"\n"; }
    void Error(const std::wstring& line) { errors += line + L"\n"; }
};

struct CommandSpec;

// One run of a command. `library` is loaded for the commands that ask it.
struct Invocation {
    const ParsedArgs& args;
    const TnLibrary* library;
    const CommandSpec& command;

    // Positional argument `i`, or null when absent.
    const wchar_t* Arg(size_t i) const
    {
        return i < args.positionals.size() ? args.positionals[i].c_str() : nullptr;
    }
};

// Options a command accepts beyond the global ones.
enum CommandOption : unsigned {
    kOptExplain = 1u << 0,
    kOptIds = 1u << 1,
    kOptSet = 1u << 2,
    kOptSub = 1u << 3,
};

using CommandHandler = int (*)(const Invocation&, Response&);

struct CommandSpec {
    const wchar_t* name;
    const wchar_t* synopsis;  // arguments, after the name
    const wchar_t* summary;   // one line for the command list
    const wchar_t* details;   // the rest of the command's --help
    int ordinal;              // the export behind it, 0 for none
    size_t minArgs;
    size_t maxArgs;
    unsigned options;
    bool needsLibrary;
    CommandHandler handler;
};

// All commands in the order the help lists them; ends with a null name.
const CommandSpec* Commands();
const CommandSpec* FindCommand(const std::wstring& name);

std::wstring ProgramHelp();
std::wstring CommandHelp(const CommandSpec& command);

// Members every answer of an export carries in JSON.
void SetExportFields(Response& out, const wchar_t* command, int ordinal, int result);
// The same for the export behind the command run.
void SetExportFields(Response& out, const Invocation& run, int result);

// Handlers, one file per group.
int RunInstallPath(const Invocation&, Response&);
int RunBackupPath(const Invocation&, Response&);
int RunOemName(const Invocation&, Response&);
int RunMap(const Invocation&, Response&);
int RunUnmap(const Invocation&, Response&);
int RunFile(const Invocation&, Response&);
int RunFind(const Invocation&, Response&);
int RunIsInstalled(const Invocation&, Response&);
int RunComponentPath(const Invocation&, Response&);
int RunProductsOf(const Invocation&, Response&);
int RunProductId(const Invocation&, Response&);
int RunComponentInstalled(const Invocation&, Response&);
int RunProductInstalled(const Invocation&, Response&);
int RunSingleProduct(const Invocation&, Response&);
int RunLanguage(const Invocation&, Response&);
int RunOs(const Invocation&, Response&);
int RunInfo(const Invocation&, Response&);
int RunVerify(const Invocation&, Response&);
int RunMapSet(const Invocation&, Response&);

}  // namespace tnt
