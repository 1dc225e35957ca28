#include "install/local_install.h"

#include <cwchar>
#include <new>

#include "config/text_utils.h"
#include "install/layout.h"

namespace tn {
namespace {

const wchar_t kProductSection[] = L"InstallProduct";
const wchar_t kProductKey[] = L"ProductList";
const wchar_t kComposeSection[] = L"InstallCompose";
const wchar_t kComposeKey[] = L"ComposeList";
const wchar_t kLangGroupKey[] = L"LangGroup";
const wchar_t kUpdateSection[] = L"Update";
const wchar_t kUpdateKey[] = L"Composes";

constexpr wchar_t kListSeparator = L',';

// The longest list text stored under `key` that reads back whole: its line
// "key=list" must fit the reader's line. A change that would make a list
// longer is refused rather than saved, as a cut list silently drops names.
template <size_t KeySize>
constexpr size_t MaxListChars(const wchar_t (&)[KeySize])
{
    return CIniReader::kMaxLineChars - (KeySize - 1) - 1;
}

void AppendToList(std::wstring& list, const wchar_t* item, size_t length)
{
    if (!list.empty())
        list += kListSeparator;
    list.append(item, length);
}

// Appends `item` to `list`, stored under `key`; false when the list would
// then be too long to read back whole.
template <size_t KeySize>
bool AppendWithin(std::wstring& list, const wchar_t* item, const wchar_t (&key)[KeySize])
{
    AppendToList(list, item, wcslen(item));
    return list.size() <= MaxListChars(key);
}

// Appends to `list` every item of `items` (a list text) that it does not
// hold yet, each once; returns whether anything was appended. The names
// already present are looked up in a folded index, so long lists merge in
// linear time.
bool MergeIntoList(std::wstring& list, const wchar_t* items)
{
    StringList present;
    SplitList(list.c_str(), present, kListSeparator, false);
    StringList added;
    SplitList(items, added, kListSeparator, false);
    bool changed = false;
    for (const std::wstring& item : added) {
        if (AddUnique(present, item.c_str())) {
            AppendToList(list, item.data(), item.size());
            changed = true;
        }
    }
    return changed;
}

// Removes from `list` every item named in `items` (a list text), as
// RemoveItemsIf does.
void RemoveAllFromList(std::wstring& list, const wchar_t* items)
{
    StringList gone;
    SplitList(items, gone, kListSeparator, false);
    if (gone.Count() == 0)
        return;
    RemoveItemsIf(list, kListSeparator, [&](const wchar_t* item, size_t length) {
        return gone.ContainsNoCase(item, length);
    });
}

// Stores `list` under [section] key and writes the document: 1 when saved.
// Every list edit of install.ini ends here or in Save, and answers 0 when
// the file is not written (the document in memory keeps the change).
int StoreList(CIniReader& ini, const wchar_t* section, const wchar_t* key,
              const std::wstring& list)
{
    if (!ini.SetString(section, key, list.c_str()))
        return 0;
    return ini.Save() ? 1 : 0;
}

}  // namespace

ILocalInstall* CreateLocalInstall()
{
    CLocalInstall* object = new (std::nothrow) CLocalInstall();
    if (!object)
        return nullptr;
    // Open reads install.ini and may run out of memory itself: the object
    // goes with it, and the caller sees the same null as above.
    int opened = 0;
    try {
        opened = object->Open();
    } catch (const std::bad_alloc&) {
    }
    if (!opened) {
        object->Release();
        return nullptr;
    }
    return object;
}

std::wstring ReadInstalledList(InstalledList which)
{
    const bool products = which == InstalledList::Products;
    const wchar_t* const key = products ? kProductKey : kComposeKey;
    CIniReader ini;
    ini.Load(GetInstallIniPath().c_str(), CIniKeyFilter{key});
    return ini.GetString(products ? kProductSection : kComposeSection, key);
}

void CLocalInstall::Release() { delete this; }

int CLocalInstall::Open()
{
    // A missing file is created by the first write; one that is there but
    // cannot be read is never written (Save refuses).
    Load(GetInstallIniPath().c_str());
    return 1;
}

const wchar_t* CLocalInstall::GetProductList() { return GetString(kProductSection, kProductKey); }

const wchar_t* CLocalInstall::GetComposeList() { return GetString(kComposeSection, kComposeKey); }

const wchar_t* CLocalInstall::GetLangGroup() { return GetString(kComposeSection, kLangGroupKey); }

int CLocalInstall::AddProduct(const wchar_t* product)
{
    if (IsNullOrEmpty(product))
        return 0;
    if (IsInList(GetProductList(), product, kListSeparator))
        return 1;
    std::wstring list = GetProductList();
    if (!AppendWithin(list, product, kProductKey))
        return 0;
    return StoreList(*this, kProductSection, kProductKey, list);
}

int CLocalInstall::RemoveProduct(const wchar_t* product)
{
    if (IsNullOrEmpty(product))
        return 0;
    std::wstring list = GetProductList();
    if (!RemoveFromList(list, product, kListSeparator))
        return 1;
    return StoreList(*this, kProductSection, kProductKey, list);
}

int CLocalInstall::AddCompose(const wchar_t* component)
{
    if (IsNullOrEmpty(component))
        return 0;
    if (!IsInList(GetComposeList(), component, kListSeparator)) {
        std::wstring list = GetComposeList();
        if (!AppendWithin(list, component, kComposeKey) ||
            !StoreList(*this, kComposeSection, kComposeKey, list))
            return 0;
    }
    AddUpdateComposes(component);
    return 1;
}

int CLocalInstall::RemoveCompose(const wchar_t* component)
{
    if (IsNullOrEmpty(component))
        return 0;
    std::wstring list = GetComposeList();
    // install.ini is rewritten even when the name was not listed.
    const bool removed = !list.empty() && RemoveFromList(list, component, kListSeparator);
    if (!(removed ? StoreList(*this, kComposeSection, kComposeKey, list) : Save()))
        return 0;
    // After the change above, so a fallback to ComposeList no longer holds the name.
    RemoveUpdateComposes(component);
    return 1;
}

int CLocalInstall::AddLangGroup(const wchar_t* groups)
{
    if (IsNullOrEmpty(groups))
        return 0;
    std::wstring list = GetLangGroup();
    if (!MergeIntoList(list, groups) || list.size() > MaxListChars(kLangGroupKey))
        return 0;
    return StoreList(*this, kComposeSection, kLangGroupKey, list);
}

int CLocalInstall::RemoveLangGroup(const wchar_t* groups)
{
    if (IsNullOrEmpty(groups))
        return 0;
    std::wstring list = GetLangGroup();
    RemoveAllFromList(list, groups);
    return StoreList(*this, kComposeSection, kLangGroupKey, list);
}

std::wstring CLocalInstall::GetUpdateComposes()
{
    std::wstring result;
    {
        CIniReader update;
        if (update.Load(GetUpdateIniPath().c_str()))
            result = update.GetString(kUpdateSection, kUpdateKey);
    }
    if (result.empty())
        result = GetComposeList();  // by default updates cover every installed component
    return result;
}

int CLocalInstall::SetUpdateComposes(const wchar_t* components)
{
    if (!components || wcslen(components) > MaxListChars(kUpdateKey))
        return 0;
    CIniReader update;
    update.Load(GetUpdateIniPath().c_str());  // a missing file is created by the save
    if (!update.SetString(kUpdateSection, kUpdateKey, components))
        return 0;
    return update.Save() ? 1 : 0;
}

int CLocalInstall::AddUpdateComposes(const wchar_t* components)
{
    // The update list may be ComposeList, which an unread install.ini does
    // not give: a list built on it would drop the components it holds.
    if (IsNullOrEmpty(components) || IsFileUnread())
        return 0;
    std::wstring list = GetUpdateComposes();
    if (!MergeIntoList(list, components))
        return 0;
    return SetUpdateComposes(list.c_str());
}

int CLocalInstall::RemoveUpdateComposes(const wchar_t* components)
{
    if (IsNullOrEmpty(components) || IsFileUnread())  // as in AddUpdateComposes
        return 0;
    std::wstring list = GetUpdateComposes();
    RemoveAllFromList(list, components);
    return SetUpdateComposes(list.c_str());
}

}  // namespace tn
