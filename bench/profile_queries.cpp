#include "profile_queries.h"

#include <windows.h>

#include "catalog_expansion.h"

namespace bench {
namespace {

// Values are read into this buffer; a ComposeList of 300 names fits.
constexpr DWORD kValueChars = 4096;
// What GetPrivateProfileStringW gives back for an absent key.
const wchar_t kAbsent[] = L"\x01";

bool InList(const std::vector<std::wstring>& list, const std::wstring& name)
{
    for (const std::wstring& item : list)
        if (SameName(item, name))
            return true;
    return false;
}

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// Item `index` (1-based) of a record value.
std::wstring RecordItem(const std::wstring& record, int index)
{
    size_t start = 0;
    for (int i = 1; i < index; ++i) {
        start = record.find(L',', start);
        if (start == std::wstring::npos)
            return std::wstring();
        ++start;
    }
    return record.substr(start, record.find(L',', start) - start);
}

unsigned CurrentWindowsClass()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 ? 0x400u : 0x2u;  // every NT-family Windows has one of these bits
}

}  // namespace

ProfileQueries::ProfileQueries(const Environment& env, const StoreClient& store)
    : env_(env), store_(store), installIni_(env.installDir + L"Install\\install.ini"),
      windowsClass_(CurrentWindowsClass())
{
}

std::wstring ProfileQueries::Read(const std::wstring& file, const std::wstring& section,
                                  const std::wstring& key, bool* found) const
{
    wchar_t value[kValueChars];
    GetPrivateProfileStringW(section.c_str(), key.c_str(), kAbsent, value, kValueChars,
                             file.c_str());
    const bool present = !(value[0] == kAbsent[0] && value[1] == L'\0');
    if (found)
        *found = present;
    return present ? std::wstring(value) : std::wstring();
}

std::wstring ProfileQueries::ComposeIni(const std::wstring& component) const
{
    return env_.installDir + L"Install\\Compose\\" + component + L".ini";
}

std::wstring ProfileQueries::ProductIni(const std::wstring& product) const
{
    return env_.installDir + L"Install\\Product\\" + product + L".ini";
}

std::wstring ProfileQueries::MapName(bool mapOn, const std::wstring& owner,
                                     const std::wstring& file, const std::wstring& subKey) const
{
    return mapOn ? store_.MapName(owner, file, subKey) : file;
}

std::wstring ProfileQueries::Resolve(bool mapOn, const std::wstring& component,
                                     const std::wstring& ini, const std::wstring& file,
                                     const std::wstring& record) const
{
    const std::wstring path = Read(ini, L"Version", L"Path");
    return ResolveDestination(env_, path, Trimmed(RecordItem(record, 2)),
                              [&](const std::wstring& sub) {
                                  return MapName(mapOn, component, file, sub);
                              });
}

