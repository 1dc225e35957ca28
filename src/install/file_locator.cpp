#include "install/file_locator.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <memory>

#include "config/component_walk.h"
#include "config/ini_reader.h"
#include "config/text_utils.h"
#include "install/layout.h"
#include "platform/log.h"
#include "platform/sysenv.h"

namespace tn {
namespace {

struct DirectoryMacro {
    const wchar_t* prefix;
    size_t length;  // where the rest of the destination starts
};
constexpr DirectoryMacro kSystemMacro = {L"$SYSTEM32", 9};
constexpr DirectoryMacro kWindowsMacro = {L"$WINDOWS", 8};
// Any other "$" text has no base directory; its rest starts where the rest
// of "$SYSTEM32" would.
constexpr size_t kOtherMacroLength = 9;

// OsMask bits of a record that ask for the 64-bit system directory.
constexpr uint32_t kWow64Bits = WINTYPE_WOW64 | WINTYPE_2003_WOW64;

constexpr const wchar_t* kBuiltInComponent = L"TNol";
const wchar_t kPathKey[] = L"Path";
const wchar_t kComposeListKey[] = L"ComposeList";

void EnsureTrailingBackslash(std::wstring& dir)
{
    if (dir.empty() || dir.back() != L'\\')
        dir += L'\\';
}

// A text the system wrote into a buffer of kLocatorBufferChars units, or
// empty when `reported` (the length or size the call returned) says it did
// not fit or the call failed.
std::wstring FromSystemBuffer(const wchar_t* buffer, size_t reported)
{
    if (reported == 0 || reported >= kLocatorBufferChars)
        return std::wstring();
    return std::wstring(buffer, wcsnlen(buffer, kLocatorBufferChars - 1));
}

std::wstring SystemDirectory()
{
    wchar_t buffer[kLocatorBufferChars] = {};
    return FromSystemBuffer(buffer, GetSystemDirectoryW(buffer, kLocatorBufferChars));
}

std::wstring WindowsDirectory()
{
    wchar_t buffer[kLocatorBufferChars] = {};
    return FromSystemBuffer(buffer, GetWindowsDirectoryW(buffer, kLocatorBufferChars));
}

// The 64-bit system directory, or the system directory with a warning in
// the log when it cannot be had (a process that is not WOW64).
std::wstring SystemDirectoryFor64(const LookupContext& context)
{
    wchar_t buffer[kLocatorBufferChars] = {};
    if (GetSystemDirectoryFor64(buffer)) {
        const size_t length = wcsnlen(buffer, kLocatorBufferChars);
        return length < kLocatorBufferChars ? std::wstring(buffer, length) : std::wstring();
    }
    WriteLogA(kSystem64FallbackLogLine, 0, 0);
    context.Note(LookupEvent::kSystem64Unavailable);
    return SystemDirectory();
}

// An environment path expanded; empty when the expansion fails or does not
// fit its buffer.
std::wstring ExpandDestination(const std::wstring& dest)
{
    wchar_t buffer[kLocatorBufferChars] = {};
    const DWORD size = ExpandEnvironmentStringsW(dest.c_str(), buffer, kLocatorBufferChars);
    if (size == 0 || size > kLocatorBufferChars)
        return std::wstring();
    return std::wstring(buffer, wcsnlen(buffer, kLocatorBufferChars - 1));
}

std::wstring MacroBase(const std::wstring& dest, uint32_t osMask, size_t& restStart,
                       const LookupContext& context)
{
    if (StartsWithNoCase(dest.c_str(), kSystemMacro.prefix)) {
        restStart = kSystemMacro.length;
        if (osMask & kWow64Bits) {
            context.Note(LookupEvent::kSystem64Asked);
            return SystemDirectoryFor64(context);
        }
        return SystemDirectory();
    }
    if (StartsWithNoCase(dest.c_str(), kWindowsMacro.prefix)) {
        restStart = kWindowsMacro.length;
        return WindowsDirectory();
    }
    restStart = kOtherMacroLength;
    return std::wstring();
}

// Loads only the lines the search reads: [Version] Path, the component's
// [HaveSection] line, and the lines keyed by the file name (its records and
// its [OldFile_Map] line).
bool LoadDescriptionFile(CIniReader& ini, const std::wstring& component, const wchar_t* fileName,
                         const LookupContext& context)
{
    const std::wstring file = GetComposeFilePath(component.c_str());
    const bool loaded =
        ini.Load(file.c_str(), CIniKeyFilter{kPathKey, component.c_str(), fileName});
    context.Note(loaded ? LookupEvent::kDescriptionFileRead : LookupEvent::kDescriptionFileNotLoaded,
                 {component, file});
    return loaded;
}

// What the record search found in one component's description file.
struct ComponentRecord {
    bool loaded = false;         // the description file was read
    std::wstring componentPath;  // its [Version] Path
    bool matched = false;        // a record passed key and filter ...
    std::wstring path;           // ... and resolved to this path
};

// The record search of one component: loads its description file into
// `ini`, then walks the sections its [HaveSection] line lists (a missing one
// passed over) for the first record of `fileName` (keys compared by `match`)
// whose destination equals `filter` (any destination for a null filter),
// and resolves that record. `ini` keeps the file for the caller.
ComponentRecord SearchComponent(CIniReader& ini, const std::wstring& component,
                                const wchar_t* fileName, const wchar_t* filter, KeyMatch match,
                                const LookupContext& context)
{
    ComponentRecord found;
    if (!LoadDescriptionFile(ini, component, fileName, context))
        return found;
    found.loaded = true;
    found.componentPath = ini.GetString(L"Version", kPathKey);
    context.Note(LookupEvent::kComponentPath, {found.componentPath});
    context.Note(LookupEvent::kSectionList,
                 {component, ini.GetString(L"HaveSection", component.c_str())});

    // A FileEntry is several kilobytes: made on the first key match only.
    std::unique_ptr<FileEntry> entry;
    auto onSection = [&](const wchar_t* name, size_t length, const CIniSection* section) {
        if (!section)
            context.Note(LookupEvent::kSectionMissing, {{name, length}});
        return SectionTurn::kReadRecords;
    };
    auto onRecord = [&](const CIniSection& section, const CIniEntry& line) {
        if (!entry)
            entry = std::make_unique<FileEntry>();
        std::memset(entry.get(), 0, sizeof(FileEntry));
        ParseFileRecord(&line, &entry->Record);
        if (filter && !EqualsNoCase(entry->Record.DestDir, filter)) {
            context.Note(LookupEvent::kRecordPassedOver,
                         {section.GetName(), line.GetKey(), line.GetValue(), entry->Record.DestDir,
                          filter});
            return true;
        }
        context.Note(LookupEvent::kRecordMatched, {section.GetName(), line.GetKey(), line.GetValue()});
        CopyToField(entry->Component, sizeof(entry->Component) / sizeof(wchar_t),
                    component.c_str());
        CopyToField(entry->ComponentPath, sizeof(entry->ComponentPath) / sizeof(wchar_t),
                    found.componentPath.c_str());
        found.matched = true;
        found.path = ResolveFileRecordPath(*entry, context);
        return false;
    };
    RecordWalk walk;
    walk.lists = SectionLists::kComponentLine;
    walk.missing = MissingSections::kSkip;
    walk.match = match;
    walk.component = component.c_str();
    walk.fileName = fileName;
    auto visitor = MakeRecordVisitor(onSection, onRecord);
    WalkComponentRecords(ini, walk, visitor);
    return found;
}

// Walks the names of the installed components, install.ini's ComposeList
// (as SplitList splits it: an over-long name ends the list) and then the
// built-in component, until visit(name, length) returns false.
template <class Visit>
void ForEachInstalledComponent(const std::wstring& composeList, Visit visit)
{
    const wchar_t* const list = composeList.c_str();
    bool stopped = false;
    ForEachItem(list, list + composeList.size(), L',', LongItems::kEndTheWalk, EmptyItems::kSkip,
                [&](const wchar_t* name, size_t length) {
                    stopped = !visit(name, length);
                    return !stopped;
                });
    if (!stopped)
        visit(kBuiltInComponent, wcslen(kBuiltInComponent));
}

}  // namespace

std::wstring ResolveFileRecordPath(const FileEntry& entry, const LookupContext& context)
{
    const std::wstring dest = entry.Record.DestDir;
    const wchar_t* file = entry.Record.Name;
    const wchar_t* owner = entry.Component;
    std::wstring dir;
    std::wstring mapped;

    if (!dest.empty() && dest[0] == L'%') {
        mapped = MapFileName(owner, file, nullptr, context);
        dir = ExpandDestination(dest);
        context.Note(LookupEvent::kDestinationExpanded, {dest, dir});
    } else if (IsDirectoryMacro(dest.c_str())) {
        mapped = MapFileName(owner, file, nullptr, context);
        size_t restStart = 0;
        dir = MacroBase(dest, entry.Record.OsMask, restStart, context);
        if (dest.size() > restStart)
            dir += dest.substr(restStart);
        context.Note(LookupEvent::kDestinationMacro, {dest, dir});
    } else {
        mapped = MapFileName(owner, file, dest.c_str(), context);
        dir = GetInstallDir();
        // Room for the whole path at once: this is the common case.
        dir.reserve(dir.size() + wcslen(entry.ComponentPath) + dest.size() + mapped.size() + 2);
        dir += entry.ComponentPath;
        while (!dir.empty() && IsWhiteSpace(dir.back()))
            dir.pop_back();
        EnsureTrailingBackslash(dir);
        if (!dest.empty())
            dir += dest;
        context.Note(LookupEvent::kDestinationRelative, {dest, entry.ComponentPath, dir});
    }
    EnsureTrailingBackslash(dir);
    dir += mapped;
    context.Note(LookupEvent::kResolved, {dir});
    return dir;
}

std::wstring FindComponentFile(const wchar_t* component, const wchar_t* fileName,
                               const wchar_t* filter, const LookupContext& context)
{
    if (!component || !fileName)
        return std::wstring();

    // [OldFile_Map] redirections are followed in a loop; a component met a
    // second time ends the chain, so a cycle cannot run forever.
    StringList visited;
    std::wstring current = component;
    CIniReader ini;
    for (;;) {
        visited.Append(current);
        const ComponentRecord found =
            SearchComponent(ini, current, fileName, filter, KeyMatch::kWholeName, context);
        if (!found.loaded)
            return std::wstring();
        if (found.matched)
            return found.path;

        const std::wstring moved = ini.GetString(L"OldFile_Map", fileName);
        const bool stay = moved.empty() || EqualsNoCase(moved, current);
        if (stay || ListContains(visited, moved.c_str())) {
            if (stay)
                context.Note(LookupEvent::kDefaultPath);
            else
                context.Note(LookupEvent::kMoveIgnored, {moved});
            return GetInstallDir() + found.componentPath + L"\\" +
                   MapFileName(current.c_str(), fileName, nullptr, context);
        }
        context.Note(LookupEvent::kMoved, {fileName, moved});
        current = moved;
    }
}

std::wstring SearchInstalledComponents(const wchar_t* fileName, std::wstring* component,
                                       const LookupContext& context)
{
    if (!fileName)
        return std::wstring();
    CIniReader ini;
    const std::wstring installIni = GetInstallIniPath();
    if (!ini.Load(installIni.c_str(), CIniKeyFilter{kComposeListKey})) {
        context.Note(LookupEvent::kInstallIniNotLoaded, {installIni});
        return std::wstring();
    }
    // The list is kept apart from the reader, which loads each component's
    // file in turn.
    const std::wstring list = ini.GetString(L"InstallCompose", kComposeListKey);
    if (context.Noting()) {
        LookupStep order{LookupEvent::kSearchOrder, {}};
        ForEachInstalledComponent(list, [&](const wchar_t* name, size_t length) {
            order.texts.emplace_back(name, length);
            return true;
        });
        context.Note(std::move(order));
    }

    std::wstring name;
    std::wstring path;
    // Searches one component; false once it holds the file.
    auto searchComponent = [&](const wchar_t* start, size_t length) {
        name.assign(start, length);
        const ComponentRecord found =
            SearchComponent(ini, name, fileName, nullptr, KeyMatch::kStoredKey, context);
        if (!found.loaded)
            return true;
        if (!found.matched) {
            context.Note(LookupEvent::kNoRecord, {name, fileName});
            return true;
        }
        path = found.path;
        return path.empty();
    };
    ForEachInstalledComponent(list, searchComponent);
    if (!path.empty()) {
        if (component)
            *component = name;
        return path;
    }
    context.Note(LookupEvent::kNotFound);
    return std::wstring();
}

std::wstring LocateInstalledFile(const wchar_t* fileName, std::wstring* component,
                                 const LookupContext& context)
{
    if (!fileName)
        return std::wstring();
    std::wstring owner;
    UnmapFileName(fileName, owner, context);
    std::wstring path;
    if (!owner.empty()) {
        context.Note(LookupEvent::kOwnerFromMap, {owner});
        path = FindComponentFile(owner.c_str(), fileName, nullptr, context);
    }
    if (path.empty())
        return SearchInstalledComponents(fileName, component, context);
    if (component)
        *component = owner;
    return path;
}

std::wstring NormalizeFileName(const wchar_t* name)
{
    if (!name)
        return std::wstring();
    const std::wstring text(name);
    // Names that do not fit the working buffer are used as they are.
    if (text.size() >= kLocatorBufferChars)
        return text;
    const size_t underscore = text.rfind(L'_');
    if (underscore == std::wstring::npos)
        return text;
    const size_t dot = text.rfind(L'.');
    return text.substr(0, underscore) + (dot == std::wstring::npos ? L"" : text.substr(dot));
}

bool IsInstalledFile(const wchar_t* path, const LookupContext& context)
{
    if (!path)
        return false;
    const std::wstring name = NormalizeFileName(PathFindFileNameW(path));
    context.Note(LookupEvent::kNameNormalized, {PathFindFileNameW(path), name});
    const std::wstring located = LocateInstalledFile(name.c_str(), nullptr, context);
    if (located.empty()) {
        context.Note(LookupEvent::kNotLocated);
        return false;
    }
    if (EqualsNoCase(located, std::wstring(path))) {
        context.Note(LookupEvent::kSamePath);
        return true;
    }

    wchar_t shortLocated[kLocatorBufferChars] = {};
    wchar_t shortPath[kLocatorBufferChars] = {};
    const std::wstring a =
        FromSystemBuffer(shortLocated,
                         GetShortPathNameW(located.c_str(), shortLocated, kLocatorBufferChars));
    const std::wstring b =
        FromSystemBuffer(shortPath, GetShortPathNameW(path, shortPath, kLocatorBufferChars));
    // Without both short forms the long forms decide, and they differ.
    const bool same = !a.empty() && !b.empty() && EqualsNoCase(a, b);
    context.Note(same ? LookupEvent::kShortFormsSame : LookupEvent::kShortFormsDiffer,
                 {located, a, b});
    return same;
}

}  // namespace tn
