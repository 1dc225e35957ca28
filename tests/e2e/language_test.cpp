// GetLanguage and SetLanguage by ordinal, with the stand-in hive store beside
// the DLL and without it.
#include <gtest/gtest.h>

#include "probe_runner.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;
using tntest::MachineValue;
using tntest::TempDir;

std::string Ret(unsigned value) { return "ret=" + std::to_string(value); }

LANGID FoldedSystemLanguage()
{
    const LANGID language = GetUserDefaultUILanguage();
    return (language & 0x3FF) == 0x0A ? LANGID(0x000A) : language;
}

class LanguageExports : public testing::Test {
protected:
    LanguageExports() : installValue_(L"InstallPath", install_.Path().c_str())
    {
        tntest::DeleteVaultTree(L"UI");
    }
    ~LanguageExports() override { tntest::DeleteVaultTree(L"UI"); }

    void Offer(const std::wstring& list)
    {
        tntest::WriteUtf16(install_ / L"Install\\install.ini",
                           L"[InstallCompose]\nLangGroup=" + list + L"\n");
    }
    // A folder with the probe and TNInstall.dll but no Vaultcore.dll.
    std::wstring FolderWithoutStore()
    {
        const std::wstring bin = tntest::ExeDir();
        for (const wchar_t* file : {L"tn_probe.exe", L"TNInstall.dll"})
            if (!CopyFileW((bin + file).c_str(), (bare_ / file).c_str(), FALSE))
                ADD_FAILURE() << "cannot copy " << tntest::ToUtf8(file);
        return bare_.Path();
    }

    TempDir install_, bare_, planted_;
    MachineValue installValue_;
};

TEST_F(LanguageExports, SetStoresLow16BitsAndGetOffersIt)
{
    Offer(L"0409,0804");
    EXPECT_EQ((Lines{Ret(1), Ret(0x0804), Ret(1), Ret(0x0409), Ret(1), Ret(0x0409)}),
              tntest::RunProbe({L"16|i:0x10804", L"15", L"16|i:0x0409", L"15",
                                L"16|i:0x0411", L"15"}));
}

TEST_F(LanguageExports, StoredLanguageWhenTheListIsEmptyOrMissing)
{
    const DWORD stored = 0x0411;
    tntest::SetVaultBytes(L"UI", L"Language", REG_DWORD, &stored, sizeof(stored));
    Offer(L"");
    EXPECT_EQ(Lines{Ret(0x0411)}, tntest::RunProbe({L"15"}));
    DeleteFileW((install_ / L"Install\\install.ini").c_str());
    EXPECT_EQ(Lines{Ret(0x0411)}, tntest::RunProbe({L"15"}));
    // A string in place of the DWORD counts as no stored language.
    tntest::SetVaultString(L"UI", L"Language", L"0411");
    EXPECT_EQ(Lines{Ret(FoldedSystemLanguage())}, tntest::RunProbe({L"15"}));
}

TEST_F(LanguageExports, WithoutTheStoreSetFailsAndGetUsesTheSystemLanguage)
{
    const DWORD stored = 0x0804;
    tntest::SetVaultBytes(L"UI", L"Language", REG_DWORD, &stored, sizeof(stored));
    const std::wstring bare = FolderWithoutStore();
    const LANGID system = FoldedSystemLanguage();
    const LANGID first = system == 0x0411 ? 0x0412 : 0x0411;

    Offer(L"");
    EXPECT_EQ((Lines{Ret(0), Ret(system)}), tntest::RunProbe({L"16|i:0x0409", L"15"}, bare));
    // The store kept what it held: the failed call wrote nothing.
    EXPECT_EQ(Lines{Ret(0x0804)}, tntest::RunProbe({L"15"}));

    // With the store present the stored 0804 is offered; without it the
    // system language is not, so the first item applies.
    wchar_t list[32];
    swprintf(list, 32, L"%04x,0804", first);
    Offer(list);
    EXPECT_EQ(Lines{Ret(0x0804)}, tntest::RunProbe({L"15"}));
    EXPECT_EQ(Lines{Ret(system == 0x0804 ? 0x0804 : first)}, tntest::RunProbe({L"15"}, bare));
}

TEST_F(LanguageExports, TheStoreComesFromTrustedFoldersOnly)
{
    const std::wstring bare = FolderWithoutStore();
    const std::wstring store = tntest::ExeDir() + L"Vaultcore.dll";
    ASSERT_TRUE(CopyFileW(store.c_str(), (planted_ / L"Vaultcore.dll").c_str(), FALSE));
    Offer(L"");
    // A copy in the current directory, neither beside the program nor in a
    // system folder, is not loaded: the store stays unreachable.
    EXPECT_EQ(Lines{Ret(0)}, tntest::RunProbe({L"16|i:0x0409"}, bare, planted_.Path()));
    // A folder the program named itself is searched.
    EXPECT_EQ((Lines{"dlldir", Ret(1)}),
              tntest::RunProbe({L"dlldir|" + planted_.Path(), L"16|i:0x0409"}, bare, bare));
    // So is the program's own folder.
    ASSERT_TRUE(CopyFileW(store.c_str(), (bare_ / L"Vaultcore.dll").c_str(), FALSE));
    EXPECT_EQ((Lines{Ret(1), Ret(0x0409)}),
              tntest::RunProbe({L"16|i:0x0409", L"15"}, bare, planted_.Path()));
}

}  // namespace
