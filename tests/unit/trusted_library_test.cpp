// Both ways of loading a DLL from trusted folders only: with the system's
// search flags, and by full paths as on systems without them.
#include <gtest/gtest.h>

#include "platform/trusted_library.h"
#include "test_support.h"

namespace {

TEST(TrustedLibrary, NeverTheCurrentDirectoryButFoldersTheProgramNamed)
{
    // A DLL of a name found nowhere else, planted in a folder of its own.
    tntest::TempDir planted;
    const wchar_t* name = L"tn_planted_store.dll";
    ASSERT_TRUE(CopyFileW((tntest::ExeDir() + L"Vaultcore.dll").c_str(),
                          (planted / name).c_str(), FALSE));
    wchar_t previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryW(MAX_PATH, previous));

    for (auto load : {&tn::LoadTrustedLibrary, &tn::LoadTrustedLibraryByFullPaths}) {
        ASSERT_TRUE(SetCurrentDirectoryW(planted.Path().c_str()));
        HMODULE fromCurrent = load(name);
        EXPECT_EQ(nullptr, fromCurrent);
        ASSERT_TRUE(SetCurrentDirectoryW(previous));

        ASSERT_TRUE(SetDllDirectoryW(planted.Path().c_str()));
        HMODULE fromNamed = load(name);
        EXPECT_NE(nullptr, fromNamed);
        SetDllDirectoryW(nullptr);

        // Beside the program, and the system folder.
        HMODULE besideProgram = load(L"Vaultcore.dll");
        EXPECT_NE(nullptr, besideProgram);
        EXPECT_NE(nullptr, load(L"kernel32.dll"));
        EXPECT_EQ(nullptr, load(L"tn_no_such_module.dll"));
        for (HMODULE module : {fromCurrent, fromNamed, besideProgram})
            if (module)
                FreeLibrary(module);
    }
}

}  // namespace
