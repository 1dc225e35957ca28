// The commands that ask one export each and show its answer as it came.
#include "commands.h"
#include "explain.h"
#include "windows_names.h"

namespace tnt {
namespace {

int ExitFor(int result) { return result ? kExitAnswered : kExitEmpty; }

// A string export: the answer on one line (nothing when it is empty).
int ShowString(Response& out, const wchar_t* command, int ordinal, const StringAnswer& answer)
{
    SetExportFields(out, command, ordinal, answer.result);
    out.json.Set(L"answer", JsonValue::String(answer.text));
    if (answer.result)
        out.Line(answer.text);
    return ExitFor(answer.result);
}

// A yes/no export.
int ShowBool(Response& out, const wchar_t* command, int ordinal, int result)
{
    SetExportFields(out, command, ordinal, result);
    out.json.Set(L"answer", JsonValue::Bool(result != 0));
    out.Line(result ? L"yes" : L"no");
    return ExitFor(result);
}

}  // namespace

int RunInstallPath(const Invocation& run, Response& out)
{
    return ShowString(out, L"install-path", 1, run.library->GetInstallPath(run.Arg(0)));
}

int RunBackupPath(const Invocation& run, Response& out)
{
    return ShowString(out, L"backup-path", 2, run.library->GetBackupPath());
}

int RunOemName(const Invocation& run, Response& out)
{
    return ShowString(out, L"oem-name", 17, run.library->GetOemName());
}

int RunMap(const Invocation& run, Response& out)
{
    const StringAnswer answer = run.library->GetMappedFileName(run.Arg(0), run.Arg(1), run.Arg(2));
    const int code = ShowString(out, L"map", 3, answer);
    if (run.args.explain)
        ExplainMap(run, out, answer);
    return code;
}

int RunUnmap(const Invocation& run, Response& out)
{
    const PairAnswer answer = run.library->GetUnmappedFileName(run.Arg(0));
    SetExportFields(out, L"unmap", 4, answer.result);
    out.json.Set(L"answer", JsonValue::String(answer.text));
    out.json.Set(L"owner", JsonValue::String(answer.second));
    out.Line(answer.text);
    out.Line(answer.result ? L"owner: " + answer.second : L"the file map names no owner");
    if (run.args.explain)
        ExplainUnmap(run, out, answer);
    return ExitFor(answer.result);
}

int RunFile(const Invocation& run, Response& out)
{
    const StringAnswer answer =
        run.library->GetComponentFilePath(run.Arg(0), run.Arg(1), run.Arg(2));
    const int code = ShowString(out, L"file", 5, answer);
    if (run.args.explain)
        ExplainFile(run, out, answer);
    return code;
}

int RunFind(const Invocation& run, Response& out)
{
    const PairAnswer answer = run.library->FindInstalledFile(run.Arg(0));
    SetExportFields(out, L"find", 18, answer.result);
    out.json.Set(L"answer", JsonValue::String(answer.text));
    out.json.Set(L"component", JsonValue::String(answer.result ? answer.second : L""));
    if (answer.result) {
        out.Line(answer.text);
        out.Line(L"component: " + answer.second);
    }
    if (run.args.explain)
        ExplainFind(run, out, answer);
    return ExitFor(answer.result);
}

int RunIsInstalled(const Invocation& run, Response& out)
{
    const int answer = run.library->IsInstalledFile(run.Arg(0));
    const int code = ShowBool(out, L"is-installed", 11, answer);
    if (run.args.explain)
        ExplainIsInstalled(run, out, answer);
    return code;
}

int RunComponentPath(const Invocation& run, Response& out)
{
    return ShowString(out, L"component-path", 6,
                      run.library->GetComponentPath(run.Arg(0), run.Arg(1)));
}

int RunProductsOf(const Invocation& run, Response& out)
{
    const StringAnswer answer = run.library->GetComponentProducts(run.Arg(0), run.args.ids);
    const int code = ShowString(out, L"products-of", 7, answer);
    JsonValue& items = out.json.Set(run.args.ids ? L"productIds" : L"products", JsonValue::Array());
    size_t start = 0;
    while (answer.result && start < answer.text.size()) {
        size_t comma = answer.text.find(L',', start);
        if (comma == std::wstring::npos)
            comma = answer.text.size();
        const std::wstring item = answer.text.substr(start, comma - start);
        if (!item.empty()) {
            if (run.args.ids)
                items.Add(JsonValue::Number(_wtoi(item.c_str())));
            else
                items.Add(JsonValue::String(item));
        }
        start = comma + 1;
    }
    return code;
}

int RunProductId(const Invocation& run, Response& out)
{
    const int id = run.library->GetProductId(run.Arg(0));
    SetExportFields(out, L"product-id", 8, id);
    out.json.Set(L"answer", JsonValue::Number(id));
    out.Line(std::to_wstring(id));
    return ExitFor(id);
}

int RunComponentInstalled(const Invocation& run, Response& out)
{
    return ShowBool(out, L"component-installed", 9, run.library->IsComponentInstalled(run.Arg(0)));
}

int RunProductInstalled(const Invocation& run, Response& out)
{
    return ShowBool(out, L"product-installed", 10, run.library->IsProductInstalled(run.Arg(0)));
}

int RunSingleProduct(const Invocation& run, Response& out)
{
    return ShowBool(out, L"single-product", 12, run.library->IsSingleProductComponent(run.Arg(0)));
}

int RunLanguage(const Invocation& run, Response& out)
{
    int code = kExitAnswered;
    JsonValue set;
    if (run.args.hasSet) {
        unsigned wanted = 0;
        if (!ParseLanguageId(run.args.set, wanted)) {
            const std::wstring message =
                L"--set takes a hexadecimal language identifier up to 0xFFFF, such as 0x0409, "
                L"not \"" + run.args.set + L"\"";
            out.json.Set(L"command", JsonValue::String(L"language"));
            out.json.Set(L"error", JsonValue::String(message));
            out.Error(L"tninstall language: " + message);
            return kExitUsage;
        }
        const int stored = run.library->SetLanguage(wanted);
        set = JsonValue::Object();
        set.Set(L"export", JsonValue::String(ExportName(16)));
        set.Set(L"ordinal", JsonValue::Number(16));
        set.Set(L"result", JsonValue::Number(stored));
        set.Set(L"language", JsonValue::String(LanguageHex(LANGID(wanted))));
        if (stored) {
            out.Line(L"stored " + LanguageHex(LANGID(wanted)) + L" " + LanguageName(LANGID(wanted)));
        } else {
            out.Error(L"tninstall language: the hive store did not take " +
                      LanguageHex(LANGID(wanted)));
            code = kExitEmpty;
        }
    }
    const LANGID language = run.library->GetLanguage();
    SetExportFields(out, L"language", 15, language);
    out.json.Set(L"answer", JsonValue::Number(language));
    out.json.Set(L"hex", JsonValue::String(LanguageHex(language)));
    out.json.Set(L"name", JsonValue::String(LanguageName(language)));
    if (run.args.hasSet)
        out.json.Set(L"set", set);
    out.Line((run.args.hasSet ? L"in use: " : L"") + LanguageHex(language) + L" " +
             LanguageName(language));
    return code;
}

int RunOs(const Invocation& run, Response& out)
{
    int isNt = 0;
    const DWORD mask = run.library->GetOsVersionType(&isNt);
    SetExportFields(out, L"os", 19, int(mask));
    out.json.Set(L"answer", JsonValue::Number(mask));
    out.json.Set(L"hex", JsonValue::String(Hex(mask)));
    JsonValue& names = out.json.Set(L"names", JsonValue::Array());
    for (const std::wstring& name : WindowsClassNames(mask))
        names.Add(JsonValue::String(name));
    out.json.Set(L"isNt", JsonValue::Bool(isNt != 0));
    out.Line(DescribeWindowsClass(mask));
    out.Line(isNt ? L"Windows NT: yes" : L"Windows NT: no");
    return kExitAnswered;
}

}  // namespace tnt
