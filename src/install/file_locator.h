#pragma once
#include <string>

#include "config/file_record.h"
#include "install/file_map.h"  // IsDirectoryMacro, MapFileName, UnmapFileName
#include "install/lookup_context.h"

namespace tn {

// Texts read from the system (system and Windows directories, environment
// expansions, short paths) and names normalised in place use buffers of this
// many units, terminator included.
constexpr size_t kLocatorBufferChars = 260;

// The log line of a record that asks for the 64-bit system directory where
// the process has none to switch to (it is not WOW64): the system directory
// serves instead.
inline constexpr const char* kSystem64FallbackLogLine =
    "warning , GetSystemDirectoryFor64 is failed ! so user GetSystemDirectory for win32.";

// Where a file record puts its file: the destination (an environment path
// beginning with "%", a directory macro "$SYSTEM32" / "$WINDOWS" / other
// "$", or a directory relative to the component's Path below the install
// directory) joined with the name the file map gives the file. Uses the
// entry's Record (Name, DestDir, OsMask), Component and ComponentPath.
std::wstring ResolveFileRecordPath(const FileEntry& entry, const LookupContext& context);

// Full path of `fileName` of `component`: the first record of the file in
// the component's record sections, in [HaveSection] order and file order,
// whose destination equals `filter` (any destination for a null filter).
// Without such a record, [OldFile_Map] may send the search to another
// component; otherwise the answer is the default path {I}<Path>\<mapped
// name>. Empty when a description file on the way does not load, or for a
// null component or file name. A redirection back to a component already
// searched answers that component's default path.
std::wstring FindComponentFile(const wchar_t* component, const wchar_t* fileName,
                               const wchar_t* filter, const LookupContext& context);

// Searches the installed components (install.ini's ComposeList, then the
// built-in "TNol") for a record of `fileName`, without filter and without
// redirections. On a hit returns the resolved path and assigns the component
// to `*component` (when given); otherwise returns empty and leaves it as it was.
std::wstring SearchInstalledComponents(const wchar_t* fileName, std::wstring* component,
                                       const LookupContext& context);

// Where the installation keeps `fileName`: through the owner the reverse file
// map names for it, else by searching the installed components. `*component`
// (when given) receives the component that holds the file, and is left as
// it was when the file is not found.
std::wstring LocateInstalledFile(const wchar_t* fileName, std::wstring* component,
                                 const LookupContext& context);

// A file name without the "_" part before its extension: setup_2.exe gives
// setup.exe, a_b_c.dll gives a_b.dll, read_me gives read. Empty for null; a
// name of kLocatorBufferChars or more characters comes back unchanged.
std::wstring NormalizeFileName(const wchar_t* name);

// True when `path` is where the installation keeps the file it names (its
// file name normalised first). Paths are compared case-insensitively, and
// through their short forms when the long forms differ; when a short form
// cannot be had, the long forms decide.
bool IsInstalledFile(const wchar_t* path, const LookupContext& context);

}  // namespace tn
