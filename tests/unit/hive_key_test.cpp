#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/hive_key.h"
#include "test_support.h"

namespace {

// A hive-store key whose answers the test chooses, counting its calls.
class FakeHive final : public IHiveKey {
public:
    LONG openResult = 0, readResult = 0, closeResult = 0;
    DWORD readType = REG_SZ;
    std::vector<BYTE> readData;
    int releases = 0, closes = 0, opens = 0, reads = 0, writes = 0;
    DWORD writtenType = 0;
    std::vector<BYTE> written;

    void Release() override { ++releases; }
    LONG Reserved1() override { return ERROR_CALL_NOT_IMPLEMENTED; }
    LONG WriteValue(const wchar_t*, DWORD type, const void* data, DWORD size) override
    {
        ++writes;
        writtenType = type;
        written.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
        return 0;
    }
    LONG ReadValue(const wchar_t*, DWORD* type, void* data, DWORD* size) override
    {
        ++reads;
        if (readResult != 0)
            return readResult;
        *type = readType;
        if (data) {
            if (readData.size() > *size)
                return ERROR_MORE_DATA;
            memcpy(data, readData.data(), readData.size());
        }
        *size = DWORD(readData.size());
        return 0;
    }
    LONG CreateKey(HKEY, const wchar_t*) override { ++opens; return openResult; }
    LONG OpenKey(HKEY, const wchar_t*, DWORD) override { ++opens; return openResult; }
    LONG CloseKey() override { ++closes; return closeResult; }
    LONG Reserved7() override { return 0; }
    LONG Reserved8() override { return 0; }
    LONG Reserved9() override { return 0; }
    LONG Reserved10() override { return 0; }
    LONG Reserved11() override { return 0; }
    LONG Reserved12() override { return 0; }
    LONG FindValue(const wchar_t*, wchar_t*, DWORD*, wchar_t*) override { return 0; }
};

FakeHive* g_fake = nullptr;
IHiveKey* MakeFake() { return g_fake; }
IHiveKey* MakeNothing() { return nullptr; }

class HiveKeyCodes : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_fake = &fake;
        tn::SetHiveFactoryForTesting(&MakeFake);
    }
    void TearDown() override { tn::SetHiveFactoryForTesting(nullptr); }
    void SetString(const std::wstring& text, bool terminated = true)
    {
        const size_t bytes = (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t);
        fake.readData.assign(reinterpret_cast<const BYTE*>(text.c_str()),
                             reinterpret_cast<const BYTE*>(text.c_str()) + bytes);
    }
    FakeHive fake;
};

TEST_F(HiveKeyCodes, EmptyPathIsRefusedBeforeTheStoreIsReached)
{
    tn::CHiveKey key;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, key.Open(HKEY_LOCAL_MACHINE, L"", KEY_READ));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, key.Create(HKEY_LOCAL_MACHINE, nullptr));
    EXPECT_FALSE(key.HasInterface());
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, key.Close());
}

TEST_F(HiveKeyCodes, DestructionClosesThenReleasesOnlyWhatItHolds)
{
    {
        tn::CHiveKey unused;
    }
    EXPECT_EQ(0, fake.closes + fake.releases);
    {
        tn::CHiveKey key;
        EXPECT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, L"UI", KEY_READ));
        key.Close();
    }
    EXPECT_EQ(2, fake.closes);  // the explicit Close and the one of destruction
    EXPECT_EQ(1, fake.releases);
}

TEST_F(HiveKeyCodes, StoreWithoutKeyObjectsIsModuleNotFound)
{
    tn::SetHiveFactoryForTesting(&MakeNothing);
    tn::CHiveKey key;
    DWORD value = 0;
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, key.Open(HKEY_LOCAL_MACHINE, L"UI", KEY_READ));
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, key.QueryDWORDValue(L"Language", &value));
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, key.SetDWORDValue(L"Language", 1));
}

TEST_F(HiveKeyCodes, DwordValuesCheckTheirType)
{
    tn::CHiveKey key;
    ASSERT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, L"UI", KEY_READ));
    const DWORD stored = 0x0409;
    fake.readType = REG_DWORD;
    fake.readData.assign(reinterpret_cast<const BYTE*>(&stored),
                         reinterpret_cast<const BYTE*>(&stored) + 4);
    DWORD value = 0;
    EXPECT_EQ(0, key.QueryDWORDValue(L"Language", &value));
    EXPECT_EQ(0x0409u, value);
    fake.readType = REG_SZ;
    EXPECT_EQ(ERROR_INVALID_DATA, key.QueryDWORDValue(L"Language", &value));
    fake.readResult = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.QueryDWORDValue(L"Language", &value));

    EXPECT_EQ(0, key.SetDWORDValue(L"Language", 0x0804));
    EXPECT_EQ(DWORD(REG_DWORD), fake.writtenType);
    ASSERT_EQ(4u, fake.written.size());
    EXPECT_EQ(0x04, fake.written[0]);
    EXPECT_EQ(0x08, fake.written[1]);
}

