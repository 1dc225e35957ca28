// The INI texts of a model installation, laid out as the suite's build tools
// write them: UTF-16 text (the writer adds the byte-order mark), CR LF line
// ends, an empty line after each section.
#include "model.h"

namespace bench {
namespace {

const wchar_t* const kLanguageCodes[] = {L"0804", L"0409", L"0411", L"0404", L"000A"};

class IniText {
public:
    void Section(const std::wstring& name) { text_ += L"[" + name + L"]\r\n"; }
    void Line(const std::wstring& key, const std::wstring& value)
    {
        text_ += key + L"=" + value + L"\r\n";
    }
    void End() { text_ += L"\r\n"; }
    std::wstring Take() { return std::move(text_); }

private:
    std::wstring text_;
};

std::wstring Title(int language, const std::wstring& name)
{
    switch (language) {
    case 0: return L"组件 " + name;
    case 1: return L"Component " + name;
    case 2: return L"コンポーネント " + name;
    case 3: return L"元件 " + name;
    default: return L"Componente " + name;
    }
}

std::wstring Detail(int language, const std::wstring& name)
{
    switch (language) {
    case 0: return L"天擎安全套件的一部分。||由安装程序维护。" + name;
    case 1: return L"Part of the Tessaron security suite.||Kept up to date by the updater (" + name + L").";
    case 2: return L"セキュリティスイートの一部です。||" + name;
    case 3: return L"安全套件的一部分。||" + name;
    default: return L"Parte del paquete de seguridad.||Actualizado por el programa (" + name + L").";
    }
}

}  // namespace

std::wstring ComponentText(const Component& c)
{
    IniText ini;
    ini.Section(L"Version");
    ini.Line(L"CurVersion", std::to_wstring(c.curVersion));
    ini.Line(L"Size", std::to_wstring(c.size));
    ini.Line(L"Path", c.path);
    ini.End();
    ini.Section(L"Info");
    for (int l = 0; l < 5; ++l)
        ini.Line(std::wstring(L"Title") + kLanguageCodes[l], Title(l, c.name));
    for (int l = 0; l < 5; ++l)
        ini.Line(std::wstring(L"Detail") + kLanguageCodes[l], Detail(l, c.name));
    ini.End();
    ini.Section(L"HaveSection");
    std::wstring list;
    for (const std::wstring& s : c.listed)
        list += (list.empty() ? L"" : L",") + s;
    ini.Line(c.name, list);
    for (const KeyValue& kv : c.otherHave)
        ini.Line(kv.first, kv.second);
    ini.End();
    for (const Section& s : c.sections) {
        ini.Section(s.name);
        for (const Record& r : s.records)
            ini.Line(r.name, r.Value());
        ini.End();
    }
    if (!c.options.empty()) {
        ini.Section(L"OptionPlugin");
        for (const KeyValue& kv : c.options)
            ini.Line(kv.first, kv.second);
        ini.End();
    }
    if (!c.oldFileMap.empty()) {
        ini.Section(L"OldFile_Map");
        for (const KeyValue& kv : c.oldFileMap)
            ini.Line(kv.first, kv.second);
        ini.End();
    }
    return ini.Take();
}

std::wstring ProductText(const Product& p)
{
    IniText ini;
    ini.Section(L"Version");
    ini.Line(L"ProductID", std::to_wstring(p.productId));
    ini.Line(L"Conflict", p.conflict);
    ini.End();
    ini.Section(L"HaveCompose");
    std::wstring all;
    for (const std::wstring& name : p.all)
        all += (all.empty() ? L"" : L",") + name;
    ini.Line(L"All", all);
    ini.End();
    for (const CatalogEntry& e : p.entries) {
        ini.Section(e.name);
        ini.Line(L"Type", std::to_wstring(e.type));
        ini.Line(L"Update", L"1");
        ini.Line(L"Base", e.type == 1 ? L"0" : L"1");
        ini.Line(L"Hide", L"0");
        ini.Line(L"LangGroup", std::to_wstring(e.langGroup));
        ini.Line(L"NewShow", L"1");
        ini.Line(L"MustUpdate", L"0");
        if (!e.supportOS.empty())
            ini.Line(L"SupportOS", e.supportOS);
        if (!e.parent.empty())
            ini.Line(L"Parent", e.parent);
        else if (e.quotedNoParent)
            ini.Line(L"Parent", L"\"\"");
        ini.Line(L"Depends", L"");
        if (!e.resource.empty())
            ini.Line(L"Resource", e.resource);
        for (int l = 0; l < 5; ++l)
            ini.Line(std::wstring(L"Title") + kLanguageCodes[l], Title(l, e.name));
        for (int l = 0; l < 5; ++l)
            ini.Line(std::wstring(L"Detail") + kLanguageCodes[l], Detail(l, e.name));
        ini.End();
    }
    return ini.Take();
}

std::wstring InstallIniText(const Installation& inst)
{
    IniText ini;
    std::wstring products, components;
    for (const Product& p : inst.products)
        products += (products.empty() ? L"" : L",") + p.name;
    for (const Component& c : inst.components)
        components += (components.empty() ? L"" : L",") + c.name;
    ini.Section(L"InstallProduct");
    ini.Line(L"ProductList", products);
    ini.End();
    ini.Section(L"InstallCompose");
    ini.Line(L"ComposeList", components);
    ini.Line(L"LangGroup", inst.langGroup);
    ini.End();
    ini.Section(L"Setup");
    ini.Line(L"InstallTime", L"2024-03-01 10:22:31");
    ini.Line(L"Channel", L"stable");
    ini.End();
    return ini.Take();
}

std::wstring UpdateIniText(const Installation& inst)
{
    IniText ini;
    std::wstring components;
    for (const Component& c : inst.components)
        components += (components.empty() ? L"" : L",") + c.name;
    ini.Section(L"Update");
    ini.Line(L"Composes", components);
    ini.Line(L"LastCheck", L"2024-03-02 08:00:00");
    ini.End();
    return ini.Take();
}

}  // namespace bench
