#include "demo_files.h"

#include <windows.h>

#include <algorithm>

#include "demo_install.h"
#include "file_util.h"
#include "mutator.h"
#include "test_support.h"

namespace tnrobust {
namespace {

// Adds the files below `root` + `relative` (a folder path ending in a
// backslash, or empty), with paths relative to `root`.
void Collect(const std::wstring& root, const std::wstring& relative, std::vector<DemoFile>& out)
{
    std::wstring folder = root + relative;
    folder.pop_back();  // the listing functions take a folder without its backslash
    for (const std::wstring& sub : ListFolders(folder))
        Collect(root, sub.substr(root.size()) + L"\\", out);
    for (const std::wstring& file : ListFiles(folder)) {
        std::wstring text;
        for (wchar_t c : tntest::FromUtf8(ReadFileBytes(file)))
            if (c != L'\r')
                text += c;
        if (!text.empty() && text[0] == wchar_t(0xFEFF))
            text.erase(0, 1);
        out.push_back({file.substr(root.size()), text});
    }
}

}  // namespace

const std::vector<DemoFile>& DemoFiles()
{
    static const std::vector<DemoFile> files = [] {
        std::vector<DemoFile> found;
        const std::wstring root = tntest::DemoDir() + L"install";
        Collect(root + L"\\", L"", found);
        return found;
    }();
    return files;
}

bool LooksLikeRecord(const std::wstring& line)
{
    return line.find(L'=') != std::wstring::npos &&
           std::count(line.begin(), line.end(), L',') >= 10;
}

void MakeParentDirs(const std::wstring& path)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}

void WriteDemoTree(const std::wstring& root)
{
    for (const DemoFile& file : DemoFiles()) {
        MakeParentDirs(root + file.relative);
        WriteFileBytes(root + file.relative, Utf16Bytes(file.text, true, true));
    }
}

}  // namespace tnrobust
