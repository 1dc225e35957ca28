#include "catalog_expansion.h"

namespace bench {
namespace {

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name)
{
    for (const std::wstring& n : names)
        if (SameName(n, name))
            return true;
    return false;
}

void AddUnique(std::vector<std::wstring>& names, const std::wstring& name)
{
    if (!Contains(names, name))
        names.push_back(name);
}

void AddParents(const std::wstring& name, const Lookup& parentOf, std::vector<std::wstring>& names)
{
    std::wstring current = name;
    for (;;) {
        const std::wstring parent = parentOf(current);
        if (parent.empty() || parent == L"\"\"" || Contains(names, parent))
            return;
        names.push_back(parent);
        current = parent;
    }
}

// The bits one of which every NT-family Windows reports: the NT family bit,
// or one of the two values a 32-bit process on 64-bit Windows gets instead.
constexpr uint32_t kAnyNtClass = 0x2 | 0x400 | 0x2000000;

}  // namespace

std::vector<std::wstring> SplitComma(const std::wstring& text)
{
    std::vector<std::wstring> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos)
            comma = text.size();
        if (comma > start)
            items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

uint32_t HexTail(const std::wstring& text)
{
    const size_t end = text.size() < 8 ? text.size() : 8;
    size_t begin = end;
    auto isHex = [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    };
    while (begin > 0 && isHex(text[begin - 1]))
        --begin;
    uint32_t value = 0;
    for (size_t i = begin; i < end; ++i) {
        const wchar_t c = text[i];
        value = value * 16 + uint32_t(c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10);
    }
    return value;
}

std::vector<std::wstring> ExpandComponentList(const std::vector<std::wstring>& all,
                                              const Lookup& parentOf, const Lookup& resourceOf)
{
    std::vector<std::wstring> names;
    for (const std::wstring& item : all) {
        if (item.empty())
            continue;
        AddUnique(names, item);
        AddParents(item, parentOf, names);
        for (const std::wstring& resource : SplitComma(resourceOf(item))) {
            AddUnique(names, resource);
            AddParents(resource, parentOf, names);
        }
    }
    return names;
}

bool ProductContains(const Product& product, const std::wstring& component)
{
    auto parentOf = [&](const std::wstring& name) {
        const CatalogEntry* e = product.FindEntry(name);
        return e ? e->parent : std::wstring();
    };
    auto resourceOf = [&](const std::wstring& name) {
        const CatalogEntry* e = product.FindEntry(name);
        return e ? e->resource : std::wstring();
    };
    if (!Contains(ExpandComponentList(product.all, parentOf, resourceOf), component))
        return false;
    const CatalogEntry* e = product.FindEntry(component);
    const uint32_t mask = e ? HexTail(e->supportOS) : 0;
    return mask == 0 || (mask & kAnyNtClass) != 0;
}

}  // namespace bench
