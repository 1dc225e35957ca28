#pragma once
#include <windows.h>
#include <string>

#include "install/lookup_context.h"

namespace tn {

// The file map lives in the hive store below this key: one subkey per owner
// component, optionally a second level per plain destination directory, and
// in it one string value per file (name: the record's file name, data: the
// name the installation stores the file under).
inline constexpr const wchar_t* kFileMapKey = L"FileMap";
// Buffers for a mapped name and for the reverse lookup's name and key path,
// terminator included.
constexpr DWORD kFileMapTextChars = MAX_PATH;

// True when `text` begins with "$" (a directory macro such as "$SYSTEM32" or
// "$WINDOWS"); false for null.
bool IsDirectoryMacro(const wchar_t* text);

// The name under which the map keeps `fileName` of `owner`, looked up below
// FileMap\<owner>[\<subKey>] (a null, empty or macro sub-key is left out).
// Empty for a null file name; the file name itself when the map is off, the
// owner is null, or the map holds no usable entry for it (an empty mapped
// name counts as no entry).
std::wstring MapFileName(const wchar_t* owner, const wchar_t* fileName, const wchar_t* subKey,
                         const LookupContext& context);

// The reverse: the file name the map keeps for `mappedName`, and in `owner`
// the component below whose key it was found. Empty for a null name; the
// mapped name itself when the map is off or has no entry. `owner` is
// assigned only when the map names one, and left untouched otherwise.
std::wstring UnmapFileName(const wchar_t* mappedName, std::wstring& owner,
                           const LookupContext& context);

}  // namespace tn
