#include "install/product.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <new>

#include "config/text_utils.h"
#include "platform/sysenv.h"

namespace tn {
namespace {

// The product name is taken from a file name held in a MAX_PATH buffer.
constexpr size_t kProductNameBufferChars = 260;  // terminator included
constexpr int kComposeBuildNumber = 1;
// Names shorter than this keep their ".ini" whole within the 259 characters
// a component object keeps of its description file name.
constexpr size_t kPlainNameMaxChars = 255;
// Type of a component that has a description file of its own.
constexpr int kComponentTypeWithFile = 1;
// A parent written as a pair of double quotes means "no parent".
const wchar_t kNoParentQuotes[] = L"\"\"";

// Sections and keys of a product description file.
const wchar_t kVersionSection[] = L"Version";
const wchar_t kHaveComposeSection[] = L"HaveCompose";
const wchar_t kConflictKey[] = L"Conflict";
const wchar_t kProductIdKey[] = L"ProductID";
const wchar_t kAllKey[] = L"All";
const wchar_t kParentKey[] = L"Parent";
const wchar_t kResourceKey[] = L"Resource";
const wchar_t kSupportOSKey[] = L"SupportOS";

// The keys HoldsComponent reads: of the file, only their lines are split.
const CIniKeyFilter kNameKeys{kConflictKey, kProductIdKey, kAllKey,
                              kParentKey,   kResourceKey,  kSupportOSKey};

// Every pair of vertical bars, scanned from the left without overlap, becomes
// CR LF; a third bar in a row stays a bar.
void ReplaceBarPairs(wchar_t* text)
{
    for (wchar_t* p = text; p[0]; ++p) {
        if (p[0] == L'|' && p[1] == L'|') {
            p[0] = L'\r';
            p[1] = L'\n';
            ++p;
        }
    }
}

}  // namespace

int CProduct::LoadByName(const wchar_t* name, unsigned flags)
{
    if (!name)
        return kProductNoName;
    return Load(GetProductFilePath(name).c_str(), LocInstall, nullptr, flags);
}

int CProduct::Load(const wchar_t* path, unsigned location, const wchar_t* list, unsigned flags)
{
    int listed = ReadProductFile(path, location, nullptr);
    if (listed == kProductLoaded)
        listed = ListComponents(list, names_);
    if (listed != kProductLoaded)
        return listed;
    for (const std::wstring& component : names_) {
        const int result = AddComponent(component.c_str(), flags);
        if (result != kProductLoaded)
            return result;
    }
    return kProductLoaded;
}

int CProduct::HoldsComponent(const wchar_t* name, const wchar_t* component, bool& holds)
{
    holds = false;
    if (!name)
        return kProductNoName;
    const int read = ReadProductFile(GetProductFilePath(name).c_str(), LocInstall, &kNameKeys);
    if (read != kProductLoaded)
        return read;
    // A name that no list of the file mentions (nor any name whose object
    // would be named otherwise) cannot be in the expanded list.
    if (!component || !MayNameInList(component))
        return *Ini.GetString(kHaveComposeSection, kAllKey) ? kProductLoaded : kProductNoComponents;
    const int listed = ListComponents(nullptr, names_);
    if (listed != kProductLoaded)
        return listed;
    // AddComponent's rules without the objects: a listed name whose object
    // would carry the name asked for, kept by that name's SupportOS (every
    // such name reads the same section).
    for (const std::wstring& candidate : names_) {
        if (GivesComponent(candidate.c_str()) && ObjectNameIs(candidate, component)) {
            holds = Supported(SupportOSOf(component));
            break;
        }
    }
    return kProductLoaded;
}

bool CProduct::IsPlainName(const wchar_t* name, size_t length)
{
    return length < kPlainNameMaxChars &&
           std::find_if(name, name + length, [](wchar_t c) { return c == L'.' || c == L'\\'; }) ==
               name + length;
}

bool CProduct::ObjectNameIs(const std::wstring& listed, const wchar_t* name) const
{
    if (IsPlainName(listed.data(), listed.size()))
        return EqualsNoCase(listed.c_str(), name);
    return EqualsNoCase(ComponentNameFromPath(ComposeFilePath(listed.c_str()).c_str()).c_str(),
                        name);
}

std::wstring CProduct::ComposeFilePath(const wchar_t* listed) const
{
    return BuildComposeFilePath(listed, PathType, kComposeBuildNumber);
}

uint32_t CProduct::SupportOSOf(const wchar_t* section) const
{
    return ParseHex(Ini.GetString(section, kSupportOSKey));
}

int CProduct::ReadProductFile(const wchar_t* path, unsigned location, const CIniKeyFilter* keys)
{
    if (!path)
        return kProductNoName;
    if (!*FileNamePart(path, PathSeparators::kBackslashOrSlash))
        return kProductNoName;
    FilePath = path;
    PathType = location;
    Name = FileNameStem(path, kProductNameBufferChars - 1, PathSeparators::kBackslashOrSlash);

    if (!(keys ? Ini.Load(path, *keys) : Ini.Load(path)))
        return kProductFileNotLoaded;
    Conflict = Ini.GetString(kVersionSection, kConflictKey);
    ProductID = Ini.GetInt(kVersionSection, kProductIdKey, 0);
    ClearComponents();
    windowsClass_ = 0;
    return kProductLoaded;
}

int CProduct::ListComponents(const wchar_t* list, StringList& names) const
{
    names.Clear();
    if (list && *list) {
        SplitList(list, names, L',', false);
        return kProductLoaded;
    }
    const wchar_t* all = Ini.GetString(kHaveComposeSection, kAllKey);
    if (!*all)
        return kProductNoComponents;
    ExpandComponentList(all, names);
    return kProductLoaded;
}

bool CProduct::MayNameInList(const wchar_t* component) const
{
    const size_t length = wcslen(component);
    bool may = false;
    // Every item of a list value (split at commas, no item limit: more
    // items than the expansion reads are looked at, never fewer).
    auto visit = [&](const wchar_t* start, size_t itemLength) {
        may = !IsPlainName(start, itemLength) || EqualsNoCase(start, itemLength, component, length);
        return !may;
    };
    for (size_t s = 0; s < Ini.GetSectionCount() && !may; ++s) {
        const CIniSection* section = Ini.GetSectionAt(s);
        for (size_t e = 0; e < section->GetEntryCount() && !may; ++e) {
            const CIniEntry* entry = section->GetEntryAt(e);
            const wchar_t* value = entry->GetValue();
            if (EqualsNoCase(entry->GetKey(), kParentKey))
                visit(value, entry->GetValueLength());  // a parent is one name, commas and all
            else if (EqualsNoCase(entry->GetKey(), kAllKey) ||
                     EqualsNoCase(entry->GetKey(), kResourceKey))
                ForEachItem(value, value + entry->GetValueLength(), L',', LongItems::kVisit,
                            EmptyItems::kSkip, visit);
        }
    }
    return may;
}

bool CProduct::Supported(uint32_t supportOS) const
{
    if (supportOS == 0)
        return true;
    // Every class holds a version bit, so 0 means "not read yet".
    if (windowsClass_ == 0)
        windowsClass_ = GetWindowsVersionMask(nullptr);
    return (supportOS & windowsClass_) != 0;
}

int CProduct::AddComponent(const wchar_t* name, unsigned flags)
{
    if (!GivesComponent(name))
        return kProductLoaded;
    const std::wstring path = ComposeFilePath(name);
    std::unique_ptr<CComponent> component;
    try {
        component.reset(new CComponent(path.c_str()));
    } catch (const std::bad_alloc&) {
        return kProductNoMemory;
    }
    ReadComponentKeys(component.get());
    if (!Supported(component->SupportOS))
        return kProductLoaded;  // not for this Windows: left out, the load goes on
    if (component->Type == kComponentTypeWithFile && (flags & kProductLoadComponentFiles)) {
        const int result = component->Load();
        if (result != kComponentLoaded)
            return result;
    }
    try {
        Components.push_back(std::move(component));
    } catch (const std::bad_alloc&) {
        return kProductNoMemory;
    }
    return kProductLoaded;
}

int CProduct::ReadComponentKeys(CComponent* component) const
{
    if (!component)
        return 0;
    CComponent& c = *component;
    const wchar_t* section = c.Name.c_str();
    c.Type = Ini.GetInt(section, L"Type", 0);
    c.Update = Ini.GetInt(section, L"Update", 0);
    c.Base = Ini.GetInt(section, L"Base", 0);
    c.Hide = Ini.GetInt(section, L"Hide", 0);
    c.LangGroup = Ini.GetInt(section, L"LangGroup", 0);
    c.NewShow = Ini.GetInt(section, L"NewShow", 0);
    c.MustUpdate = Ini.GetInt(section, L"MustUpdate", 0);
    c.SupportOS = SupportOSOf(section);
    CopyToField(c.CatalogName, std::size(c.CatalogName), section);
    CopyToField(c.Parent, std::size(c.Parent), Ini.GetString(section, kParentKey));
    CopyToField(c.Depends, std::size(c.Depends), Ini.GetString(section, L"Depends"));
    CopyToField(c.Resource, std::size(c.Resource), Ini.GetString(section, kResourceKey));
    for (size_t i = 0; i < kLanguageCount; ++i) {
        LanguageText& text = c.Texts[i];
        const std::wstring code = kLanguageCodes[i];
        CopyToField(text.Title, std::size(text.Title),
                    Ini.GetString(section, (L"Title" + code).c_str()));
        CopyToField(text.Detail, std::size(text.Detail),
                    Ini.GetString(section, (L"Detail" + code).c_str()));
        ReplaceBarPairs(text.Detail);
    }
    // An empty parent names no section (not even one written as "[]").
    if (c.Parent[0] && Ini.GetInt(c.Parent, L"LangGroup", 0) == 1)
        c.ParentLangGroup |= 1;
    return 1;
}

int CProduct::ExpandComponentList(const wchar_t* text, StringList& names) const
{
    if (!text)
        return 0;
    StringList& items = scratchItems_;
    items.Clear();
    SplitList(text, items, L',', false);
    for (const std::wstring& item : items) {
        AddUnique(names, item.c_str());
        AddParents(item.c_str(), names);
        AddResources(item.c_str(), names);
    }
    return 1;
}

int CProduct::AddParents(const wchar_t* name, StringList& names) const
{
    if (!name)
        return 0;
    // Each step adds a name not yet present, so the walk ends after at most
    // as many steps as the file has Parent keys, loops included. The names
    // point into the document, which does not change meanwhile.
    const wchar_t* current = name;
    for (;;) {
        const wchar_t* parent = Ini.GetString(current, kParentKey);
        if (!*parent || wcscmp(parent, kNoParentQuotes) == 0 || ListContains(names, parent))
            return 1;
        AddUnique(names, parent);
        current = parent;
    }
}

int CProduct::AddResources(const wchar_t* name, StringList& names) const
{
    StringList& resources = scratchResources_;
    resources.Clear();
    if (!name || SplitList(Ini.GetString(name, kResourceKey), resources, L',', false) == 0)
        return 0;
    for (const std::wstring& resource : resources) {
        AddUnique(names, resource.c_str());
        AddParents(resource.c_str(), names);
    }
    return 1;
}

const CComponent* FindComponent(const ComponentArray& components, const wchar_t* name)
{
    if (!name)
        return nullptr;
    for (const std::unique_ptr<CComponent>& component : components)
        if (EqualsNoCase(component->Name.c_str(), name))
            return component.get();
    return nullptr;
}

}  // namespace tn
