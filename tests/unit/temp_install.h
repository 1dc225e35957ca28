#pragma once
#include <string>

#include "test_support.h"

namespace tntest {

// An empty install tree in a temporary folder, set as "InstallPath" for the
// object's life (the process-wide install directory cache is reset on both
// ends). Files are written as the installation keeps them: UTF-16LE with a
// byte-order mark and CR LF line ends.
class TempInstall {
public:
    TempInstall();
    ~TempInstall();
    TempInstall(const TempInstall&) = delete;
    TempInstall& operator=(const TempInstall&) = delete;

    const std::wstring& Root() const { return dir_.Path(); }  // ends in a backslash
    void WriteProduct(const std::wstring& product, const std::wstring& text) const;
    void WriteCompose(const std::wstring& component, const std::wstring& text) const;
    void WriteInstallIni(const std::wstring& text) const;
    // Installed products and components as install.ini lists them.
    void SetInstalled(const std::wstring& productList, const std::wstring& composeList) const;

private:
    TempDir dir_;
    MachineValue installPath_;
};

}  // namespace tntest
