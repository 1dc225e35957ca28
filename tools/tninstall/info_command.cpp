// info: one screen about the installation. Every answer comes from an export
// called by ordinal; only the lists of install.ini (installed products,
// components and language groups), which no export gives, are read through
// the local-install registry of the linked core.
#include "commands.h"
#include "config/string_list.h"
#include "config/text_utils.h"
#include "install/local_install.h"
#include "windows_names.h"

namespace tnt {

using tn::StringList;
namespace {

// Width of the label column and of the name column of the lists.
constexpr size_t kLabelWidth = 20;
constexpr size_t kNameWidth = 20;

std::wstring Padded(const std::wstring& text, size_t width)
{
    return text.size() < width ? text + std::wstring(width - text.size(), L' ') : text + L" ";
}

std::wstring OrNone(const StringAnswer& answer)
{
    return answer.result ? answer.text : std::wstring(L"(not set)");
}

struct InstalledLists {
    StringList products;
    StringList components;
    StringList languageGroups;
};

InstalledLists ReadInstalledLists()
{
    InstalledLists lists;
    tn::LocalInstallPtr install;
    if (!install)
        return lists;
    tn::SplitList(install->GetProductList(), lists.products, L',', false);
    tn::SplitList(install->GetComposeList(), lists.components, L',', false);
    tn::SplitList(install->GetLangGroup(), lists.languageGroups, L',', false);
    return lists;
}

}  // namespace

int RunInfo(const Invocation& run, Response& out)
{
    const TnLibrary& lib = *run.library;
    const StringAnswer installPath = lib.GetInstallPath(nullptr);
    const StringAnswer backupPath = lib.GetBackupPath();
    const StringAnswer oemName = lib.GetOemName();
    int isNt = 0;
    const DWORD windowsClass = lib.GetOsVersionType(&isNt);
    const LANGID language = lib.GetLanguage();
    const bool fileMap = lib.GetFileMapEnabled() != 0;
    const InstalledLists lists = ReadInstalledLists();

    JsonValue& json = out.json;
    json.Set(L"command", JsonValue::String(L"info"));
    json.Set(L"installPath", JsonValue::String(installPath.text));
    json.Set(L"backupPath", JsonValue::String(backupPath.text));
    json.Set(L"oemName", JsonValue::String(oemName.text));
    JsonValue& os = json.Set(L"windowsClass", JsonValue::Object());
    os.Set(L"answer", JsonValue::Number(windowsClass));
    os.Set(L"hex", JsonValue::String(Hex(windowsClass)));
    JsonValue& names = os.Set(L"names", JsonValue::Array());
    for (const std::wstring& name : WindowsClassNames(windowsClass))
        names.Add(JsonValue::String(name));
    os.Set(L"isNt", JsonValue::Bool(isNt != 0));
    JsonValue& lang = json.Set(L"language", JsonValue::Object());
    lang.Set(L"answer", JsonValue::Number(language));
    lang.Set(L"hex", JsonValue::String(LanguageHex(language)));
    lang.Set(L"name", JsonValue::String(LanguageName(language)));
    json.Set(L"fileMap", JsonValue::Bool(fileMap));

    out.Line(Padded(L"Install directory", kLabelWidth) + OrNone(installPath));
    out.Line(Padded(L"Backup directory", kLabelWidth) + OrNone(backupPath));
    out.Line(Padded(L"OEM name", kLabelWidth) + OrNone(oemName));
    out.Line(Padded(L"Windows class", kLabelWidth) + DescribeWindowsClass(windowsClass));
    out.Line(Padded(L"Language", kLabelWidth) + LanguageHex(language) + L" " +
             LanguageName(language));

    JsonValue& groups = json.Set(L"languageGroups", JsonValue::Array());
    std::wstring groupText;
    for (const std::wstring& group : lists.languageGroups) {
        // A group names its language by its last four characters.
        const std::wstring code = group.size() > 4 ? group.substr(group.size() - 4) : group;
        const LANGID id = LANGID(tn::ParseHex(code.c_str()));
        JsonValue& item = groups.Add(JsonValue::Object());
        item.Set(L"group", JsonValue::String(group));
        item.Set(L"name", JsonValue::String(LanguageName(id)));
        groupText += (groupText.empty() ? L"" : L", ") + group + L" " + LanguageName(id);
    }
    out.Line(Padded(L"Language groups", kLabelWidth) + (groupText.empty() ? L"(none)" : groupText));
    out.Line(Padded(L"File map", kLabelWidth) + (fileMap ? L"on" : L"off (--no-filemap)"));

    JsonValue& products = json.Set(L"products", JsonValue::Array());
    out.Line(L"");
    out.Line(L"Installed products (" + std::to_wstring(lists.products.Count()) + L")");
    for (const std::wstring& name : lists.products) {
        const int id = lib.GetProductId(name.c_str());
        JsonValue& item = products.Add(JsonValue::Object());
        item.Set(L"name", JsonValue::String(name));
        item.Set(L"productId", JsonValue::Number(id));
        out.Line(L"  " + Padded(name, kNameWidth) + L"ProductID " + std::to_wstring(id));
    }

    JsonValue& components = json.Set(L"components", JsonValue::Array());
    out.Line(L"");
    out.Line(L"Installed components (" + std::to_wstring(lists.components.Count()) + L")");
    for (const std::wstring& name : lists.components) {
        const StringAnswer dir = lib.GetComponentPath(name.c_str(), nullptr);
        JsonValue& item = components.Add(JsonValue::Object());
        item.Set(L"name", JsonValue::String(name));
        item.Set(L"path", JsonValue::String(dir.text));
        out.Line(L"  " + Padded(name, kNameWidth) +
                 (dir.result ? dir.text : std::wstring(L"(description file not loaded)")));
    }
    return installPath.result ? kExitAnswered : kExitEmpty;
}

}  // namespace tnt
