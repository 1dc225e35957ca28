// The stand-in store answers OpenKey, ReadValue and FindValue from a copy of
// the vault kept in the process. These tests hold it to the registry: every
// answer equals the registry's, also right after the registry was changed
// by this process, by another process, or had its vault deleted.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/hive_interface.h"
#include "probe_runner.h"
#include "test_support.h"

namespace {

const wchar_t* const kVaultKey = L"Software\\Tessaron\\Vault";

GetHivePtrFn StoreEntry()
{
    HMODULE module = LoadLibraryW(L"Vaultcore.dll");
    return module ? reinterpret_cast<GetHivePtrFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, "GetHivePtr")))
                  : nullptr;
}

// One key object of the store for one scope.
class StoreKey {
public:
    StoreKey() : key_(StoreEntry()()) {}
    ~StoreKey()
    {
        key_->CloseKey();
        key_->Release();
    }
    StoreKey(const StoreKey&) = delete;
    StoreKey& operator=(const StoreKey&) = delete;
    IHiveKey* operator->() const { return key_; }

private:
    IHiveKey* key_;
};

std::wstring ReadString(const wchar_t* keyPath, const wchar_t* name)
{
    StoreKey key;
    if (key->OpenKey(HKEY_LOCAL_MACHINE, keyPath, KEY_READ) != ERROR_SUCCESS)
        return L"<no key>";
    wchar_t buffer[260] = {};
    DWORD type = 0, size = sizeof(buffer) - sizeof(wchar_t);
    if (key->ReadValue(name, &type, buffer, &size) != ERROR_SUCCESS)
        return L"<no value>";
    return buffer;
}

// The owner's key path FindValue reports for a stored name, or "<none>".
std::wstring Reverse(const wchar_t* mapped)
{
    StoreKey key;
    if (key->OpenKey(HKEY_LOCAL_MACHINE, L"FileMap\\", KEY_READ) != ERROR_SUCCESS)
        return L"<no key>";
    wchar_t name[260] = {}, path[260] = {};
    DWORD count = 260;
    if (key->FindValue(mapped, name, &count, path) != ERROR_SUCCESS)
        return L"<none>";
    return std::wstring(path) + L":" + name;
}

class VaultCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, StoreEntry());
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"CopyTest");
    }
    void TearDown() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tntest::DeleteVaultTree(L"CopyTest");
    }
};

TEST_F(VaultCopy, FollowsEveryChangeOfThisProcess)
{
    tntest::SetVaultString(L"FileMap\\Scan", L"a.dll", L"m1.tnm");
    EXPECT_EQ(L"m1.tnm", ReadString(L"FileMap\\Scan", L"a.dll"));
    EXPECT_EQ(L"Scan:a.dll", Reverse(L"M1.TNM"));

    tntest::SetVaultString(L"FileMap\\Scan", L"a.dll", L"m2.tnm");
    EXPECT_EQ(L"m2.tnm", ReadString(L"FileMap\\Scan", L"a.dll"));
    EXPECT_EQ(L"<none>", Reverse(L"m1.tnm"));
    EXPECT_EQ(L"Scan:a.dll", Reverse(L"m2.tnm"));

    tntest::SetVaultString(L"FileMap\\Guard\\bin", L"g.sys", L"m3.tnm");
    EXPECT_EQ(L"Guard\\bin:g.sys", Reverse(L"m3.tnm"));

    tntest::DeleteVaultTree(L"FileMap\\Scan");
    EXPECT_EQ(L"<no key>", ReadString(L"FileMap\\Scan", L"a.dll"));
    EXPECT_EQ(L"<none>", Reverse(L"m2.tnm"));

    // The whole vault goes, and comes back.
    tntest::DeleteVaultTree(L"");
    EXPECT_EQ(L"<no key>", Reverse(L"m3.tnm"));
    tntest::SetVaultString(L"FileMap\\Web", L"w.dll", L"m4.tnm");
    EXPECT_EQ(L"Web:w.dll", Reverse(L"m4.tnm"));
    EXPECT_EQ(L"m4.tnm", ReadString(L"FileMap\\Web", L"w.dll"));

    // A write through the store itself is seen by the next key object.
    {
        StoreKey key;
        ASSERT_EQ(0, key->CreateKey(HKEY_LOCAL_MACHINE, L"FileMap\\Web"));
        const wchar_t data[] = L"m5.tnm";
        ASSERT_EQ(0, key->WriteValue(L"w.dll", REG_SZ, data, sizeof(data)));
    }
    EXPECT_EQ(L"m5.tnm", ReadString(L"FileMap\\Web", L"w.dll"));
}

TEST_F(VaultCopy, FollowsAChangeOfAnotherProcess)
{
    tntest::SetVaultString(L"FileMap\\Scan", L"a.dll", L"m1.tnm");
    EXPECT_EQ(L"m1.tnm", ReadString(L"FileMap\\Scan", L"a.dll"));
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const tntest::ProcessResult reg = tntest::RunProcess(
        std::wstring(system) + L"\\reg.exe",
        {L"add", L"HKLM\\Software\\Tessaron\\Vault\\FileMap\\Scan", L"/v", L"a.dll", L"/t",
         L"REG_SZ", L"/d", L"m9.tnm", L"/f"});
    ASSERT_EQ(0u, reg.exitCode) << reg.out;
    EXPECT_EQ(L"m9.tnm", ReadString(L"FileMap\\Scan", L"a.dll"));
    EXPECT_EQ(L"Scan:a.dll", Reverse(L"m9.tnm"));
}

