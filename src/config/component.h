#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "config/file_record.h"
#include "config/ini_reader.h"
#include "config/string_list.h"

namespace tn {

// Result codes of CComponent::Load.
enum ComponentLoadResult : int {
    kComponentLoaded = 0,
    kComponentFileNotLoaded = 18,    // description file missing or unreadable
    kComponentNoHaveSection = 20,    // no [HaveSection]
    kComponentEmptyHaveSection = 21, // [HaveSection] without entries
    kComponentSectionFailed = 23,    // a listed section missing, a short record, a duplicate
};

// Number of display languages, in the order 0804, 0409, 0411, 0404, 000A.
constexpr size_t kLanguageCount = 5;
extern const wchar_t* const kLanguageCodes[kLanguageCount];

struct LanguageText {
    wchar_t Title[256];
    wchar_t Detail[512];
};

// The name a component object takes from its description file path: the
// text after the last backslash (at most 259 characters) without its
// extension.
std::wstring ComponentNameFromPath(const wchar_t* path);

// One component: its description file (file records, version data, titles)
// and the catalog fields a product description file gives it.
class CComponent {
public:
    explicit CComponent(const wchar_t* path);
    CComponent(const CComponent&) = delete;
    CComponent& operator=(const CComponent&) = delete;

    int SetFilePath(const wchar_t* path);
    int Load(const wchar_t* path = nullptr);
    int ReadInfo(bool reload);
    int LoadSectionList(const wchar_t* list);
    int LoadSection(const wchar_t* name);
    int AddFileEntry(const FileEntry& entry);
    const FileEntry* FindFileEntry(const wchar_t* name, const wchar_t* dest) const;
    int FindLoadedSection(const wchar_t* name) const;

    std::wstring FilePath;
    std::wstring Name;
    std::vector<FileEntry> Entries;
    StringList LoadedSections;
    CIniReader Ini;
    int CurVersion = 0;
    int Size = 0;
    std::wstring Path;
    int Loaded = 0;

    // Catalog block, filled from the product description file.
    int Type = 0;
    int Base = 0;
    int Update = 0;
    int Hide = 0;
    int LangGroup = 0;
    int NewShow = 0;
    int MustUpdate = 0;
    uint32_t SupportOS = 0;
    wchar_t Depends[256] = {};
    wchar_t Resource[260] = {};
    wchar_t CatalogName[64] = {};
    wchar_t Parent[64] = {};
    LanguageText Texts[kLanguageCount] = {};
    int ParentLangGroup = 0;

private:
    friend class ComponentSectionLoader;

    // Parses one record line of `section` (its name as listed) into `entry`
    // and adds it; false, with the parser's message or a log line, when the
    // line is short or the file is there already.
    bool AddRecord(const wchar_t* section, const CIniEntry& line, FileEntry& entry);
    FileEntry* FindMutableEntry(const wchar_t* name);
    // The duplicate test of AddFileEntry through the folded keys of Entries
    // (record name and component), so that loading n records takes time in
    // proportion to n; rebuilt whenever its count and that of Entries differ.
    bool HoldsEntry(const wchar_t* name, const wchar_t* component);

    StringList entryKeys_;
};

}  // namespace tn
