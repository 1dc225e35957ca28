#include "demo_install.h"

#include <windows.h>

#include <stdexcept>

#include "test_support.h"

namespace tntest {
namespace {

// UTF-8 text of a source file, without a UTF-8 byte-order mark and without CR.
std::wstring ReadSourceText(const std::wstring& path)
{
    std::string bytes = ReadBytes(path);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    std::wstring text = FromUtf8(bytes);
    std::wstring clean;
    for (wchar_t c : text)
        if (c != L'\r')
            clean += c;
    return clean;
}

size_t CopyTree(const std::wstring& from, const std::wstring& to)
{
    size_t files = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files += CopyTree(from + name + L"\\", to + name + L"\\");
        } else {
            WriteUtf16(to + name, ReadSourceText(from + name));
            ++files;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

}  // namespace

std::wstring DemoDir() { return ExeDir() + L"demo\\"; }

size_t WriteDemoInstall(const std::wstring& root)
{
    const size_t files = CopyTree(DemoDir() + L"install\\", root);
    if (files == 0)
        throw std::runtime_error("the demo installation is missing beside the test program");
    return files;
}

std::vector<FileMapEntry> ReadDemoFileMap()
{
    const std::wstring text = ReadSourceText(DemoDir() + L"filemap.txt");
    std::vector<FileMapEntry> entries;
    for (const std::wstring& line : SplitLines(text)) {
        if (line.empty() || line[0] == L'#')
            continue;
        const size_t tab1 = line.find(L'\t');
        const size_t tab2 = tab1 == std::wstring::npos ? tab1 : line.find(L'\t', tab1 + 1);
        if (tab2 == std::wstring::npos)
            throw std::runtime_error("demo/filemap.txt: a line without three fields");
        entries.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1),
                           line.substr(tab2 + 1)});
    }
    return entries;
}

}  // namespace tntest