// ReadValue from the copy (a key opened with OpenKey) against the registry
// itself, call for call.
TEST_F(VaultCopy, ReadsAsTheRegistryDoes)
{
    const BYTE odd[3] = {1, 2, 3};
    const DWORD number = 0x0409;
    tntest::SetVaultString(L"CopyTest", L"Text", L"hello");
    tntest::SetVaultString(L"CopyTest", L"", L"default");
    tntest::SetVaultBytes(L"CopyTest", L"Number", REG_DWORD, &number, sizeof(number));
    tntest::SetVaultBytes(L"CopyTest", L"Odd", REG_BINARY, odd, sizeof(odd));
    tntest::SetVaultBytes(L"CopyTest", L"Empty", REG_SZ, nullptr, 0);

    struct Case {
        const wchar_t* name;
        DWORD capacity;  // bytes offered
        bool withData;
    } const cases[] = {
        {L"Text", 64, true},   {L"Text", 12, true},  {L"Text", 11, true},  {L"Text", 0, false},
        {L"TEXT", 64, true},   {L"Number", 4, true}, {L"Number", 2, true}, {L"Odd", 64, true},
        {L"Empty", 64, true},  {L"", 64, true},      {nullptr, 64, true},  {L"Missing", 64, true},
    };
    HKEY registry = nullptr;
    ASSERT_EQ(0, RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kVaultKey) + L"\\CopyTest").c_str(),
                               0, KEY_READ, &registry));
    StoreKey key;
    ASSERT_EQ(0, key->OpenKey(HKEY_LOCAL_MACHINE, L"CopyTest", KEY_READ));
    for (const Case& c : cases) {
        BYTE expected[64], actual[64];
        memset(expected, 0xEE, sizeof(expected));
        memset(actual, 0xEE, sizeof(actual));
        DWORD expectedType = 0xDEADBEEF, actualType = 0xDEADBEEF;
        DWORD expectedSize = c.capacity, actualSize = c.capacity;
        const LONG expectedResult = RegQueryValueExW(registry, c.name, nullptr, &expectedType,
                                                     c.withData ? expected : nullptr, &expectedSize);
        const LONG actualResult =
            key->ReadValue(c.name, &actualType, c.withData ? actual : nullptr, &actualSize);
        const std::wstring label = c.name ? c.name : L"(null)";
        EXPECT_EQ(expectedResult, actualResult) << label.c_str() << " " << c.capacity;
        EXPECT_EQ(expectedSize, actualSize) << label.c_str() << " " << c.capacity;
        if (expectedResult == ERROR_SUCCESS) {
            EXPECT_EQ(expectedType, actualType) << label.c_str();
            EXPECT_EQ(0, memcmp(expected, actual, sizeof(expected))) << label.c_str();
        }
    }
    RegCloseKey(registry);
}

// Key paths of every shape open (or fail) as the registry opens them.
TEST_F(VaultCopy, OpensPathsAsTheRegistryDoes)
{
    tntest::SetVaultString(L"CopyTest\\Sub", L"x", L"y");
    const wchar_t* const paths[] = {L"CopyTest\\Sub",  L"CopyTest\\Sub\\", L"COPYTEST\\sub",
                                    L"CopyTest\\Nope", L"CopyTest\\\\Sub", L"\\CopyTest",
                                    L"CopyTest",       L"",               L"\\"};
    for (const wchar_t* path : paths) {
        std::wstring full = kVaultKey;
        std::wstring rest = path;
        while (!rest.empty() && rest.back() == L'\\')
            rest.pop_back();
        if (!rest.empty())
            full += L"\\" + rest;
        HKEY registry = nullptr;
        const LONG expected = RegOpenKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, KEY_READ, &registry);
        if (expected == ERROR_SUCCESS)
            RegCloseKey(registry);
        StoreKey key;
        EXPECT_EQ(expected, key->OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ)) << path;
    }
}

TEST_F(VaultCopy, WritesThroughAnOpenedKeyKeepTheirAccessRights)
{
    tntest::SetVaultString(L"CopyTest", L"Text", L"old");
    const wchar_t data[] = L"new";
    {
        StoreKey readOnly;
        ASSERT_EQ(0, readOnly->OpenKey(HKEY_LOCAL_MACHINE, L"CopyTest", KEY_READ));
        HKEY registry = nullptr;
        ASSERT_EQ(0, RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                   (std::wstring(kVaultKey) + L"\\CopyTest").c_str(), 0, KEY_READ,
                                   &registry));
        const LONG expected = RegSetValueExW(registry, L"Text", 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(L"old"), 8);
        RegCloseKey(registry);
        EXPECT_EQ(expected, readOnly->WriteValue(L"Text", REG_SZ, data, sizeof(data)));
    }
    {
        StoreKey writable;
        ASSERT_EQ(0, writable->OpenKey(HKEY_LOCAL_MACHINE, L"CopyTest", KEY_READ | KEY_WRITE));
        EXPECT_EQ(0, writable->WriteValue(L"Text", REG_SZ, data, sizeof(data)));
    }
    EXPECT_EQ(L"new", ReadString(L"CopyTest", L"Text"));
}

}  // namespace
