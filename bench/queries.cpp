#include "queries.h"

#include "counters.h"

namespace bench {
namespace {

// Buffer sizes the benchmark hands the exports: a path, a component name,
// and a product list of 30 names with room to spare.
constexpr DWORD kPathChars = 1024;
constexpr DWORD kComponentChars = 512;
constexpr DWORD kListChars = 4096;

Answer Text(int result, const wchar_t* text) { return Answer{result, result ? text : L"", L""}; }

Answer Expect(const std::wstring& text) { return Answer{text.empty() ? 0 : 1, text, L""}; }

Answer Expect(const Located& located)
{
    return located.path.empty() ? Answer{} : Answer{1, located.path, located.component};
}

Answer Number(int value) { return Answer{value, L"", L""}; }

Answer Find(const Api& api, const std::wstring& file)
{
    wchar_t path[kPathChars] = {};
    wchar_t component[kComponentChars] = {};
    const int result =
        Measured([&] { return api.FindInstalledFile(path, kPathChars, file.c_str(), component); });
    return result ? Answer{result, path, component} : Answer{};
}

}  // namespace

std::wstring Answer::Describe() const
{
    std::wstring text = L"result " + std::to_wstring(result);
    if (!this->text.empty())
        text += L" \"" + this->text + L"\"";
    if (!component.empty())
        text += L" component \"" + component + L"\"";
    return text;
}

std::vector<QueryCase> MakeQueryCases(const Installation& inst, const Environment& env,
                                      const Oracle& oracle, const ProfileQueries& profile)
{
    const Targets& t = inst.targets;
    const std::wstring installIni = env.installDir + L"Install\\install.ini";
    auto composeIni = [&](const std::wstring& c) {
        return env.installDir + L"Install\\Compose\\" + c + L".ini";
    };
    auto productIni = [&](const std::wstring& p) {
        return env.installDir + L"Install\\Product\\" + p + L".ini";
    };
    // The floor of a search: install.ini, then every component up to and
    // including the one that holds the file.
    auto searchFloor = [&](const std::wstring& file, const std::wstring& holder) {
        std::vector<FloorFile> files{{installIni, L"ComposeList"}};
        for (const Component& c : inst.components) {
            files.push_back({composeIni(c.name), file});
            if (SameName(c.name, holder))
                return files;
        }
        files.push_back({composeIni(kBuiltInComponent), file});
        return files;
    };
    auto productsFloor = [&]() {
        std::vector<FloorFile> files{{installIni, L"ProductList"}};
        for (const Product& p : inst.products)
            files.push_back({productIni(p.name), L"All"});
        return files;
    };

    std::vector<QueryCase> cases;
    {
        QueryCase q;
        q.name = "FindInstalledFile (first component)";
        q.multiFile = true;
        q.switches = {false, true};
        q.floorFiles = searchFloor(t.firstComponentFile, inst.components.front().name);
        const std::wstring file = t.firstComponentFile;
        q.ask = [file](const Api& api) { return Find(api, file); };
        q.profile = [&profile, file](bool on) { return Expect(profile.FindInstalledFile(on, file)); };
        q.expected = [&oracle, file](bool on) { return Expect(oracle.Locate(on, file)); };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "FindInstalledFile (TNol, full search)";
        q.multiFile = true;
        q.switches = {false, true};
        q.floorFiles = searchFloor(t.tnolFile, kBuiltInComponent);
        const std::wstring file = t.tnolFile;
        q.ask = [file](const Api& api) { return Find(api, file); };
        q.profile = [&profile, file](bool on) { return Expect(profile.FindInstalledFile(on, file)); };
        q.expected = [&oracle, file](bool on) { return Expect(oracle.Locate(on, file)); };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "FindInstalledFile (stored name, reverse map)";
        q.multiFile = false;
        q.switches = {true};
        const std::wstring file = t.mappedName;
        const std::wstring owner = oracle.UnmapOwner(true, file);
        q.floorFiles = {{composeIni(owner), file}};
        q.ask = [file](const Api& api) { return Find(api, file); };
        q.profile = [&profile, file](bool on) { return Expect(profile.FindInstalledFile(on, file)); };
        q.expected = [&oracle, file](bool on) { return Expect(oracle.Locate(on, file)); };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "GetComponentFilePath";
        q.switches = {false, true};
        const std::wstring component = t.filePathComponent, file = t.filePathFile,
                           filter = t.filePathFilter;
        q.floorFiles = {{composeIni(component), file}};
        q.ask = [component, file, filter](const Api& api) {
            wchar_t path[kPathChars] = {};
            return Text(Measured([&] {
                            return api.GetComponentFilePath(path, kPathChars, component.c_str(),
                                                            file.c_str(), filter.c_str());
                        }),
                        path);
        };
        q.profile = [&profile, component, file, filter](bool on) {
            return Expect(profile.ComponentFilePath(on, component, file, &filter));
        };
        q.expected = [&oracle, component, file, filter](bool on) {
            return Expect(oracle.ComponentFile(on, component, file, &filter));
        };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "IsInstalledFile (last component)";
        q.multiFile = true;
        q.switches = {false, true};
        q.floorFiles = searchFloor(t.lastComponentFile, inst.components.back().name);
        // The path the installation keeps the file at (the same with the
        // switch off and on: the file has no map entry).
        const std::wstring path = oracle.Locate(false, t.lastComponentFile).path;
        q.ask = [path](const Api& api) { return Number(Measured([&] { return api.IsInstalledFile(path.c_str()); })); };
        q.profile = [&profile, path](bool on) { return Number(profile.IsInstalledFile(on, path)); };
        q.expected = [&oracle, path](bool on) { return Number(oracle.IsInstalledFile(on, path)); };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "GetComponentPath";
        q.switches = {false};
        const std::wstring component = t.pathComponent, suffix = t.pathSuffix;
        q.floorFiles = {{composeIni(component), L"Path"}};
        q.ask = [component, suffix](const Api& api) {
            wchar_t path[kPathChars] = {};
            return Text(Measured([&] {
                            return api.GetComponentPath(path, kPathChars, component.c_str(),
                                                        suffix.c_str());
                        }),
                        path);
        };
        q.profile = [&profile, component, suffix](bool) {
            return Expect(profile.ComponentPath(component, suffix));
        };
        q.expected = [&oracle, component, suffix](bool) {
            return Expect(oracle.ComponentPath(component, suffix));
        };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "GetComponentProducts";
        q.multiFile = true;
        q.switches = {false};
        q.floorFiles = productsFloor();
        const std::wstring component = t.sharedComponent;
        q.ask = [component](const Api& api) {
            wchar_t list[kListChars] = {};
            return Text(Measured([&] {
                            return api.GetComponentProducts(list, kListChars, component.c_str(), 0);
                        }),
                        list);
        };
        q.profile = [&profile, component](bool) {
            return Expect(profile.ComponentProducts(component, false));
        };
        q.expected = [&oracle, component](bool) {
            return Expect(oracle.ComponentProducts(component, false));
        };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "IsSingleProductComponent";
        q.multiFile = true;
        q.switches = {false};
        q.floorFiles = productsFloor();
        const std::wstring component = t.sharedComponent;
        q.ask = [component](const Api& api) {
            return Number(Measured([&] { return api.IsSingleProductComponent(component.c_str()); }));
        };
        q.profile = [&profile, component](bool) {
            return Number(profile.IsSingleProductComponent(component));
        };
        q.expected = [&oracle, component](bool) {
            return Number(oracle.IsSingleProductComponent(component));
        };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "IsComponentInstalled";
        q.switches = {false};
        q.floorFiles = {{installIni, L"ComposeList"}};
        const std::wstring component = t.installedComponent;
        q.ask = [component](const Api& api) {
            return Number(Measured([&] { return api.IsComponentInstalled(component.c_str()); }));
        };
        q.profile = [&profile, component](bool) {
            return Number(profile.IsComponentInstalled(component));
        };
        q.expected = [&oracle, component](bool) {
            return Number(oracle.IsComponentInstalled(component));
        };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "GetProductId";
        q.switches = {false};
        const std::wstring product = t.product;
        q.floorFiles = {{productIni(product), L"ProductID"}};
        q.ask = [product](const Api& api) {
            return Number(Measured([&] { return api.GetProductId(product.c_str()); }));
        };
        q.profile = [&profile, product](bool) { return Number(profile.ProductId(product)); };
        q.expected = [&oracle, product](bool) { return Number(oracle.ProductId(product)); };
        cases.push_back(std::move(q));
    }
    {
        QueryCase q;
        q.name = "GetLanguage";
        q.switches = {false};
        q.floorFiles = {{installIni, L"LangGroup"}};
        q.floorReadsLanguage = true;
        q.ask = [](const Api& api) { return Number(Measured([&] { return int(api.GetLanguage()); })); };
        q.profile = [&profile](bool) { return Number(int(profile.Language())); };
        q.expected = [&oracle](bool) { return Number(int(oracle.Language())); };
        cases.push_back(std::move(q));
    }
    return cases;
}

}  // namespace bench
