#include "config/component.h"

#include <cstring>
#include <memory>

#include "config/component_walk.h"
#include "config/text_utils.h"
#include "platform/log.h"

namespace tn {

const wchar_t* const kLanguageCodes[kLanguageCount] = {L"0804", L"0409", L"0411", L"0404",
                                                       L"000A"};

namespace {

// The file-name part of a description file path is held in a buffer of this
// many units, terminator included.
constexpr size_t kFileNameChars = 260;

constexpr const wchar_t* kVersionSection = L"Version";
constexpr const wchar_t* kInfoSection = L"Info";
constexpr const wchar_t* kHaveSection = L"HaveSection";
constexpr const wchar_t* kOptionSection = L"OptionPlugin";

template <size_t N>
void CopyTo(wchar_t (&field)[N], const wchar_t* text)
{
    CopyToField(field, N, text);
}

// The duplicate complaint: "file %s occurs in several places in component
// %s, please correct!", kept in the language the build tools report in.
std::wstring DuplicateFileMessage(const wchar_t* file, const std::wstring& component)
{
    return std::wstring(L"  \u6587\u4EF6") + file + L"\u5728\u7EC4\u4EF6" + component +
           L"\u4E2D\u6709\u591A\u4E2A\u5730\u65B9\u51FA\u73B0\uFF0C\u8BF7\u4FEE\u6539\uFF01\n";
}

void LogMissingSection(const wchar_t* name)
{
    WriteLogW((std::wstring(L"  error: can not find \"") + name + L"\" section .\n").c_str());
}

// A record name and its component in one text; neither holds a NUL.
std::wstring EntryKey(const wchar_t* name, const wchar_t* component)
{
    return std::wstring(name) + L'\0' + component;
}

}  // namespace

// Loads the sections a walk names into a component: each once (a section
// loaded before is passed over), a missing one ending the load with its log
// line, every record parsed and added, the first that fails ending the load.
class ComponentSectionLoader final : public IRecordVisitor {
public:
    explicit ComponentSectionLoader(CComponent& component) : component_(component) {}

