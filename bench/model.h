#pragma once
// A synthetic installation of the suite, built deterministically from a
// preset: components with their description files, products with their
// catalog sections, install.ini, and the file map. The same preset always
// gives the same installation, so the answers the benchmark expects can be
// computed from this model without reading anything back.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct Preset {
    std::string name;
    int components = 0;         // installed components (ComposeList)
    int filesPerComponent = 0;  // file records per component
    int products = 0;           // installed products (ProductList)
    int mapEvery = 0;           // every n-th record has a file-map entry
    uint64_t seed = 0;
};

// "typical", "large" and "smoke" (a tiny one for the test suite).
bool FindPreset(const std::string& name, Preset& preset);

using KeyValue = std::pair<std::wstring, std::wstring>;

// One file record line: the key is the file name, the value its 16 items.
struct Record {
    std::wstring name;
    std::wstring source;   // item 1
    std::wstring dest;     // item 2, the destination directory
    uint32_t osMask = 0;   // item 16
    std::wstring rest;     // items 3 to 15, joined by commas
    std::wstring Value() const;
};

struct Section {
    std::wstring name;
    std::vector<Record> records;
};

struct Component {
    std::wstring name;
    std::wstring path;                   // [Version] Path
    int curVersion = 1;
    int size = 0;
    std::vector<Section> sections;       // record sections, in file order
    std::vector<std::wstring> listed;    // [HaveSection] <name>, in list order
    std::vector<KeyValue> otherHave;     // other [HaveSection] entries
    std::vector<KeyValue> options;       // [OptionPlugin]
    std::vector<KeyValue> oldFileMap;    // [OldFile_Map]

    const Section* FindSection(const std::wstring& section) const;
    Record* FindRecord(const std::wstring& file);
};

// A component's section in a product description file.
struct CatalogEntry {
    std::wstring name;
    int type = 1;
    std::wstring parent;        // empty: none
    bool quotedNoParent = false;  // "no parent" written as a pair of double quotes
    std::wstring resource;      // comma list
    std::wstring supportOS;     // as written; empty: key left out
    int langGroup = 0;
};

struct Product {
    std::wstring name;
    int productId = 0;
    std::wstring conflict;
    std::vector<std::wstring> all;       // [HaveCompose] All
    std::vector<CatalogEntry> entries;   // sections, in file order

    const CatalogEntry* FindEntry(const std::wstring& component) const;
};

struct MapEntry {
    std::wstring owner;   // component
    std::wstring sub;     // relative destination, or empty
    std::wstring file;    // value name: the file name of the record
    std::wstring mapped;  // value data: the name the file is stored under
};

// What each timed query asks about.
struct Targets {
    std::wstring firstComponentFile;  // a file of the first installed component
    std::wstring tnolFile;            // a file only the built-in "TNol" holds
    std::wstring lastComponentFile;   // a file of the last installed component
    std::wstring mappedName;          // a stored name, found through the reverse map
    std::wstring filePathComponent, filePathFile, filePathFilter;
    std::wstring pathComponent, pathSuffix;
    std::wstring sharedComponent;     // contained in several installed products
    std::wstring installedComponent;
    std::wstring product;
};

struct Installation {
    Preset preset;
    std::vector<Component> components;   // in ComposeList order
    Component tnol;                      // the built-in component, not listed
    std::vector<Product> products;       // in ProductList order
    std::wstring langGroup;
    uint16_t storedLanguage = 0;         // hive store "UI" / "Language"
    std::vector<MapEntry> fileMap;
    Targets targets;

    const Component* FindComponent(const std::wstring& name) const;
    const Product* FindProduct(const std::wstring& name) const;
};

Installation BuildInstallation(const Preset& preset);

// The built-in component searched after every listed one.
extern const wchar_t* const kBuiltInComponent;

// The text of each file, lines ended by CR LF, without the byte-order mark.
std::wstring ComponentText(const Component& component);
std::wstring ProductText(const Product& product);
std::wstring InstallIniText(const Installation& installation);
std::wstring UpdateIniText(const Installation& installation);

// ASCII case folding, the rule the library compares names by.
bool SameName(const std::wstring& a, const std::wstring& b);

}  // namespace bench
