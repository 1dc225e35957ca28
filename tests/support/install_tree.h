#pragma once
#include <string>

#include "test_support.h"

namespace tntest {

// A temporary installation tree whose folder "InstallPath" names while the
// object lives (the old value comes back afterwards). Unit tests also reset
// the library's install-directory cache around it.
class InstallTree {
public:
    InstallTree();
    const std::wstring& Dir() const { return dir_.Path(); }  // ends in a backslash
    // {I}Install\Compose\<component>.ini
    std::wstring ComposeFile(const std::wstring& component) const;
    void WriteComponent(const std::wstring& component, const std::wstring& text) const;
    // {I}Install\install.ini listing `composeList` as the installed components.
    void WriteInstallIni(const std::wstring& composeList) const;
    // A file below the tree, created empty (folders included); its full path.
    std::wstring MakeFile(const std::wstring& relative) const;
    // The diagnostic log of `program` below the tree; empty when absent.
    std::string ReadLog(const std::wstring& program) const;

private:
    TempDir dir_;
    MachineValue install_;
};

// The value of a file record line: sixteen items with `dest` as the
// destination and `osMask` as the last item.
std::wstring RecordValue(const std::wstring& dest, const std::wstring& osMask = L"0");

}  // namespace tntest
