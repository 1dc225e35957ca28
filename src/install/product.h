#pragma once
#include <memory>
#include <string>
#include <vector>

#include "config/component.h"
#include "config/ini_reader.h"
#include "config/string_list.h"
#include "install/layout.h"

namespace tn {

// Result codes of CProduct::Load and LoadByName. With
// kProductLoadComponentFiles a component's own CComponent::Load code (18, 20,
// 21, 23) may come back as well.
enum ProductLoadResult : int {
    kProductLoaded = 0,
    kProductNoName = 2,          // no name, or a path without a file name
    kProductNoMemory = 8,        // a component object could not be allocated
    kProductFileNotLoaded = 18,  // the product description file did not load
    kProductNoComponents = 300,  // [HaveCompose] All absent or empty
};

// Flags of Load: bit 0 loads the description file of every component of
// Type 1. Other bits are ignored.
constexpr unsigned kProductLoadComponentFiles = 0x1;

using ComponentArray = std::vector<std::unique_ptr<CComponent>>;

// One product description file ({I}Install\Product\{P}.ini) and the
// components it expands to along the Parent and Resource relations, each
// filled from its own section of the file. Components the running Windows
// does not support (SupportOS) are left out. The product owns its components.
class CProduct {
public:
    CProduct() = default;
    CProduct(const CProduct&) = delete;
    CProduct& operator=(const CProduct&) = delete;

    int LoadByName(const wchar_t* name, unsigned flags);
    // `list`, when given and not empty, is used as the component list as it
    // is (split at commas, nothing expanded); otherwise [HaveCompose] All is
    // expanded. Components added before a failing one stay.
    int Load(const wchar_t* path, unsigned location, const wchar_t* list, unsigned flags);
    // Whether LoadByName(name, 0) would leave a component named `component`
    // in Components, found without making the component objects (each is a
    // block of over 9 KB) and reading of the file only the keys the answer
    // needs: the same result code, ProductID and Conflict read; `holds` is
    // false when the load fails. For the questions which products hold a
    // component.
    int HoldsComponent(const wchar_t* name, const wchar_t* component, bool& holds);
    // Creates, fills and keeps one component; 0 also when the name is empty
    // or the component is left out for SupportOS.
    int AddComponent(const wchar_t* name, unsigned flags);
    // Fills the catalog fields of `component` from its section (named after
    // its Name). 1, or 0 for a null component.
    int ReadComponentKeys(CComponent* component) const;
    // The component name list below holds each name once (ASCII letters
    // folded), in the letter case of its first addition; StringList answers
    // membership from a folded index, so long lists expand in linear time.
    //
    // Adds each item of the comma list, its chain of parents and its
    // resources (each with its own chain of parents). 1, or 0 for null text.
    int ExpandComponentList(const wchar_t* text, StringList& names) const;
    // Adds the parents of `name`, nearest first, until a name is missing or
    // already present. Iterative: chains of any length and loops are safe.
    int AddParents(const wchar_t* name, StringList& names) const;
    // Adds the resources of `name` with their parents; 0 when it has none.
    int AddResources(const wchar_t* name, StringList& names) const;
    void ClearComponents() { Components.clear(); }

    std::wstring Name;               // file name of FilePath without its extension
    unsigned PathType = LocInstall;  // where the components' description files are
    std::wstring FilePath;
    std::wstring Conflict;
    CIniReader Ini;
    ComponentArray Components;       // in list order
    int ProductID = 0;

private:
    // Steps of Load before the components are added: the file read (whole,
    // or only the lines of the keys `keys` holds) with the [Version] values,
    // then the component list. 0 or Load's error code.
    int ReadProductFile(const wchar_t* path, unsigned location, const CIniKeyFilter* keys);
    int ListComponents(const wchar_t* list, StringList& names) const;
    // False when no name in the file's All, Parent and Resource values is
    // `component` nor a name whose object would be named otherwise: then
    // the expanded list cannot hold it.
    bool MayNameInList(const wchar_t* component) const;
    // Whether a component whose section holds this SupportOS is kept on the
    // running Windows (its class is read once per load).
    bool Supported(uint32_t supportOS) const;
    // The rules of which listed names become which components, shared by
    // AddComponent (through the objects) and HoldsComponent (without them):
    // an empty name gives none; a listed name's object carries the file name
    // of its description file path (ComposeFilePath) without its extension,
    // which for a plain name (no dot, no backslash, short enough for the
    // file-name buffer) is that name as it is; it is kept where its
    // section's SupportOS allows the running Windows (Supported).
    static bool GivesComponent(const wchar_t* listed) { return listed && *listed; }
    bool ObjectNameIs(const std::wstring& listed, const wchar_t* name) const;
    std::wstring ComposeFilePath(const wchar_t* listed) const;
    uint32_t SupportOSOf(const wchar_t* section) const;
    static bool IsPlainName(const wchar_t* name, size_t length);

    mutable uint32_t windowsClass_ = 0;  // 0 until read
    // Lists a load fills and empties again; kept, so that a product object
    // that reads one file after another reuses their storage.
    StringList names_;
    mutable StringList scratchItems_;
    mutable StringList scratchResources_;
};

// The first component whose Name equals `name` (ASCII letters folded); null
// for none or a null name.
const CComponent* FindComponent(const ComponentArray& components, const wchar_t* name);

}  // namespace tn
