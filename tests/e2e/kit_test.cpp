// The callers' kit: the C example and a caller linked by lld-link run against
// the built DLL, and every module carries its version resource.
#include <gtest/gtest.h>

#include <windows.h>

#include "demo_install.h"
#include "probe_runner.h"
#include "test_support.h"
#include "tn_version.h"

using tntest::MachineValue;

namespace {

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name)
{
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value)
        return std::wstring();
    return static_cast<const wchar_t*>(value);
}

TEST(Kit, EveryModuleCarriesItsVersionResource)
{
    const std::wstring product = tntest::FromUtf8(TN_PRODUCT_NAME);
    const std::wstring version = tntest::FromUtf8(TN_VERSION_STRING);
    for (const wchar_t* file : {L"TNInstall.dll", L"Vaultcore.dll", L"tninstall.exe"}) {
        const std::wstring path = tntest::ExeDir() + file;
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
        ASSERT_NE(0u, size) << tntest::ToUtf8(file);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(DWORD(MAKELONG(TN_VERSION_MINOR, TN_VERSION_MAJOR)), fixed->dwFileVersionMS);
        EXPECT_EQ(DWORD(MAKELONG(TN_VERSION_BUILD, TN_VERSION_PATCH)), fixed->dwFileVersionLS);
        EXPECT_EQ(product, VersionString(block, L"ProductName"));
        EXPECT_EQ(version, VersionString(block, L"FileVersion"));
        EXPECT_EQ(std::wstring(file), VersionString(block, L"OriginalFilename"));
        EXPECT_FALSE(VersionString(block, L"FileDescription").empty());
    }
}

TEST(Kit, CExampleAsksTheLibrary)
{
    const std::wstring exe = tntest::ExeDir() + L"where_is.exe";
    {
        MachineValue install(L"InstallPath", L"C:\\Prog\\Suite");
        const auto run = tntest::RunProcess(exe, {}, tntest::ExeDir(), true);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ("install directory: C:\\Prog\\Suite\\\r\n", run.out);  // CRT text mode
    }
    {
        // On the demo installation, a file kept under a mapped name.
        tntest::TempDir dir;
        const std::wstring root = dir / L"Suite\\";
        tntest::WriteDemoInstall(root);
        tntest::SetVaultString(L"FileMap\\Updater", L"tnupdate.exe", L"tnupdate_7.exe");
        MachineValue install(L"InstallPath", root.c_str());
        const auto run = tntest::RunProcess(exe, {L"tnupdate.exe"}, tntest::ExeDir(), true);
        tntest::DeleteVaultTree(L"FileMap");
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ("install directory: " + tntest::ToUtf8(root) + "\r\ntnupdate.exe: " +
                      tntest::ToUtf8(root) + "Update\\tnupdate_7.exe (component Updater)\r\n",
                  run.out);
    }
    MachineValue install(L"InstallPath", nullptr);
    const auto run = tntest::RunProcess(exe, {}, tntest::ExeDir(), true);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("not set"));
}

TEST(Kit, CallerLinkedByLldLinkAgainstTNInstallLib)
{
    // Built in Microsoft's conventions, without a C runtime: its output is
    // written as it stands, and it exits 0 only when it also got an NT class
    // or a WOW64 value.
    const std::wstring exe = tntest::ExeDir() + L"tn_msvc_caller.exe";
    {
        MachineValue install(L"InstallPath", L"C:\\Prog\\Suite");
        const auto run = tntest::RunProcess(exe, {}, tntest::ExeDir(), true);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ("install directory: C:\\Prog\\Suite\\\n", run.out);
    }
    MachineValue install(L"InstallPath", nullptr);
    const auto run = tntest::RunProcess(exe, {}, tntest::ExeDir(), true);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ("the suite's install directory is not set\n", run.out);
}

}  // namespace
