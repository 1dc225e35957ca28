// The commands that ask one export each and show its answer as it came.
#include "TNInstall.h"
#include "commands.h"
#include "explain.h"
#include "windows_names.h"

namespace tnt {
namespace {

int ExitFor(int result) { return result ? kExitAnswered : kExitEmpty; }

// A string export: the answer on one line (nothing when it is empty).
int ShowString(Response& out, const Invocation& run, const StringAnswer& answer)
{
    SetExportFields(out, run, answer.result);
    out.json.Set(L"answer", JsonValue::String(answer.text));
    if (answer.result)
        out.Line(answer.text);
    return ExitFor(answer.result);
}

// A yes/no export.
int ShowBool(Response& out, const Invocation& run, int result)
{
    SetExportFields(out, run, result);
    out.json.Set(L"answer", JsonValue::Bool(result != 0));
    out.Line(result ? L"yes" : L"no");
    return ExitFor(result);
}

// An export whose answer `show` puts in the response, followed by the steps
// of the lookup behind it with --explain.
template <class Answer, class Show, class Explain>
int ShowExplained(const Invocation& run, Response& out, const Answer& answer, Show show,
                  Explain explain)
{
    const int code = show(out, run, answer);
    if (run.args.explain)
        explain(run, out, answer);
    return code;
}

int ShowUnmapped(Response& out, const Invocation& run, const PairAnswer& answer)
{
    SetExportFields(out, run, answer.result);
    out.json.Set(L"answer", JsonValue::String(answer.text));
    out.json.Set(L"owner", JsonValue::String(answer.second));
    out.Line(answer.text);
    out.Line(answer.result ? L"owner: " + answer.second : L"the file map names no owner");
    return ExitFor(answer.result);
}

int ShowFound(Response& out, const Invocation& run, const PairAnswer& answer)
{
    SetExportFields(out, run, answer.result);
    out.json.Set(L"answer", JsonValue::String(answer.text));
    out.json.Set(L"component", JsonValue::String(answer.result ? answer.second : L""));
    if (answer.result) {
        out.Line(answer.text);
        out.Line(L"component: " + answer.second);
    }
    return ExitFor(answer.result);
}

}  // namespace

int RunInstallPath(const Invocation& run, Response& out)
{
    return ShowString(out, run, run.library->GetInstallPath(run.Arg(0)));
}

int RunBackupPath(const Invocation& run, Response& out)
{
    return ShowString(out, run, run.library->GetBackupPath());
}

int RunOemName(const Invocation& run, Response& out)
{
    return ShowString(out, run, run.library->GetOemName());
}

int RunMap(const Invocation& run, Response& out)
{
    return ShowExplained(run, out,
                         run.library->GetMappedFileName(run.Arg(0), run.Arg(1), run.Arg(2)),
                         ShowString, ExplainMap);
}

int RunUnmap(const Invocation& run, Response& out)
{
    return ShowExplained(run, out, run.library->GetUnmappedFileName(run.Arg(0)), ShowUnmapped,
                         ExplainUnmap);
}

int RunFile(const Invocation& run, Response& out)
{
    return ShowExplained(run, out,
                         run.library->GetComponentFilePath(run.Arg(0), run.Arg(1), run.Arg(2)),
                         ShowString, ExplainFile);
}

int RunFind(const Invocation& run, Response& out)
{
    return ShowExplained(run, out, run.library->FindInstalledFile(run.Arg(0)), ShowFound,
                         ExplainFind);
}

int RunIsInstalled(const Invocation& run, Response& out)
{
    return ShowExplained(run, out, run.library->IsInstalledFile(run.Arg(0)), ShowBool,
                         ExplainIsInstalled);
}

int RunComponentPath(const Invocation& run, Response& out)
{
    return ShowString(out, run,
                      run.library->GetComponentPath(run.Arg(0), run.Arg(1)));
}

int RunProductsOf(const Invocation& run, Response& out)
{
    const StringAnswer answer = run.library->GetComponentProducts(run.Arg(0), run.args.ids);
    const int code = ShowString(out, run, answer);
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
    SetExportFields(out, run, id);
    out.json.Set(L"answer", JsonValue::Number(id));
    out.Line(std::to_wstring(id));
    return ExitFor(id);
}

int RunComponentInstalled(const Invocation& run, Response& out)
{
    return ShowBool(out, run, run.library->IsComponentInstalled(run.Arg(0)));
}

int RunProductInstalled(const Invocation& run, Response& out)
{
    return ShowBool(out, run, run.library->IsProductInstalled(run.Arg(0)));
}

int RunSingleProduct(const Invocation& run, Response& out)
{
    return ShowBool(out, run, run.library->IsSingleProductComponent(run.Arg(0)));
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
        set.Set(L"export", JsonValue::String(ExportName(TNI_ORD_SetLanguage)));
        set.Set(L"ordinal", JsonValue::Number(TNI_ORD_SetLanguage));
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
    SetExportFields(out, run, language);
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
    SetExportFields(out, run, int(mask));
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
