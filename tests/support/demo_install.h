#pragma once
#include <string>
#include <vector>

namespace tntest {

// The demo installation kept in the source tree under demo/ (UTF-8 text with
// LF line ends), copied beside the test programs at build time.

// The demo folder beside the running test program, with a backslash.
std::wstring DemoDir();

// Writes every file below demo/install into `root` (an install directory,
// ending in a backslash) as the installation keeps it: UTF-16LE with a
// byte-order mark and CR LF line ends. Returns the number of files written.
size_t WriteDemoInstall(const std::wstring& root);

// One entry of demo/filemap.txt: a hive-store key below the store's root,
// the file name (value name) and the mapped name (REG_SZ data).
struct FileMapEntry {
    std::wstring key;
    std::wstring name;
    std::wstring mapped;
};
std::vector<FileMapEntry> ReadDemoFileMap();

}  // namespace tntest
