#pragma once
#include <cstdint>
#include <string>

namespace tnrobust {

// A digest of every file below `root` (ending in a backslash): relative
// names, sizes and contents, in a fixed order. Folders named in `skip`
// (relative, e.g. "Data\\") are left out: the log writes there.
uint64_t HashTree(const std::wstring& root, const std::wstring& skip = L"Data\\");

}  // namespace tnrobust
