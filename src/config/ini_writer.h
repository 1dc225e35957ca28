#pragma once
#include <vector>

namespace tn {

class CIniSection;

// Writes `sections` to `path` as UTF-16LE text with a byte-order mark: per
// section a "[name]" line, a "key=value" line per entry and an empty line,
// each ending in CR LF. The attributes of a file already there are cleared
// first, so a read-only one is replaced too. The text goes to a temporary
// file that then replaces the target (ReplaceFileContent): false, the old
// file kept, on any failure, running out of memory included.
bool WriteIniFile(const wchar_t* path, const std::vector<CIniSection*>& sections);

}  // namespace tn
