#include <cwchar>

#include "TNInstall.h"
#include "commands.h"
#include "tn_version.h"

namespace tnt {
namespace {

// Column of the summaries in the command list.
constexpr size_t kSynopsisColumn = 40;

const CommandSpec kCommands[] = {
    {L"info", L"",
     L"one screen about the installation",
     L"Install and backup directory, OEM name, Windows class, language, the\n"
     L"language groups, the installed products with their ProductIDs and the\n"
     L"installed components with their directories. Exit code 1 when the install\n"
     L"directory is not set.",
     0, 0, 0, 0, true, RunInfo},
    {L"verify", L"",
     L"check the installation's description files",
     L"Loads every installed product with all its components' description files and\n"
     L"reports each problem with its component and the reason: description file\n"
     L"missing or unreadable, no [HaveSection], an empty [HaveSection], a listed\n"
     L"section missing, a record line with too few items, a file listed twice.\n"
     L"Installed components that no installed product contains are named as well;\n"
     L"they are no fault (lookups still search them) and their description files\n"
     L"are checked too. Exit code 0 when clean, 1 when problems were found.",
     0, 0, 0, 0, false, RunVerify},
    {L"install-path", L"[suffix]",
     L"install directory, then the suffix",
     L"",
     TNI_ORD_GetInstallPath, 0, 1, 0, true, RunInstallPath},
    {L"backup-path", L"",
     L"the backup directory",
     L"",
     TNI_ORD_GetBackupPath, 0, 0, 0, true, RunBackupPath},
    {L"oem-name", L"",
     L"the OEM name",
     L"",
     TNI_ORD_GetOemName, 0, 0, 0, true, RunOemName},
    {L"map", L"<owner> <file> [sub-key]",
     L"the name the file map keeps a file under",
     L"The owner is the component the file belongs to; the sub-key is the record's\n"
     L"destination directory when it is a plain directory. Without an entry the\n"
     L"answer is the file name itself. --explain shows the key consulted.",
     TNI_ORD_GetMappedFileName, 2, 3, kOptExplain, true, RunMap},
    {L"unmap", L"<mapped-name>",
     L"file name and owner of a mapped name",
     L"Searches the file map for the mapped name. Exit code 0 when the map names an\n"
     L"owner, 1 when it does not (the answer is then the name itself).",
     TNI_ORD_GetUnmappedFileName, 1, 1, kOptExplain, true, RunUnmap},
    {L"file", L"<component> <file> [dest-filter]",
     L"full path of a file of a component",
     L"Reads the component's description file; with a destination filter only a\n"
     L"record with that destination counts. Follows [OldFile_Map] to other\n"
     L"components. --explain shows each step.",
     TNI_ORD_GetComponentFilePath, 2, 3, kOptExplain, true, RunFile},
    {L"find", L"<file>",
     L"where a file is kept, and its component",
     L"Asks the file map for the owner first, then searches the installed\n"
     L"components in install.ini order. --explain shows the search.",
     TNI_ORD_FindInstalledFile, 1, 1, kOptExplain, true, RunFind},
    {L"is-installed", L"<path>",
     L"whether a path is an installed file",
     L"Exit code 0 when it is, 1 when it is not. --explain shows the lookup.",
     TNI_ORD_IsInstalledFile, 1, 1, kOptExplain, true, RunIsInstalled},
    {L"component-path", L"<component> [suffix]",
     L"a component's directory, then the suffix",
     L"",
     TNI_ORD_GetComponentPath, 1, 2, 0, true, RunComponentPath},
    {L"products-of", L"<component> [--ids]",
     L"installed products holding a component",
     L"A comma list as the library gives it (it may end in a comma); --ids lists\n"
     L"ProductIDs instead of names.",
     TNI_ORD_GetComponentProducts, 1, 1, kOptIds, true, RunProductsOf},
    {L"product-id", L"<product>",
     L"a product's ProductID",
     L"Exit code 1 when the ProductID is 0 or cannot be read.",
     TNI_ORD_GetProductId, 1, 1, 0, true, RunProductId},
    {L"component-installed", L"<name>",
     L"whether a component is installed",
     L"",
     TNI_ORD_IsComponentInstalled, 1, 1, 0, true, RunComponentInstalled},
    {L"product-installed", L"<name>",
     L"whether a product is installed",
     L"",
     TNI_ORD_IsProductInstalled, 1, 1, 0, true, RunProductInstalled},
    {L"single-product", L"<component>",
     L"whether one product at most holds it",
     L"",
     TNI_ORD_IsSingleProductComponent, 1, 1, 0, true, RunSingleProduct},
    {L"language", L"[--set <id>]",
     L"the language in use, or store one",
     L"The identifier is hexadecimal, with or without 0x (0x0409, 0804). After\n"
     L"storing, the language in use is shown: the stored one if the installation\n"
     L"offers it, else the first one it lists. Exit code 1 when it was not stored.",
     TNI_ORD_GetLanguage, 0, 0, kOptSet, true, RunLanguage},
    {L"os", L"",
     L"the Windows class, decoded",
     L"",
     TNI_ORD_GetOsVersionType, 0, 0, 0, true, RunOs},
    {L"map-set", L"<owner> [--sub <dir>] <file> <mapped>",
     L"write a file-map entry",
     L"Stores <mapped> as the name under which the file map keeps <file> of the\n"
     L"component <owner>, below the destination directory <dir> when given.\n"
     L"Exit code 0 when stored, 1 when the hive store refused it.",
     0, 3, 3, kOptSub, false, RunMapSet},
    {nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, false, nullptr},
};

std::wstring Synopsis(const CommandSpec& command)
{
    std::wstring text = command.name;
    if (*command.synopsis)
        text += std::wstring(L" ") + command.synopsis;
    return text;
}

}  // namespace

const CommandSpec* Commands() { return kCommands; }

const CommandSpec* FindCommand(const std::wstring& name)
{
    for (const CommandSpec* command = kCommands; command->name; ++command)
        if (name == command->name)
            return command;
    return nullptr;
}

std::wstring ProgramHelp()
{
    std::wstring text =
        L"tninstall " TN_VERSION_WSTRING L" - asks TNInstall.dll about the local installation\n"
        L"of the suite, calling it by ordinal as the suite's programs do.\n\n"
        L"Usage: tninstall [--json] [--no-filemap] <command> [arguments]\n"
        L"       tninstall <command> --help\n\nCommands:\n";
    for (const CommandSpec* command = kCommands; command->name; ++command) {
        std::wstring line = L"  " + Synopsis(*command);
        if (line.size() < kSynopsisColumn)
            line.append(kSynopsisColumn - line.size(), L' ');
        else
            line += L"\n" + std::wstring(kSynopsisColumn, L' ');
        text += line + command->summary + L"\n";
    }
    text +=
        L"\nOptions:\n"
        L"  --json        print one JSON object on standard output (strings in UTF-8)\n"
        L"  --no-filemap  turn the file-map switch off for the call\n"
        L"  --explain     with map, unmap, file, find, is-installed: show how the answer\n"
        L"                was reached, step by step\n"
        L"  --help        this text, or a command's own help\n"
        L"  --version     the tool's version\n"
        L"\nExit codes: 0 answered or true; 1 empty answer, false, or problems found;\n"
        L"2 usage error; 3 TNInstall.dll or the hive store could not be reached.\n";
    return text;
}

std::wstring CommandHelp(const CommandSpec& command)
{
    std::wstring text = L"Usage: tninstall " + Synopsis(command);
    if (command.options & kOptExplain)
        text += L" [--explain]";
    std::wstring summary = command.summary;
    if (!summary.empty() && summary[0] >= L'a' && summary[0] <= L'z')
        summary[0] = wchar_t(summary[0] - L'a' + L'A');
    text += L"\n\n" + summary + L".\n";
    if (*command.details)
        text += std::wstring(command.details) + L"\n";
    if (command.ordinal)
        text += L"\nExport: " + std::wstring(ExportName(command.ordinal)) + L" (ordinal " +
                std::to_wstring(command.ordinal) + L").\n";
    return text;
}

void SetExportFields(Response& out, const Invocation& run, int result)
{
    SetExportFields(out, run.command.name, run.command.ordinal, result);
}

void SetExportFields(Response& out, const wchar_t* command, int ordinal, int result)
{
    out.json.Set(L"command", JsonValue::String(command));
    out.json.Set(L"export", JsonValue::String(ExportName(ordinal)));
    out.json.Set(L"ordinal", JsonValue::Number(ordinal));
    out.json.Set(L"result", JsonValue::Number(result));
}

}  // namespace tnt
