#include "install/queries.h"

#include "config/ini_reader.h"
#include "config/text_utils.h"
#include "install/layout.h"
#include "install/local_install.h"
#include "install/product.h"

namespace tn {
namespace {

enum class InstalledList { Products, Components };

bool IsListed(const wchar_t* name, InstalledList which)
{
    if (!name)
        return false;
    LocalInstallPtr local;
    if (!local)
        return false;
    const wchar_t* list =
        which == InstalledList::Products ? local->GetProductList() : local->GetComposeList();
    return IsInList(list, name, L',');
}

}  // namespace

std::wstring GetComponentInstallDir(const wchar_t* component, const wchar_t* suffix)
{
    if (!component)
        return std::wstring();
    CIniReader ini;
    if (!ini.Load(GetComposeFilePath(component).c_str()))
        return std::wstring();
    std::wstring tail = ini.GetString(L"Version", L"Path");
    if (!tail.empty())
        tail += L'\\';  // also after a Path that ends in one
    if (suffix)
        tail += suffix;
    return GetInstallDir(tail.c_str());
}

std::wstring ListComponentProducts(const wchar_t* component, int byId)
{
    if (!component)
        return std::wstring();
    StringList products;
    {
        LocalInstallPtr local;
        if (!local)
            return std::wstring();
        SplitList(local->GetProductList(), products, L',', false);
    }
    std::wstring result;
    // The items of `result`: the same answer as IsInList on the text (items
    // never hold a comma) without splitting the text again per product.
    StringList listed;
    for (const std::wstring& name : products) {
        CProduct product;
        product.LoadByName(name.c_str(), 0);  // a product that does not load contains nothing
        if (!result.empty() && result.back() != L',')
            result += L',';
        if (FindComponent(product.Components, component)) {
            const std::wstring item = byId ? std::to_wstring(product.ProductID) : name;
            if (AddUnique(listed, item.c_str()))
                result += item;
        }
    }
    return result;
}

int ReadProductId(const wchar_t* product)
{
    if (!product)
        return 0;
    CIniReader ini;
    if (!ini.Load(GetProductFilePath(product).c_str()))
        return 0;
    return ini.GetInt(L"Version", L"ProductID", 0);
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
    {
        LocalInstallPtr local;
        if (local) {
            StringList products;
            if (SplitList(local->GetProductList(), products, L',', false) <= 1)
                return true;
        }
    }
    const std::wstring containing = ListComponentProducts(component, 0);
    if (containing.empty())
        return true;
    StringList items;
    return SplitList(containing.c_str(), items, L',', false) <= 1;
}

}  // namespace tn
