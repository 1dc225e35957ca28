#pragma once
#include <string>
#include <vector>

namespace tnrobust {

// One file of the demo installation: its path below the install directory
// and its text (LF line ends).
struct DemoFile {
    std::wstring relative;
    std::wstring text;
};

// Every file below demo/install beside the running program.
const std::vector<DemoFile>& DemoFiles();

// A line of the shape of a file record: a key, "=" and ten or more commas.
bool LooksLikeRecord(const std::wstring& line);

// Writes the demo installation below `root` (ending in a backslash) as the
// installation keeps it: UTF-16LE, byte-order mark, CR LF.
void WriteDemoTree(const std::wstring& root);

// Creates every missing folder of `path` up to its last backslash.
void MakeParentDirs(const std::wstring& path);

}  // namespace tnrobust
