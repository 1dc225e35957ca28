#include "oracle.h"

#include <windows.h>

#include "catalog_expansion.h"

namespace bench {
namespace {

bool StartsWithName(const std::wstring& text, const wchar_t* prefix)
{
    const std::wstring p(prefix);
    return text.size() >= p.size() && SameName(text.substr(0, p.size()), p);
}

void EnsureBackslash(std::wstring& dir)
{
    if (dir.empty() || dir.back() != L'\\')
        dir += L'\\';
}

bool IsMacro(const std::wstring& text) { return !text.empty() && text[0] == L'$'; }

}  // namespace

std::wstring Environment::Expand(const std::wstring& text) const
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = ExpandEnvironmentStringsW(text.c_str(), buffer, MAX_PATH);
    return (n == 0 || n > MAX_PATH) ? std::wstring() : std::wstring(buffer);
}

Environment Environment::Current(const std::wstring& installDir)
{
    Environment env;
    env.installDir = installDir;
    wchar_t buffer[MAX_PATH] = {};
    GetSystemDirectoryW(buffer, MAX_PATH);
    env.systemDir = buffer;
    GetWindowsDirectoryW(buffer, MAX_PATH);
    env.windowsDir = buffer;
    return env;
}

std::wstring Oracle::MapName(bool mapOn, const std::wstring& owner, const std::wstring& file,
                             const std::wstring& subKey) const
{
    if (!mapOn)
        return file;
    const std::wstring sub = IsMacro(subKey) ? std::wstring() : subKey;
    for (const MapEntry& e : inst_.fileMap)
        if (SameName(e.owner, owner) && SameName(e.sub, sub) && SameName(e.file, file))
            return e.mapped;
    return file;
}

std::wstring Oracle::UnmapOwner(bool mapOn, const std::wstring& mappedName) const
{
    if (!mapOn)
        return std::wstring();
    for (const MapEntry& e : inst_.fileMap)
        if (SameName(e.mapped, mappedName))
            return e.owner;
    return std::wstring();
}

std::wstring ResolveDestination(const Environment& env, const std::wstring& componentPath,
                                const std::wstring& d,
                                const std::function<std::wstring(const std::wstring&)>& mapName)
{
    std::wstring dir;
    if (!d.empty() && d[0] == L'%') {
        dir = env.Expand(d);
    } else if (IsMacro(d)) {
        size_t prefix = 9;
        if (StartsWithName(d, L"$SYSTEM32")) {
            dir = env.systemDir;  // the resolved records carry no 64-bit bits
        } else if (StartsWithName(d, L"$WINDOWS")) {
            dir = env.windowsDir;
            prefix = 8;
        }
        if (d.size() > prefix)
            dir += d.substr(prefix);
    } else {
        std::wstring path = componentPath;
        while (!path.empty() && (path.back() == L' ' || path.back() == L'\t'))
            path.pop_back();
        dir = env.installDir + path;
        EnsureBackslash(dir);
        if (!d.empty()) {
            dir += d;
            EnsureBackslash(dir);
        }
        return dir + mapName(d);
    }
    EnsureBackslash(dir);
    return dir + mapName(std::wstring());
}

std::wstring Oracle::ResolvePath(bool mapOn, const Component& c, const Record& r) const
{
    return ResolveDestination(env_, c.path, r.dest, [&](const std::wstring& sub) {
        return MapName(mapOn, c.name, r.name, sub);
    });
}

std::wstring Oracle::ComponentFile(bool mapOn, const std::wstring& component,
                                   const std::wstring& file, const std::wstring* filter) const
{
    return ComponentFileFrom(mapOn, component, file, filter, L",");
}

