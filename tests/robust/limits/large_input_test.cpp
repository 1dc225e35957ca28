// Inputs bounded only by their size: long record sections, deep parent
// chains, long [OldFile_Map] chains ending in a cycle. Each must come out
// right at sizes far beyond any real installation's; how the time grows
// with the size is measured by tn_limits (README, "Limits").
// They run without guard pages: a mapping per block would exhaust the
// system's mappings long before these inputs are read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "alloc_hooks.h"
#include "config/component.h"
#include "export_calls.h"
#include "install/file_locator.h"
#include "install/product.h"
#include "limits_support.h"

namespace tnrobust {
namespace {

class LargeInputs : public ::testing::Test {
protected:
    void SetUp() override { SetGuardPages(0); }
    void TearDown() override { SetGuardPages(kGuardPagesFrom); }
};

// Duplicates are found among tens of thousands of records, in any letter
// case, and only within one component.
TEST_F(LargeInputs, DuplicateRecordsAmongManyAreFound)
{
    LimitsInstall install;
    constexpr int kRecords = 10000;
    for (const bool duplicate : {false, true}) {
        std::wstring text = L"[Version]\nPath=P\n[HaveSection]\nC=A,B\n[A]\n";
        for (int i = 0; i < kRecords; ++i)
            text += L"f" + std::to_wstring(i) + L".dll=" + RecordLine(L"") + L"\n";
        text += L"[B]\n" + std::wstring(duplicate ? L"F17.DLL" : L"g.dll") + L"=" + RecordLine(L"x") + L"\n";
        install.WriteCompose(L"C", text);
        tn::CComponent component(install.ComposeFile(L"C").c_str());
        EXPECT_EQ(duplicate ? 23 : 0, component.Load()) << duplicate;
        EXPECT_EQ(size_t(kRecords + (duplicate ? 0 : 1)), component.Entries.size());
        // An entry added from outside joins the duplicate test.
        tn::FileEntry extra = component.Entries.back();
        component.Entries.push_back(extra);
        wcscpy(extra.Record.Name, L"new.dll");
        EXPECT_EQ(1, component.AddFileEntry(extra));
        EXPECT_EQ(0, component.AddFileEntry(extra));
    }
}

TEST_F(LargeInputs, DeepParentChainsExpandInOrder)
{
    LimitsInstall install;
    constexpr int kDepth = 20000;
    std::wstring text = L"[Version]\nProductID=7\n[HaveCompose]\nAll=A0\n";
    for (int i = 0; i < kDepth; ++i)
        text += L"[A" + std::to_wstring(i) + L"]\nParent=A" + std::to_wstring(i + 1) + L"\n";
    text += L"[A" + std::to_wstring(kDepth) + L"]\nParent=A0\n";  // and back: a loop
    install.WriteProduct(L"P", text);
    tn::CProduct product;
    ASSERT_EQ(0, product.LoadByName(L"P", 0));
    ASSERT_EQ(size_t(kDepth + 1), product.Components.size());
    EXPECT_EQ(L"A" + std::to_wstring(kDepth), product.Components.back()->Name);
}

TEST_F(LargeInputs, LongMoveChainsEndAtTheirRecordOrTheirCycle)
{
    LimitsInstall install;
    constexpr int kLength = 600;
    for (const bool cycle : {false, true}) {
        for (int i = 0; i < kLength; ++i) {
            const std::wstring name = L"M" + std::to_wstring(i);
            std::wstring text = L"[Version]\nPath=" + name + L"\n[HaveSection]\n" + name + L"=Files\n[Files]\n";
            if (i + 1 < kLength)
                text += L"[OldFile_Map]\nf.dll=M" + std::to_wstring(i + 1) + L"\n";
            else if (cycle)
                text += L"[OldFile_Map]\nf.dll=M" + std::to_wstring(kLength / 2) + L"\n";
            else
                text += L"f.dll=" + RecordLine(L"bin") + L"\n";
            install.WriteCompose(name, text);
        }
        tn::LookupContext off;
        off.fileMapEnabled = false;
        const std::wstring last = L"M" + std::to_wstring(kLength - 1);
        EXPECT_EQ(install.Root() + last + (cycle ? L"\\f.dll" : L"\\bin\\f.dll"),
                  tn::FindComponentFile(L"M0", L"f.dll", nullptr, off))
            << cycle;
    }
}

// A file of 4 GiB and more is not read in part (its size's low 32 bits
// would name only its first bytes): it does not load.
TEST_F(LargeInputs, FilesOf4GiBAndMoreAreNotReadInPart)
{
    LimitsInstall install;
    const ExportTable exports = LinkedExports();
    for (const uint64_t beyond : {uint64_t(0), uint64_t(1) << 32}) {
        const std::wstring path = install.ComposeFile(L"Huge");
        tntest::WriteUtf16(path, L"[Version]\nPath=Small\n");
        // Grown without writing: the file system keeps it sparse.
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER size;
        size.QuadPart = LONGLONG(beyond + 64);
        ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
        const CallOutcome outcome = RunCall(exports, {6, {Buffer(260), Number(260), Text(L"Huge"), Null()}});
        EXPECT_EQ(beyond ? L"ret=0 b=<untouched>" : L"ret=1 b=" + install.Root() + L"Small\\",
                  outcome.Line()) << beyond;
        // The search of all components goes on past it.
        install.WriteCompose(L"Next", L"[Version]\nPath=N\n[HaveSection]\nNext=F\n[F]\nf.dll=" +
                                          RecordLine(L"") + L"\n");
        install.WriteInstallIni(L"[InstallCompose]\nComposeList=Huge,Next\n");
        const CallOutcome found = RunCall(exports, {18, {Buffer(260), Number(260), Text(L"f.dll"), Buffer(512)}});
        EXPECT_EQ(L"ret=1 b=" + install.Root() + L"N\\f.dll b=Next", found.Line()) << beyond;
        DeleteFileW(path.c_str());
    }
}

}  // namespace
}  // namespace tnrobust
