#include "temp_install.h"

#include "install/layout.h"

namespace tntest {

TempInstall::TempInstall() : installPath_(L"InstallPath", dir_.Path().c_str())
{
    tn::ResetInstallDirCacheForTesting();
}

TempInstall::~TempInstall() { tn::ResetInstallDirCacheForTesting(); }

void TempInstall::WriteProduct(const std::wstring& product, const std::wstring& text) const
{
    WriteUtf16(Root() + L"Install\\Product\\" + product + L".ini", text);
}

void TempInstall::WriteCompose(const std::wstring& component, const std::wstring& text) const
{
    WriteUtf16(Root() + L"Install\\Compose\\" + component + L".ini", text);
}

void TempInstall::WriteInstallIni(const std::wstring& text) const
{
    WriteUtf16(Root() + L"Install\\install.ini", text);
}

void TempInstall::SetInstalled(const std::wstring& productList,
                               const std::wstring& composeList) const
{
    WriteInstallIni(L"[InstallProduct]\nProductList=" + productList +
                    L"\n\n[InstallCompose]\nComposeList=" + composeList + L"\n");
}

}  // namespace tntest