// `visited` holds the components of this lookup as ",a,b,": a redirection
// back to one of them ends in the default path.
std::wstring Oracle::ComponentFileFrom(bool mapOn, const std::wstring& component,
                                       const std::wstring& file, const std::wstring* filter,
                                       std::wstring visited) const
{
    const Component* c = inst_.FindComponent(component);
    if (!c)
        return std::wstring();
    for (const std::wstring& listed : c->listed) {
        const Section* s = c->FindSection(listed);
        if (!s)
            continue;
        for (const Record& r : s->records)
            if (SameName(r.name, file) && (!filter || SameName(r.dest, *filter)))
                return ResolvePath(mapOn, *c, r);
    }
    std::wstring moved;
    for (const KeyValue& kv : c->oldFileMap)
        if (moved.empty() && SameName(kv.first, file))
            moved = kv.second;
    visited += c->name + L",";
    std::wstring foldedVisited, foldedMoved = L"," + moved + L",";
    for (wchar_t ch : visited)
        foldedVisited += (ch >= L'A' && ch <= L'Z') ? wchar_t(ch + 32) : ch;
    for (wchar_t& ch : foldedMoved)
        ch = (ch >= L'A' && ch <= L'Z') ? wchar_t(ch + 32) : ch;
    if (moved.empty() || foldedVisited.find(foldedMoved) != std::wstring::npos)
        return env_.installDir + c->path + L"\\" + MapName(mapOn, c->name, file, std::wstring());
    return ComponentFileFrom(mapOn, moved, file, filter, visited);
}

Located Oracle::Search(bool mapOn, const std::wstring& file) const
{
    std::vector<const Component*> order;
    for (const Component& c : inst_.components)
        order.push_back(&c);
    order.push_back(&inst_.tnol);
    for (const Component* c : order) {
        for (const std::wstring& listed : c->listed) {
            const Section* s = c->FindSection(listed);
            if (!s)
                continue;
            for (const Record& r : s->records)
                if (SameName(r.name, file))
                    return Located{ResolvePath(mapOn, *c, r), c->name};
        }
    }
    return Located{};
}

Located Oracle::Locate(bool mapOn, const std::wstring& file) const
{
    const std::wstring owner = UnmapOwner(mapOn, file);
    if (!owner.empty()) {
        const std::wstring path = ComponentFile(mapOn, owner, file, nullptr);
        if (!path.empty())
            return Located{path, owner};
    }
    return Search(mapOn, file);
}

bool Oracle::IsInstalledFile(bool mapOn, const std::wstring& path) const
{
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const Located located = Locate(mapOn, name);
    return !located.path.empty() && SameName(located.path, path);
}

std::wstring Oracle::ComponentPath(const std::wstring& component, const std::wstring& suffix) const
{
    const Component* c = inst_.FindComponent(component);
    if (!c)
        return std::wstring();
    std::wstring t = c->path;
    if (!t.empty())
        t += L"\\";
    return env_.installDir + t + suffix;
}

std::wstring Oracle::ComponentProducts(const std::wstring& component, bool byId) const
{
    std::wstring result;
    for (const Product& p : inst_.products) {
        if (!result.empty() && result.back() != L',')
            result += L",";
        if (!ProductContains(p, component))
            continue;
        const std::wstring item = byId ? std::to_wstring(p.productId) : p.name;
        bool present = false;
        for (const std::wstring& existing : SplitComma(result))
            present = present || SameName(existing, item);
        if (!present)
            result += item;
    }
    return result;
}

bool Oracle::IsSingleProductComponent(const std::wstring& component) const
{
    if (component.empty())
        return false;
    if (inst_.products.size() <= 1)
        return true;
    return SplitComma(ComponentProducts(component, false)).size() <= 1;
}

bool Oracle::IsComponentInstalled(const std::wstring& component) const
{
    for (const Component& c : inst_.components)
        if (SameName(c.name, component))
            return true;
    return false;
}

int Oracle::ProductId(const std::wstring& product) const
{
    const Product* p = inst_.FindProduct(product);
    return p ? p->productId : 0;
}

unsigned Oracle::Language() const
{
    const unsigned stored = inst_.storedLanguage ? inst_.storedLanguage
                                                 : GetUserDefaultUILanguage();
    const std::vector<std::wstring> items = SplitComma(inst_.langGroup);
    unsigned match = 0;
    for (const std::wstring& item : items) {
        const std::wstring tail = item.size() > 4 ? item.substr(item.size() - 4) : item;
        if (HexTail(tail) == stored && stored != 0) {
            match = stored;
            break;
        }
    }
    if (match == 0 && !items.empty()) {
        const std::wstring& item = items.front();
        match = HexTail(item.size() > 4 ? item.substr(item.size() - 4) : item);
    }
    return match != 0 ? match : stored;
}

}  // namespace bench
