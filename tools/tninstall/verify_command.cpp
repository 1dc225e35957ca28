// verify: the installation doctor. Loads every installed product the way a
// caller that wants the component files does (flags bit 0), then loads each
// component's description file on its own so that one broken component does
// not hide the next, and names each problem with its component and reason.
#include <memory>
#include <vector>

#include "commands.h"
#include "config/component.h"
#include "config/component_walk.h"
#include "config/file_record.h"
#include "config/ini_reader.h"
#include "config/text_utils.h"
#include "install/layout.h"
#include "install/local_install.h"
#include "install/product.h"
#include "stdout_redirect.h"
#include "windows_names.h"

namespace tnt {

using tn::StringList;
namespace {

// Components of this catalog Type have a description file of their own.
constexpr int kTypeWithDescriptionFile = 1;
// Width of the name column.
constexpr size_t kNameWidth = 18;

struct Problem {
    std::wstring product;    // set for a product's own problem
    std::wstring component;  // set for a component's problem
    std::wstring kind;       // a stable word for scripts
    std::wstring reason;     // the same in words
    std::wstring file;       // the description file concerned, when one is
};

struct Skipped {
    std::wstring component;
    std::wstring product;
    uint32_t supportOs;
};

struct ProductReport {
    std::wstring name;
    int result = 0;  // LoadByName with the component files
    std::vector<std::wstring> components;
};


bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class Doctor {
public:
    void CheckProduct(const std::wstring& name);
    void CheckComponent(const std::wstring& name, const std::wstring& file);
    void CheckCoverage(const StringList& installed);

    std::vector<ProductReport> products;
    std::vector<Skipped> skipped;
    StringList checked;
    StringList orphans;  // installed, but in no installed product
    std::vector<Problem> problems;

private:
    void Add(Problem problem) { problems.push_back(std::move(problem)); }
    void Diagnose(const std::wstring& component, const std::wstring& file, int code);
    void WalkSections(const std::wstring& component, const std::wstring& file);

    StringList covered_;  // every component an installed product lists
    StringList broken_;   // components whose description file failed
};

void Doctor::CheckProduct(const std::wstring& name)
{
    ProductReport report;
    report.name = name;
    {
        // The parser's complaints are reported below, in words.
        StdoutRedirect quiet(StdoutRedirect::kToNowhere);
        tn::CProduct full;
        report.result = full.LoadByName(name.c_str(), tn::kProductLoadComponentFiles);
    }

    tn::CProduct listed;
    const int rc = listed.LoadByName(name.c_str(), 0);
    const std::wstring productFile = tn::GetProductFilePath(name.c_str());
    if (rc == tn::kProductFileNotLoaded) {
        Add({name, L"", L"product-file",
             FileExists(productFile) ? L"product description file is empty or unreadable"
                                     : L"product description file is missing",
             productFile});
        products.push_back(report);
        return;
    }
    if (rc == tn::kProductNoComponents) {
        Add({name, L"", L"no-components", L"[HaveCompose] All is missing or empty", productFile});
        products.push_back(report);
        return;
    }

    StringList all;
    listed.ExpandComponentList(listed.Ini.GetString(L"HaveCompose", L"All"), all);
    for (const std::wstring& component : all) {
        tn::AddUnique(covered_, component.c_str());
        if (tn::FindComponent(listed.Components, component.c_str()))
            continue;
        // Left out of the product on this Windows: say so, check nothing.
        tn::CComponent keys(tn::GetComposeFilePath(component.c_str()).c_str());
        listed.ReadComponentKeys(&keys);
        skipped.push_back({component, name, keys.SupportOS});
    }

    bool failed = false;
    for (const auto& component : listed.Components) {
        report.components.push_back(component->Name);
        if (component->Type != kTypeWithDescriptionFile)
            continue;
        CheckComponent(component->Name, component->FilePath);
        failed = failed || tn::ListContains(broken_, component->Name.c_str());
    }
    if (report.result != tn::kProductLoaded && !failed)
        Add({name, L"", L"product-load",
             L"does not load with its component files (code " + std::to_wstring(report.result) +
                 L")",
             productFile});
    products.push_back(report);
}

void Doctor::CheckComponent(const std::wstring& name, const std::wstring& file)
{
    if (!tn::AddUnique(checked, name.c_str()))
        return;
    int code;
    {
        StdoutRedirect quiet(StdoutRedirect::kToNowhere);
        tn::CComponent component(file.c_str());
        code = component.Load();
    }
    if (code == tn::kComponentLoaded)
        return;
    broken_.Append(name);
    Diagnose(name, file, code);
}

void Doctor::Diagnose(const std::wstring& component, const std::wstring& file, int code)
{
    const size_t before = problems.size();
    switch (code) {
    case tn::kComponentFileNotLoaded:
        Add({L"", component, L"file-missing",
             FileExists(file) ? L"description file is empty or unreadable"
                              : L"description file is missing",
             file});
        break;
    case tn::kComponentNoHaveSection:
        Add({L"", component, L"no-have-section", L"description file has no [HaveSection]", file});
        break;
    case tn::kComponentEmptyHaveSection:
        Add({L"", component, L"empty-have-section", L"[HaveSection] is empty", file});
        break;
    default:
        WalkSections(component, file);
        break;
    }
    if (problems.size() == before)
        Add({L"", component, L"load-failed",
             L"description file does not load (code " + std::to_wstring(code) + L")", file});
}

// Walks the record sections as the loader does, but on past the first
// problem, so every one of them is named.
void Doctor::WalkSections(const std::wstring& component, const std::wstring& file)
{
    tn::CIniReader ini;
    if (!ini.Load(file.c_str()))
        return;
    std::vector<std::pair<std::wstring, std::wstring>> files;  // record name, section
    auto record = std::make_unique<tn::FileRecord>();
    std::wstring sectionName;
    auto onSection = [&](const wchar_t* name, size_t length, const tn::CIniSection* section) {
        sectionName.assign(name, length);
        if (!section)
            Add({L"", component, L"section-missing",
                 L"section [" + sectionName + L"], listed in [HaveSection], is missing", file});
        return tn::SectionTurn::kReadRecords;
    };
    auto onRecord = [&](const tn::CIniSection&, const tn::CIniEntry& line) {
        *record = tn::FileRecord{};
        int count = 0;
        if (!tn::ParseFileRecord(&line, record.get(), &count))
            Add({L"", component, L"short-record",
                 L"record line [" + sectionName + L"] " + line.GetKey() + L"=" + line.GetValue() +
                     L" has " + std::to_wstring(count) + L" items, " +
                     std::to_wstring(tn::kRecordItemsRequired) + L" needed",
                 file});
        const std::wstring name = record->Name;
        for (const auto& held : files)
            if (tn::EqualsNoCase(held.first, name)) {
                Add({L"", component, L"duplicate-file",
                     L"file " + name + L" is listed twice, in [" + held.second + L"] and in [" +
                         sectionName + L"]",
                     file});
                return true;
            }
        files.emplace_back(name, sectionName);
        return true;
    };
    tn::RecordWalk walk;
    walk.missing = tn::MissingSections::kSkip;
    auto visitor = tn::MakeRecordVisitor(onSection, onRecord);
    StdoutRedirect quiet(StdoutRedirect::kToNowhere);  // short records are named above
    tn::WalkComponentRecords(ini, walk, visitor);
}

void Doctor::CheckCoverage(const StringList& installed)
{
    for (const std::wstring& component : installed) {
        if (tn::ListContains(covered_, component.c_str()))
            continue;
        // A leftover or a component kept for [OldFile_Map] moves: worth a
        // note, not a fault. Lookups still search it, so its description
        // file is checked as well.
        orphans.Append(component);
        CheckComponent(component, tn::GetComposeFilePath(component.c_str()));
    }
}

JsonValue ProblemJson(const Problem& problem)
{
    JsonValue item = JsonValue::Object();
    if (!problem.product.empty())
        item.Set(L"product", JsonValue::String(problem.product));
    if (!problem.component.empty())
        item.Set(L"component", JsonValue::String(problem.component));
    item.Set(L"kind", JsonValue::String(problem.kind));
    item.Set(L"reason", JsonValue::String(problem.reason));
    if (!problem.file.empty())
        item.Set(L"file", JsonValue::String(problem.file));
    return item;
}

std::wstring ProblemText(const Problem& problem)
{
    std::wstring text = problem.product.empty() ? L"component " + problem.component
                                                : L"product " + problem.product;
    text += L": " + problem.reason;
    if (!problem.file.empty())
        text += L" (" + problem.file + L")";
    return text;
}

std::wstring Padded(const std::wstring& text)
{
    return text.size() < kNameWidth ? text + std::wstring(kNameWidth - text.size(), L' ')
                                    : text + L" ";
}

}  // namespace

int RunVerify(const Invocation&, Response& out)
{
    Doctor doctor;
    const std::wstring installDir = tn::GetInstallDir();
    StringList products, components;
    if (installDir.empty()) {
        doctor.problems.push_back({L"", L"", L"no-install-path",
                                   L"the install directory is not set (InstallPath)", L""});
    } else {
        tn::LocalInstallPtr install;
        if (install) {
            tn::SplitList(install->GetProductList(), products, L',', false);
            tn::SplitList(install->GetComposeList(), components, L',', false);
        }
        for (const std::wstring& product : products)
            doctor.CheckProduct(product);
        doctor.CheckCoverage(components);
    }

    JsonValue& json = out.json;
    json.Set(L"command", JsonValue::String(L"verify"));
    json.Set(L"clean", JsonValue::Bool(doctor.problems.empty()));
    json.Set(L"installPath", JsonValue::String(installDir));
    JsonValue& productList = json.Set(L"products", JsonValue::Array());
    out.Line(L"Installation " + (installDir.empty() ? std::wstring(L"(not set)") : installDir) +
             L": " + std::to_wstring(products.Count()) + L" installed products, " +
             std::to_wstring(components.Count()) + L" installed components");
    for (const ProductReport& product : doctor.products) {
        JsonValue& item = productList.Add(JsonValue::Object());
        item.Set(L"name", JsonValue::String(product.name));
        item.Set(L"result", JsonValue::Number(product.result));
        JsonValue& names = item.Set(L"components", JsonValue::Array());
        std::wstring list;
        for (const std::wstring& name : product.components) {
            names.Add(JsonValue::String(name));
            list += (list.empty() ? L"" : L", ") + name;
        }
        out.Line(L"  " + Padded(product.name) +
                 (product.result == 0 ? L"loads: " : L"load stops (code " +
                                                          std::to_wstring(product.result) + L"): ") +
                 list);
    }
    JsonValue& checked = json.Set(L"checked", JsonValue::Array());
    for (const std::wstring& name : doctor.checked)
        checked.Add(JsonValue::String(name));
    JsonValue& skipped = json.Set(L"skipped", JsonValue::Array());
    for (const Skipped& skip : doctor.skipped) {
        JsonValue& item = skipped.Add(JsonValue::Object());
        item.Set(L"component", JsonValue::String(skip.component));
        item.Set(L"product", JsonValue::String(skip.product));
        item.Set(L"supportOS", JsonValue::String(Hex(skip.supportOs)));
        out.Line(L"  " + Padded(skip.component) + L"not for this Windows in " + skip.product +
                 L" (SupportOS " + Hex(skip.supportOs) + L"), not checked there");
    }
    JsonValue& orphans = json.Set(L"notInAnyProduct", JsonValue::Array());
    std::wstring orphanText;
    for (const std::wstring& name : doctor.orphans) {
        orphans.Add(JsonValue::String(name));
        orphanText += (orphanText.empty() ? L"" : L", ") + name;
    }
    if (!orphanText.empty())
        out.Line(L"Installed, but in no installed product: " + orphanText);
    out.Line(std::to_wstring(doctor.checked.Count()) + L" description files checked");

    JsonValue& problems = json.Set(L"problems", JsonValue::Array());
    for (const Problem& problem : doctor.problems)
        problems.Add(ProblemJson(problem));
    if (doctor.problems.empty()) {
        out.Line(L"No problems found.");
        return kExitAnswered;
    }
    out.Line(std::to_wstring(doctor.problems.size()) +
             (doctor.problems.size() == 1 ? L" problem:" : L" problems:"));
    for (const Problem& problem : doctor.problems)
        out.Line(L"  " + ProblemText(problem));
    return kExitEmpty;
}

}  // namespace tnt
