// The language in use, from the stand-in hive store (real registry keys), a
// real install.ini and a stand-in for the system's language.
#include <gtest/gtest.h>

#include <optional>

#include "install/language.h"
#include "install/layout.h"
#include "platform/sysenv.h"
#include "test_support.h"

namespace {

using tntest::MachineValue;

LANGID g_systemLanguage = 0;
LANGID SystemLanguage() { return g_systemLanguage; }

// The "Language" value as the store keeps it: a REG_DWORD, or raw bytes of
// another type.
struct Stored {
    DWORD type;
    std::string bytes;
};

Stored Dword(DWORD value) { return {REG_DWORD, std::string(reinterpret_cast<char*>(&value), 4)}; }

class Language : public testing::Test {
protected:
    Language() : installValue_(L"InstallPath", tmp_.Path().c_str())
    {
        tn::ResetInstallDirCacheForTesting();
        tn::SetUILanguageSourceForTesting(&SystemLanguage);
        tntest::DeleteVaultTree(L"UI");
    }
    ~Language() override
    {
        tntest::DeleteVaultTree(L"UI");
        tn::SetUILanguageSourceForTesting(nullptr);
        tn::ResetInstallDirCacheForTesting();
    }

    // null: no install.ini at all.
    void WriteInstallIni(const wchar_t* text)
    {
        const std::wstring path = tmp_ / L"Install\\install.ini";
        DeleteFileW(path.c_str());
        if (text)
            tntest::WriteUtf16(path, text);
    }
    void Store(const std::optional<Stored>& stored)
    {
        tntest::DeleteVaultTree(L"UI");
        if (stored)
            tntest::SetVaultBytes(L"UI", L"Language", stored->type, stored->bytes.data(),
                                  DWORD(stored->bytes.size()));
    }
    static std::optional<DWORD> ReadStoredDword()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tessaron\\Vault\\UI", 0, KEY_READ,
                          &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD value = 0, type = 0, size = sizeof(value);
        const LONG rc = RegQueryValueExW(key, L"Language", nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
            return std::nullopt;
        return value;
    }

    tntest::TempDir tmp_;
    MachineValue installValue_;
};

const wchar_t kOffers[] = L"[InstallCompose]\nLangGroup=0804,0409\n";

struct LanguageCase {
    const char* what;
    std::optional<Stored> stored;
    const wchar_t* installIni;  // null: missing
    LANGID system;
    LANGID expected;
};

TEST_F(Language, StoredIfOfferedElseFirstOfferedElseStoredOrSystem)
{
    const LanguageCase cases[] = {
        {"stored and offered", Dword(0x0409), kOffers, 0x0412, 0x0409},
        {"stored, not offered", Dword(0x0411), kOffers, 0x0412, 0x0804},
        {"stored, list empty", Dword(0x0411), L"[InstallCompose]\nLangGroup=\n", 0x0412, 0x0411},
        {"stored, no LangGroup", Dword(0x0411), L"[InstallCompose]\nComposeList=a\n", 0x0412,
         0x0411},
        {"stored, no install.ini", Dword(0x0411), nullptr, 0x0412, 0x0411},
        {"stored 0 counts as none", Dword(0), kOffers, 0x0409, 0x0409},
        {"system offered", std::nullopt, kOffers, 0x0409, 0x0409},
        {"system not offered", std::nullopt, kOffers, 0x0412, 0x0804},
        {"system, no install.ini", std::nullopt, nullptr, 0x0412, 0x0412},
        {"Spanish folded, offered", std::nullopt, L"[InstallCompose]\nLangGroup=0804,000A\n",
         0x0C0A, 0x000A},
        {"Spanish folded, no list", std::nullopt, nullptr, 0x080A, 0x000A},
        {"prefixed items", Dword(0x0409), L"[InstallCompose]\nLangGroup=Lang0804,Lang0409\n",
         0x0412, 0x0409},
        {"prefixed, not offered", Dword(0x0411), L"[InstallCompose]\nLangGroup=Lang0804,Lang0409\n",
         0x0412, 0x0804},
        {"short items read whole", Dword(0x0409), L"[InstallCompose]\nLangGroup=804,409\n", 0x0412,
         0x0409},
        {"empty items skipped", Dword(0x0411), L"[InstallCompose]\nLangGroup=,,0c0a,0804\n", 0x0412,
         0x0C0A},
        // A value that is not a REG_DWORD counts as no stored language, even
        // when its four bytes would read as one the list offers (0x0061).
        {"string value", Stored{REG_SZ, std::string("a\0\0\0", 4)},
         L"[InstallCompose]\nLangGroup=0412,0061\n", 0x0412, 0x0412},
        {"long string value", Stored{REG_SZ, std::string("0\0" "4\0" "0\0" "9\0\0\0", 10)},
         kOffers, 0x0412, 0x0804},
        {"binary value", Stored{REG_BINARY, std::string("\x09\x04\0\0", 4)}, nullptr, 0x0412,
         0x0412},
    };
    for (const LanguageCase& c : cases) {
        Store(c.stored);
        WriteInstallIni(c.installIni);
        g_systemLanguage = c.system;
        EXPECT_EQ(c.expected, tn::GetLanguage()) << c.what;
    }
}

TEST_F(Language, MatchComparesTheWholeIdentifier)
{
    WriteInstallIni(kOffers);
    const struct {
        DWORD language;
        LANGID expected;
    } cases[] = {
        {0x0409, 0x0409},
        {0x0804, 0x0804},
        {0x0000, 0x0804},   // no language: the first offered
        {0x10409, 0x0804},  // bits above 16 take part in the comparison
        {0x0411, 0x0804},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, tn::MatchLanguageGroup(c.language)) << std::hex << c.language;
    WriteInstallIni(L"[InstallCompose]\nLangGroup=\n");
    EXPECT_EQ(0, tn::MatchLanguageGroup(0x0409));
    WriteInstallIni(nullptr);
    EXPECT_EQ(0, tn::MatchLanguageGroup(0x0409));
}

TEST_F(Language, SetStoresTheLow16BitsAsDword)
{
    for (DWORD language : {DWORD(0x10804), DWORD(0x0804)}) {
        tntest::DeleteVaultTree(L"UI");
        EXPECT_EQ(1, tn::SetLanguage(language));
        EXPECT_EQ(std::optional<DWORD>(0x0804), ReadStoredDword());
    }
    WriteInstallIni(L"[InstallCompose]\nLangGroup=0409,0804\n");
    g_systemLanguage = 0x0409;
    EXPECT_EQ(0x0804, tn::GetLanguage());
    // Not checked against the list: the reading side applies it.
    EXPECT_EQ(1, tn::SetLanguage(0x0411));
    EXPECT_EQ(std::optional<DWORD>(0x0411), ReadStoredDword());
    EXPECT_EQ(0x0409, tn::GetLanguage());
}

}  // namespace
