#include "install/queries.h"

#include "config/ini_reader.h"
#include "config/text_utils.h"
#include "install/layout.h"
#include "install/local_install.h"
#include "install/product.h"

namespace tn {
namespace {

// The [Version] keys the queries read from description files.
const wchar_t kVersionSection[] = L"Version";
const wchar_t kPathKey[] = L"Path";
const wchar_t kProductIdKey[] = L"ProductID";

// Running out of memory while install.ini is read ends the query, as any
// other allocation failure does, rather than answer as if no product or
// component were installed.
bool IsListed(const wchar_t* name, InstalledList which)
{
    if (!name)
        return false;
    return IsInList(ReadInstalledList(which).c_str(), name, L',');
}

}  // namespace

std::wstring GetComponentInstallDir(const wchar_t* component, const wchar_t* suffix)
{
    if (!component)
        return std::wstring();
    CIniReader ini;
    if (!ini.Load(GetComposeFilePath(component).c_str(), CIniKeyFilter{kPathKey}))
        return std::wstring();
    std::wstring tail = ini.GetString(kVersionSection, kPathKey);
    if (!tail.empty())
        tail += L'\\';  // also after a Path that ends in one
    if (suffix)
        tail += suffix;
    return GetInstallDir(tail.c_str());
}

namespace {

// ListComponentProducts over a product list already read from install.ini.
std::wstring ProductsHolding(const StringList& products, const wchar_t* component, int byId)
{
    std::wstring result;
    // The items of `result`: the same answer as IsInList on the text (items
    // never hold a comma) without splitting the text again per product.
    StringList listed;
    // One product object reads every file in turn, so its reader reuses its
    // storage.
    CProduct product;
    for (const std::wstring& name : products) {
        // Whether LoadByName(name, 0) would keep the component, without the
        // component objects; a product that does not load holds nothing.
        bool holds = false;
        product.HoldsComponent(name.c_str(), component, holds);
        if (!result.empty() && result.back() != L',')
            result += L',';
        if (holds) {
            const std::wstring item = byId ? std::to_wstring(product.ProductID) : name;
            if (AddUnique(listed, item.c_str()))
                result += item;
        }
    }
    return result;
}

}  // namespace

std::wstring ListComponentProducts(const wchar_t* component, int byId)
{
    if (!component)
        return std::wstring();
    StringList products;
    SplitList(ReadInstalledList(InstalledList::Products).c_str(), products, L',', false);
    return ProductsHolding(products, component, byId);
}

int ReadProductId(const wchar_t* product)
{
    if (!product)
        return 0;
    CIniReader ini;
    if (!ini.Load(GetProductFilePath(product).c_str(), CIniKeyFilter{kProductIdKey}))
        return 0;
    return ini.GetInt(kVersionSection, kProductIdKey, 0);
}

bool IsComponentInstalled(const wchar_t* component)
{
    return IsListed(component, InstalledList::Components);
}

bool IsProductInstalled(const wchar_t* product)
{
    return IsListed(product, InstalledList::Products);
}

bool IsSingleProductComponent(const wchar_t* component)
{
    if (!component || !*component)
        return false;
    // install.ini is read once: the list that decides the shortcut is the
    // list ListComponentProducts would read again.
    StringList products;
    if (SplitList(ReadInstalledList(InstalledList::Products).c_str(), products, L',', false) <= 1)
        return true;
    const std::wstring containing = ProductsHolding(products, component, 0);
    if (containing.empty())
        return true;
    StringList items;
    return SplitList(containing.c_str(), items, L',', false) <= 1;
}

}  // namespace tn
