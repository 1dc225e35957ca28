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
// The longest mapped name a lookup can read back.
constexpr size_t kMappedNameMaxChars = kFileMapTextChars - 1;

// True when `text` begins with "$" (a directory macro such as "$SYSTEM32" or
// "$WINDOWS"); false for null.
bool IsDirectoryMacro(const wchar_t* text);

// The key of the entries of `owner`: "FileMap\<owner>", followed by
// "\<subKey>" when the sub-key is given, not empty and not a directory macro
// (a destination beginning with "$" keeps its files in the owner's own key).
// A null owner gives "FileMap\", the key the reverse lookup searches.
// Lookups and writes both take their key from here.
std::wstring FileMapKeyPath(const wchar_t* owner, const wchar_t* subKey);

// The name under which the map keeps `fileName` of `owner`, looked up in
// the key FileMapKeyPath(owner, subKey).
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

// Stores `mapped` as the name under which the map keeps `file` of `owner`
// (in the key FileMapKeyPath(owner, subKey)) as a REG_SZ value, creating
// the keys on the way. Returns a Win32 error code: 0 stored; ERROR_INVALID_PARAMETER
// (87) for an empty or missing owner, file or mapped name, an owner holding a
// backslash (its key could not name it), or a mapped name longer than
// kMappedNameMaxChars (a lookup could not read it); ERROR_MOD_NOT_FOUND (126)
// when the hive store cannot be loaded; or the store's own code.
LONG WriteFileMapEntry(const wchar_t* owner, const wchar_t* subKey, const wchar_t* file,
                       const wchar_t* mapped);

}  // namespace tn
