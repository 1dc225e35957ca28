// tninstall: asks TNInstall.dll about the local installation, calling it by
// ordinal exactly as the suite's programs do, and prints the answers.
#include <windows.h>

#include <string>
#include <vector>

#include "commands.h"
#include "console_writer.h"
#include "stdout_redirect.h"
#include "tn_version.h"
#include "install/log_folder.h"

namespace {

using namespace tnt;

struct Streams {
    ConsoleWriter out{STD_OUTPUT_HANDLE};
    ConsoleWriter err{STD_ERROR_HANDLE};
};

// Prints a response in the form asked for and returns its exit code.
int Finish(const Streams& streams, const ParsedArgs& args, const Response& response, int code)
{
    if (args.json)
        streams.out.WriteUtf8(response.json.Serialize() + "\n");
    else
        streams.out.Write(response.text);
    streams.err.Write(response.errors);
    return code;
}

// A usage error or an unreachable library: the message on standard error
// and, for --json, an object naming the error on standard output.
int Fail(const Streams& streams, const ParsedArgs& args, const std::wstring& message, int code,
         const std::wstring& hint = std::wstring())
{
    Response response;
    if (!args.command.empty())
        response.json.Set(L"command", JsonValue::String(args.command));
    response.json.Set(L"error", JsonValue::String(message));
    response.Error(L"tninstall: " + message);
    if (!hint.empty())
        response.Error(hint);
    return Finish(streams, args, response, code);
}

int Run(const std::vector<std::wstring>& words)
{
    Streams streams;
    ParsedArgs args;
    std::wstring error;
    if (!ParseCommandLine(words, args, error))
        return Fail(streams, args, error, kExitUsage, L"Run tninstall --help for the commands.");

    if (args.version && args.command.empty()) {
        streams.out.Write(L"tninstall " TN_VERSION_WSTRING L"\n");
        return kExitAnswered;
    }
    if (args.command == L"help") {
        args.help = true;
        args.command = args.positionals.empty() ? std::wstring() : args.positionals[0];
        args.positionals.clear();
    }
    if (args.command.empty()) {
        if (args.help) {
            streams.out.Write(ProgramHelp());
            return kExitAnswered;
        }
        streams.err.Write(ProgramHelp());
        return kExitUsage;
    }

    const CommandSpec* entry = FindCommand(args.command);
    if (!entry)
        return Fail(streams, args, L"unknown command " + args.command, kExitUsage,
                    L"Run tninstall --help for the commands.");
    if (args.help) {
        streams.out.Write(CommandHelp(*entry));
        return kExitAnswered;
    }

    const std::wstring usage = L"Usage: tninstall " + std::wstring(entry->name) +
                               (*entry->synopsis ? L" " : L"") + entry->synopsis;
    if (args.positionals.size() < entry->minArgs || args.positionals.size() > entry->maxArgs)
        return Fail(streams, args,
                    args.positionals.size() < entry->minArgs ? L"missing argument"
                                                            : L"too many arguments",
                    kExitUsage, usage);
    struct {
        bool given;
        unsigned option;
        const wchar_t* name;
    } const options[] = {
        {args.explain, kOptExplain, L"--explain"},
        {args.ids, kOptIds, L"--ids"},
        {args.hasSet, kOptSet, L"--set"},
        {args.hasSub, kOptSub, L"--sub"},
        {args.version, 0, L"--version"},
    };
    for (const auto& option : options)
        if (option.given && !(entry->options & option.option))
            return Fail(streams, args,
                        std::wstring(option.name) + L" does not apply to " + entry->name,
                        kExitUsage, usage);

    TnLibrary library;
    if (entry->needsLibrary) {
        if (!library.Load(error))
            return Fail(streams, args, error, kExitUnavailable);
        if (args.noFileMap)
            library.SetFileMapEnabled(0);
    }

    Response response;
    int code;
    {
        // What the library writes on standard output goes to standard error,
        // out of the tool's answer (one JSON object stays parseable).
        StdoutRedirect libraryOutput(StdoutRedirect::kToStandardError);
        code = entry->handler(Invocation{args, entry->needsLibrary ? &library : nullptr, *entry},
                              response);
    }
    return Finish(streams, args, response, code);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    tn::UseInstallLogFolder();
    std::vector<std::wstring> words;
    for (int i = 1; i < argc; ++i)
        words.emplace_back(argv[i]);
    return Run(words);
}
