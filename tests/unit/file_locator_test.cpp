// File location: resolving records to paths, searching one component (with
// [OldFile_Map] redirections) and all installed components, the installed
// file test, and the steps a lookup notes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hive_double.h"
#include "install/file_locator.h"
#include "install/layout.h"
#include "install_tree.h"
#include "platform/log.h"
#include "stdout_capture.h"

namespace {

using tn::LookupContext;
using tntest::RecordValue;

constexpr const wchar_t* kProgram = L"tn_unit_tests.exe";

std::wstring SystemDir()
{
    wchar_t buffer[MAX_PATH] = {};
    GetSystemDirectoryW(buffer, MAX_PATH);
    return buffer;
}

std::wstring WindowsDir()
{
    wchar_t buffer[MAX_PATH] = {};
    GetWindowsDirectoryW(buffer, MAX_PATH);
    return buffer;
}

bool IsWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The position of the first step equal to `step` at or after `from`, or npos.
size_t Find(const std::vector<tn::LookupStep>& steps, const tn::LookupStep& step, size_t from = 0)
{
    for (size_t i = from; i < steps.size(); ++i)
        if (steps[i] == step)
            return i;
    return std::string::npos;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class FileLocation : public ::testing::Test {
protected:
    void SetUp() override
    {
        tn::ResetInstallDirCacheForTesting();
        tn::ResetLogFolderForTesting();
        tntest::DeleteVaultTree(L"FileMap");
        I = tree.Dir();
    }
    void TearDown() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tn::ResetInstallDirCacheForTesting();
        tn::ResetLogFolderForTesting();
    }

    // The components most tests share. Comp lists its records in Files and
    // Sys; Comp2 receives redirected files; TNol is the built-in component.
    void WriteComponents()
    {
        tree.WriteComponent(
            L"Comp",
            L"[Version]\nPath=Compose\\Comp\n[HaveSection]\nComp=Files,Sys,Missing\nOther=Ignored\n"
            L"[Files]\na.dll=" + RecordValue(L"bin") + L"\nb.dll=" + RecordValue(L"") +
                L"\nsetup.exe=" + RecordValue(L"bin") + L"\nnofile.dll=" + RecordValue(L"bin") +
                L"\n[Sys]\na.dll=" + RecordValue(L"$SYSTEM32") + L"\n[Ignored]\nz.dll=" +
                RecordValue(L"bin") +
                L"\n[OldFile_Map]\nmoved.dll=Comp2\nself.dll=comp\ngone.dll=Absent\nb.dll=Comp2\n");
        tree.WriteComponent(L"Comp2", L"[Version]\nPath=Compose\\Comp2\n[HaveSection]\nComp2=Main\n"
                                      L"[Main]\nmoved.dll=" + RecordValue(L"lib") + L"\ny.dll=" +
                                          RecordValue(L"lib") + L"\nb.dll=" +
                                          RecordValue(L"nomatch") + L"\n");
        tree.WriteComponent(L"TNol", L"[Version]\nPath=TN\n[HaveSection]\nTNol=T\n[T]\ntnol.dll=" +
                                         RecordValue(L"tn") + L"\n");
    }

    // A chain of components, each sending f.dll on to the next by
    // [OldFile_Map]; the last sends it to `last` (or holds its record when
    // `last` is empty).
    void WriteChain(const std::wstring& prefix, int length, const std::wstring& last)
    {
        for (int i = 0; i < length; ++i) {
            const std::wstring name = prefix + std::to_wstring(i);
            std::wstring text = L"[Version]\nPath=Compose\\" + name + L"\n[HaveSection]\n" + name +
                                L"=Files\n[Files]\n";
            const std::wstring next = i + 1 < length ? prefix + std::to_wstring(i + 1) : last;
            if (next.empty())
                text += L"f.dll=" + RecordValue(L"end") + L"\n";
            else
                text += L"[OldFile_Map]\nf.dll=" + next + L"\n";
            tree.WriteComponent(name, text);
        }
    }

    std::string Log() const { return tree.ReadLog(kProgram); }

    tntest::InstallTree tree;
    std::wstring I;
    LookupContext on;
};

std::unique_ptr<tn::FileEntry> Entry(const wchar_t* name, const wchar_t* dest,
                                     const wchar_t* path, uint32_t osMask = 0)
{
    auto entry = std::make_unique<tn::FileEntry>();
    std::memset(entry.get(), 0, sizeof(tn::FileEntry));
    wcscpy(entry->Record.Name, name);
    wcscpy(entry->Record.DestDir, dest);
    entry->Record.OsMask = osMask;
    wcscpy(entry->Component, L"Comp");
    wcscpy(entry->ComponentPath, path);
    return entry;
}

TEST_F(FileLocation, ResolvesEveryKindOfDestination)
{
    SetEnvironmentVariableW(L"TN_LOC_DIR", L"C:\\envdir");
    SetEnvironmentVariableW(L"TN_LOC_LONG", (L"C:\\" + std::wstring(300, L'L')).c_str());
    tntest::SetVaultString(L"FileMap\\Comp", L"a.dll", L"a_m.dll");
    tntest::SetVaultString(L"FileMap\\Comp\\bin", L"a.dll", L"a_bin.dll");
    const std::wstring sys = SystemDir();
    const std::wstring win = WindowsDir();
    struct Case {
        const wchar_t* file;
        const wchar_t* dest;
        const wchar_t* componentPath;
        std::wstring path;
    };
    const Case cases[] = {
        {L"f.dll", L"%TN_LOC_DIR%\\sub", L"P", L"C:\\envdir\\sub\\f.dll"},
        {L"f.dll", L"%TN_LOC_DIR%", L"P", L"C:\\envdir\\f.dll"},
        {L"f.dll", L"%TN_LOC_DIR%\\", L"P", L"C:\\envdir\\f.dll"},
        {L"f.dll", L"%TN_LOC_LONG%\\x", L"P", L"\\f.dll"},  // does not fit: no directory
        {L"f.dll", L"%TN_LOC_UNSET%\\x", L"P", L"%TN_LOC_UNSET%\\x\\f.dll"},
        {L"f.dll", L"$SYSTEM32", L"P", sys + L"\\f.dll"},
        {L"f.dll", L"$system32\\drivers", L"P", sys + L"\\drivers\\f.dll"},
        {L"f.dll", L"$SYSTEM32x\\y", L"P", sys + L"x\\y\\f.dll"},  // prefix compared alone
        {L"f.dll", L"$WINDOWS\\Fonts", L"P", win + L"\\Fonts\\f.dll"},
        {L"f.dll", L"$Windows", L"P", win + L"\\f.dll"},
        {L"f.dll", L"$OTHER", L"P", L"\\f.dll"},
        {L"f.dll", L"$OTHERDIR\\x", L"P", L"\\x\\f.dll"},
        {L"f.dll", L"", L"Compose\\Comp", I + L"Compose\\Comp\\f.dll"},
        {L"f.dll", L"bin", L"Compose\\Comp  \t", I + L"Compose\\Comp\\bin\\f.dll"},
        {L"f.dll", L"bin\\", L"Compose\\Comp\\", I + L"Compose\\Comp\\bin\\f.dll"},
        {L"f.dll", L"", L"", I + L"f.dll"},
        // The map: a plain destination is its sub-key; other destinations use the owner's key.
        {L"a.dll", L"bin", L"Compose\\Comp", I + L"Compose\\Comp\\bin\\a_bin.dll"},
        {L"a.dll", L"", L"Compose\\Comp", I + L"Compose\\Comp\\a_m.dll"},
        {L"a.dll", L"$WINDOWS", L"P", win + L"\\a_m.dll"},
        {L"a.dll", L"%TN_LOC_DIR%", L"P", L"C:\\envdir\\a_m.dll"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.path, tn::ResolveFileRecordPath(*Entry(c.file, c.dest, c.componentPath), on))
            << c.dest << " / " << c.componentPath;
    SetEnvironmentVariableW(L"TN_LOC_DIR", nullptr);
    SetEnvironmentVariableW(L"TN_LOC_LONG", nullptr);
}

TEST_F(FileLocation, Wow64MaskAsksForTheSixtyFourBitSystemDirectory)
{
    const std::wstring expected = SystemDir() + L"\\f.dll";
    for (uint32_t mask : {0x400u, 0x2000000u, 0x2000400u}) {
        EXPECT_EQ(expected, tn::ResolveFileRecordPath(*Entry(L"f.dll", L"$SYSTEM32", L"", mask), on));
    }
    EXPECT_EQ(expected, tn::ResolveFileRecordPath(*Entry(L"f.dll", L"$SYSTEM32", L"", 0x2), on));
    // A process that is not WOW64 has no 64-bit system directory to switch
    // to: each such resolution warns once and falls back.
    EXPECT_EQ(IsWow64() ? 0u : 3u, CountOf(Log(), tn::kSystem64FallbackLogLine)) << Log();
}

TEST_F(FileLocation, FindsAComponentsFile)
{
    WriteComponents();
    tntest::SetVaultString(L"FileMap\\Comp", L"mapped.dll", L"mapped_m.dll");
    const std::wstring sys = SystemDir();
    struct Case {
        const wchar_t* component;
        const wchar_t* file;
        const wchar_t* filter;
        std::wstring path;
    };
    const Case cases[] = {
        {L"Comp", L"a.dll", nullptr, I + L"Compose\\Comp\\bin\\a.dll"},  // first section wins
        {L"comp", L"A.DLL", nullptr, I + L"Compose\\Comp\\bin\\a.dll"},  // the record's name
        {L"Comp", L"a.dll", L"$system32", sys + L"\\a.dll"},  // the filter passes over bin
        {L"Comp", L"a.dll", L"bin", I + L"Compose\\Comp\\bin\\a.dll"},
        {L"Comp", L"a.dll", L"nomatch", I + L"Compose\\Comp\\a.dll"},  // default path
        {L"Comp", L"b.dll", nullptr, I + L"Compose\\Comp\\b.dll"},
        {L"Comp", L"b.dll", L"nomatch", I + L"Compose\\Comp2\\nomatch\\b.dll"},  // redirected
        {L"Comp", L"z.dll", nullptr, I + L"Compose\\Comp\\z.dll"},  // section not listed for Comp
        {L"Comp", L"moved.dll", nullptr, I + L"Compose\\Comp2\\lib\\moved.dll"},
        {L"Comp", L"self.dll", nullptr, I + L"Compose\\Comp\\self.dll"},
        {L"Comp", L"gone.dll", nullptr, L""},  // redirected to a component without a file
        {L"Comp", L"nothing.dll", nullptr, I + L"Compose\\Comp\\nothing.dll"},
        {L"Comp", L"mapped.dll", nullptr, I + L"Compose\\Comp\\mapped_m.dll"},
        {L"Nope", L"a.dll", nullptr, L""},
        {nullptr, L"a.dll", nullptr, L""},
        {L"Comp", nullptr, nullptr, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.path, tn::FindComponentFile(c.component, c.file, c.filter, on))
            << (c.component ? c.component : L"(null)") << " " << (c.file ? c.file : L"(null)")
            << " " << (c.filter ? c.filter : L"(null)");
}

TEST_F(FileLocation, ShortRecordsAreResolvedWithTheItemsTheyHave)
{
    tree.WriteComponent(L"Short", L"[Version]\nPath=S\n[HaveSection]\nShort=F\n[F]\nf.dll=src,dst\n");
    tntest::StdoutCapture out;
    EXPECT_EQ(I + L"S\\dst\\f.dll", tn::FindComponentFile(L"Short", L"f.dll", nullptr, on));
    EXPECT_NE(std::string::npos, out.Text().find("current count is 2 ,request 16."));
}

TEST_F(FileLocation, RedirectionCyclesEndAtTheComponentMetAgain)
{
    WriteChain(L"Two", 2, L"Two0");
    WriteChain(L"Ten", 10, L"ten0");
    WriteChain(L"Long", 60, L"");
    EXPECT_EQ(I + L"Compose\\Two1\\f.dll", tn::FindComponentFile(L"Two0", L"f.dll", nullptr, on));
    EXPECT_EQ(I + L"Compose\\Ten9\\f.dll", tn::FindComponentFile(L"Ten0", L"f.dll", nullptr, on));
    EXPECT_EQ(I + L"Compose\\Ten4\\f.dll", tn::FindComponentFile(L"Ten5", L"f.dll", nullptr, on));
    EXPECT_EQ(I + L"Compose\\Long59\\end\\f.dll",
              tn::FindComponentFile(L"Long0", L"f.dll", nullptr, on));
}

TEST_F(FileLocation, SearchesTheInstalledComponentsInOrder)
{
    WriteComponents();
    tntest::WriteBytes(tree.ComposeFile(L"Broken"), "\x01\x02garbage\xFF");
    tree.WriteComponent(L"Empty", L"[HaveSection]\nEmpty=E\n[E]\nother.dll=" + RecordValue(L""));
    tree.WriteInstallIni(L"Broken,Missing,Empty,Comp,Comp2");
    struct Case {
        const wchar_t* file;
        std::wstring path;
        const wchar_t* component;
    };
    const Case cases[] = {
        {L"a.dll", I + L"Compose\\Comp\\bin\\a.dll", L"Comp"},
        {L"moved.dll", I + L"Compose\\Comp2\\lib\\moved.dll", L"Comp2"},  // no redirection
        {L"tnol.dll", I + L"TN\\tn\\tnol.dll", L"TNol"},
        {L"nothing.dll", L"", L"keep"},
        {nullptr, L"", L"keep"},
    };
    for (const Case& c : cases) {
        std::wstring component = L"keep";
        EXPECT_EQ(c.path, tn::SearchInstalledComponents(c.file, &component, on))
            << (c.file ? c.file : L"(null)");
        EXPECT_EQ(c.component, component);
    }
    EXPECT_EQ(I + L"Compose\\Comp\\bin\\a.dll", tn::SearchInstalledComponents(L"a.dll", nullptr, on));

    tree.WriteInstallIni(L"");
    std::wstring component;
    EXPECT_EQ(I + L"TN\\tn\\tnol.dll", tn::SearchInstalledComponents(L"tnol.dll", &component, on));
    EXPECT_EQ(L"", tn::SearchInstalledComponents(L"a.dll", &component, on));
    DeleteFileW((I + L"Install\\install.ini").c_str());
    EXPECT_EQ(L"", tn::SearchInstalledComponents(L"tnol.dll", &component, on));
}

TEST_F(FileLocation, LocatesThroughTheReverseMapThenBySearch)
{
    WriteComponents();
    tree.WriteInstallIni(L"Comp");
    tntest::SetVaultString(L"FileMap\\Comp2", L"x.dll", L"y.dll");   // names the owner of y.dll
    tntest::SetVaultString(L"FileMap\\Ghost", L"q.dll", L"a.dll");   // an owner without a file
    LookupContext off;
    off.fileMapEnabled = false;
    struct Case {
        const wchar_t* file;
        bool enabled;
        std::wstring path;
        const wchar_t* component;
    };
    const Case cases[] = {
        {L"y.dll", true, I + L"Compose\\Comp2\\lib\\y.dll", L"Comp2"},
        {L"y.dll", false, L"", L"keep"},  // Comp2 is not installed: only the map finds it
        {L"a.dll", true, I + L"Compose\\Comp\\bin\\a.dll", L"Comp"},
        {L"tnol.dll", true, I + L"TN\\tn\\tnol.dll", L"TNol"},
        {L"nothing.dll", true, L"", L"keep"},
        {nullptr, true, L"", L"keep"},
    };
    for (const Case& c : cases) {
        std::wstring component = L"keep";
        EXPECT_EQ(c.path, tn::LocateInstalledFile(c.file, &component, c.enabled ? on : off))
            << (c.file ? c.file : L"(null)") << " " << c.enabled;
        EXPECT_EQ(c.component, component) << (c.file ? c.file : L"(null)");
    }
}

TEST_F(FileLocation, SwitchOffTouchesNoStoreOnTheWholeRoad)
{
    WriteComponents();
    tree.WriteInstallIni(L"Comp");
    tntest::HiveDoubleScope scope;
    LookupContext off;
    off.fileMapEnabled = false;
    std::wstring component;
    EXPECT_EQ(I + L"Compose\\Comp\\bin\\a.dll", tn::LocateInstalledFile(L"a.dll", &component, off));
    EXPECT_EQ(I + L"Compose\\Comp\\nothing.dll",
              tn::FindComponentFile(L"Comp", L"nothing.dll", nullptr, off));
    EXPECT_FALSE(tn::IsInstalledFile((I + L"x\\a.dll").c_str(), off));
    EXPECT_EQ(0, tntest::HiveDouble::created);
    EXPECT_EQ(0, tntest::HiveDouble::calls);
}

TEST_F(FileLocation, InstalledFileIsTheLocatedOne)
{
    WriteComponents();
    tree.WriteInstallIni(L"Comp");
    const std::wstring located = tree.MakeFile(L"Compose\\Comp\\bin\\setup.exe");
    const std::wstring elsewhere = tree.MakeFile(L"Other\\setup.exe");
    const std::wstring otherNofile = tree.MakeFile(L"Other\\nofile.dll");
    wchar_t shortForm[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(located.c_str(), shortForm, MAX_PATH));
    ASSERT_NE(located, std::wstring(shortForm)) << "the tree's folder has a long name";

    std::wstring upper = located;
    for (wchar_t& c : upper)
        c = towupper(c);
    struct Case {
        std::wstring path;
        bool installed;
    };
    const Case cases[] = {
        {located, true},
        {upper, true},
        {shortForm, true},                                     // short forms equal
        {elsewhere, false},                                    // short forms differ
        {I + L"Compose\\Comp\\bin\\setup_2.exe", false},       // looked up as setup.exe
        {I + L"Compose\\Comp\\bin\\nofile.dll", true},         // the same text, no file needed
        {otherNofile, false},                                  // located file does not exist
        {L"C:\\nowhere\\nofile.dll", false},                   // neither exists
        {I + L"Compose\\Comp\\bin\\unknown.dll", false},        // located nowhere
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.installed, tn::IsInstalledFile(c.path.c_str(), on)) << c.path;
    EXPECT_FALSE(tn::IsInstalledFile(nullptr, on));
}

TEST(NormalizeFileName, DropsTheLastUnderscorePart)
{
    const std::wstring longest = std::wstring(250, L'n') + L"_2345.exe";  // 259 characters
    const std::wstring tooLong = std::wstring(251, L'n') + L"_2345.exe";  // 260 characters
    struct Case {
        const wchar_t* name;
        std::wstring normal;
    };
    const Case cases[] = {
        {L"setup_2.exe", L"setup.exe"},
        {L"a_b_c.dll", L"a_b.dll"},
        {L"read_me", L"read"},
        {L"plain.dll", L"plain.dll"},
        {L"_x.dll", L".dll"},
        {L"", L""},
        {nullptr, L""},
        {longest.c_str(), std::wstring(250, L'n') + L".exe"},
        {tooLong.c_str(), tooLong},  // beyond the working buffer: used as it is
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.normal, tn::NormalizeFileName(c.name)) << (c.name ? c.name : L"(null)");
}

TEST_F(FileLocation, StepsTellHowTheAnswerWasReached)
{
    using E = tn::LookupEvent;
    WriteComponents();
    tree.WriteInstallIni(L"Broken,Comp");
    tntest::SetVaultString(L"FileMap\\Comp\\bin", L"a.dll", L"a_bin.dll");
    std::vector<tn::LookupStep> steps;
    LookupContext noting;
    noting.steps = &steps;

    const std::wstring path = tn::FindComponentFile(L"Comp", L"a.dll", L"bin", noting);
    EXPECT_EQ(I + L"Compose\\Comp\\bin\\a_bin.dll", path);
    const size_t read = Find(steps, {E::kDescriptionFileRead, {L"Comp", tree.ComposeFile(L"Comp")}});
    const size_t list = Find(steps, {E::kSectionList, {L"Comp", L"Files,Sys,Missing"}}, read);
    const size_t matched =
        Find(steps, {E::kRecordMatched, {L"Files", L"a.dll", RecordValue(L"bin")}}, list);
    const size_t mapped =
        Find(steps, {E::kMapped, {L"FileMap\\Comp\\bin", L"a.dll", L"a_bin.dll"}}, matched);
    EXPECT_NE(std::string::npos, mapped) << read << " " << list << " " << matched;
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ((tn::LookupStep{E::kResolved, {path}}), steps.back());

    // A filter passes records over, a missing section is skipped, and the
    // default path answers.
    steps.clear();
    tn::FindComponentFile(L"Comp", L"a.dll", L"nomatch", noting);
    EXPECT_NE(std::string::npos,
              Find(steps, {E::kRecordPassedOver,
                           {L"Files", L"a.dll", RecordValue(L"bin"), L"bin", L"nomatch"}}));
    EXPECT_NE(std::string::npos,
              Find(steps, {E::kRecordPassedOver,
                           {L"Sys", L"a.dll", RecordValue(L"$SYSTEM32"), L"$SYSTEM32", L"nomatch"}}));
    EXPECT_NE(std::string::npos, Find(steps, {E::kSectionMissing, {L"Missing"}}));
    EXPECT_EQ((tn::LookupStep{E::kDefaultPath, {}}), steps[steps.size() - 2]);

    steps.clear();
    WriteChain(L"Cyc", 2, L"Cyc0");
    tn::FindComponentFile(L"Cyc0", L"f.dll", nullptr, noting);
    EXPECT_NE(std::string::npos, Find(steps, {E::kMoved, {L"f.dll", L"Cyc1"}}));
    EXPECT_NE(std::string::npos, Find(steps, {E::kMoveIgnored, {L"Cyc0"}}));

    // The search names its order first, the built-in component last, and a
    // description file that does not load.
    steps.clear();
    std::wstring component;
    tn::SearchInstalledComponents(L"tnol.dll", &component, noting);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ((tn::LookupStep{E::kSearchOrder, {L"Broken", L"Comp", L"TNol"}}), steps[0]);
    EXPECT_NE(std::string::npos,
              Find(steps, {E::kDescriptionFileNotLoaded, {L"Broken", tree.ComposeFile(L"Broken")}}));
    EXPECT_NE(std::string::npos, Find(steps, {E::kNoRecord, {L"Comp", L"tnol.dll"}}));
}

}  // namespace
