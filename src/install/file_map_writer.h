#pragma once
#include <windows.h>
#include <string>

namespace tn {

// Where a file-map entry lives: "FileMap\<owner>", followed by "\<sub-key>"
// when the sub-key is given, not empty and not a directory macro (a
// destination beginning with "$" is looked up in the owner's own key).
std::wstring FileMapEntryKeyPath(const wchar_t* owner, const wchar_t* subKey);

// A mapped name is read back into 260 units, terminator included.
constexpr size_t kMappedNameMaxChars = 259;

// Stores `mapped` as the name under which the file map keeps `file` of the
// component `owner` (below `subKey`, as FileMapEntryKeyPath says), as a
// REG_SZ value, creating the keys on the way. Returns a Win32 error code:
// 0 stored; ERROR_INVALID_PARAMETER (87) for an empty or missing owner, file
// or mapped name, an owner holding a backslash (its key could not name it),
// or a mapped name longer than kMappedNameMaxChars (a lookup could not read
// it); ERROR_MOD_NOT_FOUND (126) when the hive store cannot be loaded; or the
// store's own code.
LONG WriteFileMapEntry(const wchar_t* owner, const wchar_t* subKey, const wchar_t* file,
                       const wchar_t* mapped);

}  // namespace tn