    SectionTurn Section(const wchar_t* name, size_t length, const CIniSection* section) override
    {
        listed_.assign(name, length);
        if (!section) {
            LogMissingSection(listed_.c_str());
            return SectionTurn::kEndTheWalk;
        }
        if (component_.FindLoadedSection(listed_.c_str()) >= 0)
            return SectionTurn::kPassOver;
        component_.LoadedSections.Append(listed_);
        return SectionTurn::kReadRecords;
    }
    bool Record(const CIniSection&, const CIniEntry& line) override
    {
        return component_.AddRecord(listed_.c_str(), line, *entry_);
    }

private:
    CComponent& component_;
    std::wstring listed_;  // the records keep their section's name as listed
    // A FileEntry is several kilobytes; one heap copy serves every line.
    std::unique_ptr<FileEntry> entry_ = std::make_unique<FileEntry>();
};

std::wstring ComponentNameFromPath(const wchar_t* path)
{
    return FileNameStem(path, kFileNameChars - 1, PathSeparators::kBackslash);
}

CComponent::CComponent(const wchar_t* path) { SetFilePath(path); }

int CComponent::SetFilePath(const wchar_t* path)
{
    if (!path)
        return 0;
    FilePath = path;
    Name = ComponentNameFromPath(path);
    return 1;
}

int CComponent::Load(const wchar_t* path)
{
    const std::wstring file = path ? std::wstring(path) : FilePath;
    Loaded = 0;
    if (!Ini.Load(file.c_str())) {
        WriteLogW((L"Error,LoadTNFile file=" + file).c_str());
        return kComponentFileNotLoaded;
    }
    ReadInfo(false);
    CurVersion = Ini.GetInt(kVersionSection, L"CurVersion", 0);
    if (CurVersion <= 0)
        CurVersion = 1;
    Entries.clear();
    LoadedSections.Clear();

    const CIniSection* have = Ini.FindSection(kHaveSection);
    if (!have) {
        WriteLogW((L"Error,not found HaveSection key in this file=" + file).c_str());
        return kComponentNoHaveSection;
    }
    if (have->GetEntryCount() == 0)
        return kComponentEmptyHaveSection;

    Size = Ini.GetInt(kVersionSection, L"Size", 0);
    Path = Ini.GetString(kVersionSection, L"Path");

    ComponentSectionLoader loader(*this);
    if (WalkComponentRecords(Ini, RecordWalk{}, loader) != WalkEnd::kComplete)
        return kComponentSectionFailed;

    if (const CIniSection* options = Ini.FindSection(kOptionSection)) {
        for (size_t i = 0; i < options->GetEntryCount(); ++i) {
            const CIniEntry* line = options->GetEntryAt(i);
            FileEntry* entry = FindMutableEntry(line->GetKey());
            StringList values;
            SplitList(line->GetValue(), values, L',', true);
            if (!entry || values.Count() != 2)
                continue;
            OptionPair* freeSlot = nullptr;
            for (OptionPair& slot : entry->Options) {
                if (slot.Second[0] == L'\0') {
                    freeSlot = &slot;
                    break;
                }
            }
            if (!freeSlot) {
                WriteLogPairW(L"waring!!! option clsid one file must least then 10, clsid=",
                              line->GetValue());
                continue;
            }
            CopyTo(freeSlot->First, values.At(0).c_str());
            CopyTo(freeSlot->Second, values.At(1).c_str());
        }
    }

    Loaded = 1;
    return kComponentLoaded;
}

int CComponent::ReadInfo(bool reload)
{
    if (Type == 2)
        return 1;
    if (reload) {
        if (!Ini.Load(FilePath.c_str()))
            return 0;
        Loaded = 1;
    }
    for (size_t i = 0; i < kLanguageCount; ++i) {
        const std::wstring title = std::wstring(L"Title") + kLanguageCodes[i];
        const std::wstring detail = std::wstring(L"Detail") + kLanguageCodes[i];
        CopyTo(Texts[i].Title, Ini.GetString(kInfoSection, title.c_str()));
        CopyTo(Texts[i].Detail, Ini.GetString(kInfoSection, detail.c_str()));
    }
    return 1;
}

int CComponent::LoadSectionList(const wchar_t* list)
{
    if (!list)
        return 0;
    ComponentSectionLoader loader(*this);
    return WalkSectionList(Ini, list, RecordWalk{}, loader) == WalkEnd::kComplete ? 1 : 0;
}

int CComponent::LoadSection(const wchar_t* name)
{
    if (!name)
        return 0;
    if (name[0] == L'\0' || FindLoadedSection(name) >= 0)
        return 1;
    const CIniSection* section = Ini.FindSection(name);
    if (!section) {
        LogMissingSection(name);
        return 0;
    }
    LoadedSections.Append(name);
    auto entry = std::make_unique<FileEntry>();
    for (size_t i = 0; i < section->GetEntryCount(); ++i)
        if (!AddRecord(name, *section->GetEntryAt(i), *entry))
            return 0;
    return 1;
}

bool CComponent::AddRecord(const wchar_t* section, const CIniEntry& line, FileEntry& entry)
{
    std::memset(&entry, 0, sizeof(FileEntry));
    CopyTo(entry.Section, section);
    if (!ParseFileRecord(&line, &entry.Record))
        return false;
    CopyTo(entry.Component, Name.c_str());
    if (entry.ComponentPath[0] == L'\0')
        CopyTo(entry.ComponentPath, Path.c_str());
    if (!AddFileEntry(entry)) {
        WriteLogW(DuplicateFileMessage(entry.Record.Name, Name).c_str());
        return false;
    }
    return true;
}

bool CComponent::HoldsEntry(const wchar_t* name, const wchar_t* component)
{
    if (entryKeys_.Count() != Entries.size()) {
        entryKeys_.Clear();
        entryKeys_.Reserve(Entries.size());
        for (const FileEntry& held : Entries)
            entryKeys_.Append(EntryKey(held.Record.Name, held.Component));
    }
    const std::wstring key = EntryKey(name, component);
    return entryKeys_.ContainsNoCase(key.data(), key.size());
}

int CComponent::AddFileEntry(const FileEntry& entry)
{
    if (HoldsEntry(entry.Record.Name, entry.Component))
        return 0;
    Entries.push_back(entry);
    FileEntry& copy = Entries.back();
    CopyTo(copy.Component, Name.c_str());
    if (copy.ComponentPath[0] == L'\0')
        CopyTo(copy.ComponentPath, Path.c_str());
    entryKeys_.Append(EntryKey(copy.Record.Name, copy.Component));
    return 1;
}

const FileEntry* CComponent::FindFileEntry(const wchar_t* name, const wchar_t* dest) const
{
    if (!name)
        return nullptr;
    for (const FileEntry& entry : Entries)
        if (EqualsNoCase(entry.Record.Name, name) &&
            (!dest || EqualsNoCase(entry.Record.DestDir, dest)))
            return &entry;
    return nullptr;
}

FileEntry* CComponent::FindMutableEntry(const wchar_t* name)
{
    return const_cast<FileEntry*>(FindFileEntry(name, nullptr));
}

int CComponent::FindLoadedSection(const wchar_t* name) const
{
    if (!name)
        return -1;
    for (size_t i = 0; i < LoadedSections.Count(); ++i)
        if (EqualsNoCase(LoadedSections.At(i).c_str(), name))
            return static_cast<int>(i);
    return -1;
}

}  // namespace tn