TEST_F(HiveKeyCodes, StringValuesMustBeWellFormed)
{
    tn::CHiveKey key;
    ASSERT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, L"FileMap\\C", KEY_READ));
    wchar_t buffer[260];
    DWORD count = 260;

    SetString(L"mapped.dll");
    EXPECT_EQ(0, key.QueryStringValue(L"a.dll", buffer, &count));
    EXPECT_STREQ(L"mapped.dll", buffer);
    EXPECT_EQ(11u, count);

    struct Bad {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
    } const bad[] = {
        {"a DWORD", REG_DWORD, {1, 0, 0, 0}},
        {"no terminator", REG_SZ, {'a', 0, 'b', 0}},
        {"odd size", REG_SZ, {'a', 0, 0}},
        {"binary", REG_BINARY, {'a', 0, 0, 0}},
    };
    for (const Bad& b : bad) {
        fake.readType = b.type;
        fake.readData = b.data;
        count = 260;
        EXPECT_EQ(ERROR_INVALID_DATA, key.QueryStringValue(L"a.dll", buffer, &count)) << b.what;
        EXPECT_EQ(0u, count) << b.what;
    }

    fake.readType = REG_EXPAND_SZ;
    fake.readData.clear();
    count = 260;
    buffer[0] = L'x';
    EXPECT_EQ(0, key.QueryStringValue(L"a.dll", buffer, &count));
    EXPECT_STREQ(L"", buffer);
    EXPECT_EQ(0u, count);

    fake.readResult = ERROR_MORE_DATA;
    count = 260;
    EXPECT_EQ(ERROR_MORE_DATA, key.QueryStringValue(L"a.dll", buffer, &count));
    EXPECT_EQ(0u, count);
}

// A store that claims more bytes than the buffer holds.
class LyingHive final : public IHiveKey {
public:
    void Release() override {}
    LONG Reserved1() override { return 0; }
    LONG WriteValue(const wchar_t*, DWORD, const void*, DWORD) override { return 0; }
    LONG ReadValue(const wchar_t*, DWORD* type, void*, DWORD* size) override
    {
        *type = REG_SZ;
        *size = 100000;
        return 0;
    }
    LONG CreateKey(HKEY, const wchar_t*) override { return 0; }
    LONG OpenKey(HKEY, const wchar_t*, DWORD) override { return 0; }
    LONG CloseKey() override { return 0; }
    LONG Reserved7() override { return 0; }
    LONG Reserved8() override { return 0; }
    LONG Reserved9() override { return 0; }
    LONG Reserved10() override { return 0; }
    LONG Reserved11() override { return 0; }
    LONG Reserved12() override { return 0; }
    LONG FindValue(const wchar_t*, wchar_t*, DWORD*, wchar_t*) override { return 0; }
};

LyingHive g_liar;
IHiveKey* MakeLiar() { return &g_liar; }

TEST(HiveKeyStrings, SizeBeyondTheBufferIsInvalidData)
{
    tn::SetHiveFactoryForTesting(&MakeLiar);
    {
        tn::CHiveKey key;
        ASSERT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, L"FileMap\\C", KEY_READ));
        wchar_t buffer[260] = {};
        DWORD count = 260;
        EXPECT_EQ(ERROR_INVALID_DATA, key.QueryStringValue(L"a.dll", buffer, &count));
    }
    tn::SetHiveFactoryForTesting(nullptr);
}

// The stand-in store (Vaultcore.dll beside the test) over the real registry.
class VaultStore : public ::testing::Test {
protected:
    void SetUp() override { tntest::DeleteVaultTree(L"FileMap"); }
    void TearDown() override { tntest::DeleteVaultTree(L"FileMap"); }
};

TEST_F(VaultStore, KeepsValuesAcrossKeyObjects)
{
    {
        tn::CHiveKey key;
        ASSERT_EQ(0, key.Create(HKEY_LOCAL_MACHINE, L"FileMap\\Scan"));
        ASSERT_EQ(0, key.SetDWORDValue(L"Number", 42));
    }
    tn::CHiveKey key;
    ASSERT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, L"FileMap\\Scan\\", KEY_READ));
    DWORD value = 0;
    EXPECT_EQ(0, key.QueryDWORDValue(L"Number", &value));
    EXPECT_EQ(42u, value);
    tn::CHiveKey missing;
    EXPECT_NE(0, missing.Open(HKEY_LOCAL_MACHINE, L"FileMap\\Nothing", KEY_READ));
    missing.Close();  // harmless after a failed open, and again at destruction
}

TEST_F(VaultStore, FindValueSearchesDepthFirstAndNamesTheKeyPath)
{
    tntest::SetVaultString(L"FileMap\\Scan", L"engine.dll", L"eng_v2.dll");
    tntest::SetVaultString(L"FileMap\\Guard\\bin", L"guard.sys", L"GRD_7.SYS", REG_EXPAND_SZ);
    tn::CHiveKey key;
    ASSERT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, L"FileMap\\", KEY_READ));
    struct Case {
        const wchar_t* text;
        LONG result;
        const wchar_t* name;
        const wchar_t* path;
    } const cases[] = {
        {L"eng_v2.dll", 0, L"engine.dll", L"Scan"},
        {L"ENG_V2.DLL", 0, L"engine.dll", L"Scan"},
        {L"grd_7.sys", 0, L"guard.sys", L"Guard\\bin"},
        {L"engine.dll", ERROR_FILE_NOT_FOUND, L"", L""},
    };
    for (const Case& c : cases) {
        wchar_t name[260] = {}, path[260] = {};
        DWORD count = 260;
        EXPECT_EQ(c.result, key.FindValue(c.text, name, &count, path)) << c.text;
        EXPECT_STREQ(c.name, name);
        EXPECT_STREQ(c.path, path);
    }
    // The count limits both buffers.
    wchar_t name[260] = {}, path[260] = {};
    DWORD count = 4;
    EXPECT_EQ(0, key.FindValue(L"grd_7.sys", name, &count, path));
    EXPECT_STREQ(L"gua", name);
    EXPECT_STREQ(L"Gua", path);
}

TEST_F(VaultStore, RefusesOtherRoots)
{
    tn::CHiveKey key;
    EXPECT_NE(0, key.Create(HKEY_CURRENT_USER, L"FileMap"));
}

}  // namespace