std::wstring ProfileQueries::FileOf(bool mapOn, const std::wstring& component,
                                    const std::wstring& file, const std::wstring* filter,
                                    std::vector<std::wstring>& visited) const
{
    const std::wstring ini = ComposeIni(component);
    if (GetFileAttributesW(ini.c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::wstring();
    for (const std::wstring& section : SplitComma(Read(ini, L"HaveSection", component))) {
        bool found = false;
        const std::wstring record = Read(ini, section, file, &found);
        if (found && (!filter || SameName(Trimmed(RecordItem(record, 2)), *filter)))
            return Resolve(mapOn, component, ini, file, record);
    }
    visited.push_back(component);
    const std::wstring moved = Read(ini, L"OldFile_Map", file);
    if (moved.empty() || InList(visited, moved))
        return env_.installDir + Read(ini, L"Version", L"Path") + L"\\" +
               MapName(mapOn, component, file, std::wstring());
    return FileOf(mapOn, moved, file, filter, visited);
}

std::wstring ProfileQueries::ComponentFilePath(bool mapOn, const std::wstring& component,
                                               const std::wstring& file,
                                               const std::wstring* filter) const
{
    std::vector<std::wstring> visited;
    return FileOf(mapOn, component, file, filter, visited);
}

Located ProfileQueries::FindInstalledFile(bool mapOn, const std::wstring& file) const
{
    if (mapOn) {
        const std::wstring owner = store_.UnmapOwner(file);
        if (!owner.empty()) {
            const std::wstring path = ComponentFilePath(mapOn, owner, file, nullptr);
            if (!path.empty())
                return Located{path, owner};
        }
    }
    std::vector<std::wstring> components =
        SplitComma(Read(installIni_, L"InstallCompose", L"ComposeList"));
    components.push_back(kBuiltInComponent);
    for (const std::wstring& component : components) {
        const std::wstring ini = ComposeIni(component);
        for (const std::wstring& section : SplitComma(Read(ini, L"HaveSection", component))) {
            bool found = false;
            const std::wstring record = Read(ini, section, file, &found);
            if (found)
                return Located{Resolve(mapOn, component, ini, file, record), component};
        }
    }
    return Located{};
}

bool ProfileQueries::IsInstalledFile(bool mapOn, const std::wstring& path) const
{
    const size_t slash = path.find_last_of(L"\\/");
    const Located located =
        FindInstalledFile(mapOn, slash == std::wstring::npos ? path : path.substr(slash + 1));
    return !located.path.empty() && SameName(located.path, path);
}

std::wstring ProfileQueries::ComponentPath(const std::wstring& component,
                                           const std::wstring& suffix) const
{
    bool found = false;
    std::wstring path = Read(ComposeIni(component), L"Version", L"Path", &found);
    if (!found && GetFileAttributesW(ComposeIni(component).c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::wstring();
    if (!path.empty())
        path += L"\\";
    return env_.installDir + path + suffix;
}

// Walks the product's list along Parent and Resource and stops as soon as
// the component turns up; then checks its Windows classes.
bool ProfileQueries::ProductHolds(const std::wstring& ini, const std::wstring& component) const
{
    std::vector<std::wstring> seen;
    auto reaches = [&](const std::wstring& start) {
        std::wstring current = start;
        for (;;) {
            if (SameName(current, component))
                return true;
            if (InList(seen, current))
                return false;
            seen.push_back(current);
            current = Read(ini, current, L"Parent");
            if (current.empty())
                return false;
        }
    };
    bool held = false;
    for (const std::wstring& item : SplitComma(Read(ini, L"HaveCompose", L"All"))) {
        held = reaches(item);
        for (const std::wstring& resource : SplitComma(Read(ini, item, L"Resource")))
            held = held || reaches(resource);
        if (held)
            break;
    }
    if (!held)
        return false;
    const unsigned mask = HexTail(Read(ini, component, L"SupportOS"));
    return mask == 0 || (mask & windowsClass_) != 0;
}

std::wstring ProfileQueries::ComponentProducts(const std::wstring& component, bool byId) const
{
    std::wstring result;
    for (const std::wstring& product :
         SplitComma(Read(installIni_, L"InstallProduct", L"ProductList"))) {
        if (!result.empty() && result.back() != L',')
            result += L",";
        const std::wstring ini = ProductIni(product);
        if (!ProductHolds(ini, component))
            continue;
        const std::wstring item =
            byId ? std::to_wstring(GetPrivateProfileIntW(L"Version", L"ProductID", 0, ini.c_str()))
                 : product;
        if (!InList(SplitComma(result), item))
            result += item;
    }
    return result;
}

bool ProfileQueries::IsSingleProductComponent(const std::wstring& component) const
{
    if (component.empty())
        return false;
    if (SplitComma(Read(installIni_, L"InstallProduct", L"ProductList")).size() <= 1)
        return true;
    return SplitComma(ComponentProducts(component, false)).size() <= 1;
}

bool ProfileQueries::IsComponentInstalled(const std::wstring& component) const
{
    return InList(SplitComma(Read(installIni_, L"InstallCompose", L"ComposeList")), component);
}

int ProfileQueries::ProductId(const std::wstring& product) const
{
    return int(GetPrivateProfileIntW(L"Version", L"ProductID", 0, ProductIni(product).c_str()));
}

unsigned ProfileQueries::Language() const
{
    unsigned stored = store_.ReadLanguage();
    if (stored == 0)
        stored = GetUserDefaultUILanguage();
    const std::vector<std::wstring> items =
        SplitComma(Read(installIni_, L"InstallCompose", L"LangGroup"));
    for (const std::wstring& item : items)
        if (HexTail(item.size() > 4 ? item.substr(item.size() - 4) : item) == stored)
            return stored;
    if (!items.empty()) {
        const std::wstring& first = items.front();
        if (unsigned value = HexTail(first.size() > 4 ? first.substr(first.size() - 4) : first))
            return value;
    }
    return stored;
}

}  // namespace bench
