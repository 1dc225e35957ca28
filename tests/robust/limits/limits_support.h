#pragma once
#include <string>

#include "install/layout.h"
#include "test_support.h"

namespace tnrobust {

// Heap blocks of at least this many bytes end at a guard page in these tests.
constexpr size_t kGuardPagesFrom = 16;

// An empty install tree in a temporary folder, set as "InstallPath" while
// the object lives; the install-directory cache is reset on both ends.
class LimitsInstall {
public:
    LimitsInstall() { tn::ResetInstallDirCacheForTesting(); }
    explicit LimitsInstall(const std::wstring& root)
        : root_(root), install_(L"InstallPath", root.c_str())
    {
        tn::ResetInstallDirCacheForTesting();
    }
    ~LimitsInstall() { tn::ResetInstallDirCacheForTesting(); }
    LimitsInstall(const LimitsInstall&) = delete;
    LimitsInstall& operator=(const LimitsInstall&) = delete;

    const std::wstring& Root() const { return root_; }
    std::wstring ComposeFile(const std::wstring& component) const
    {
        return root_ + L"Install\\Compose\\" + component + L".ini";
    }
    void WriteCompose(const std::wstring& component, const std::wstring& text) const
    {
        tntest::WriteUtf16(ComposeFile(component), text);
    }
    void WriteProduct(const std::wstring& product, const std::wstring& text) const
    {
        tntest::WriteUtf16(root_ + L"Install\\Product\\" + product + L".ini", text);
    }
    void WriteInstallIni(const std::wstring& text) const
    {
        tntest::WriteUtf16(root_ + L"Install\\install.ini", text);
    }

private:
    tntest::TempDir dir_;
    std::wstring root_ = dir_.Path();
    tntest::MachineValue install_{L"InstallPath", root_.c_str()};
};

// A file record value of sixteen items with `dest` as its destination.
inline std::wstring RecordLine(const std::wstring& dest)
{
    return L"src," + dest + L",1,2,3,4,5,6,7,8,a,b,1F,c,9,0";
}

}  // namespace tnrobust
