// The file map: forward and reverse lookups against the stand-in hive store,
// the switch, and store data of every bad shape.
#include <gtest/gtest.h>

#include <string>

#include "hive_double.h"
#include "install/file_map.h"
#include "test_support.h"

namespace {

using tn::LookupContext;
using tntest::HiveDouble;

LookupContext Context(bool enabled)
{
    LookupContext context;
    context.fileMapEnabled = enabled;
    return context;
}

class FileMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        tntest::DeleteVaultTree(L"FileMap");
        tntest::SetVaultString(L"FileMap\\Comp", L"a.dll", L"a_m.dll");
        tntest::SetVaultString(L"FileMap\\Comp\\bin", L"a.dll", L"a_bin.dll");
        tntest::SetVaultString(L"FileMap\\Comp", L"exp.dll", L"%WINDIR%\\e.dll", REG_EXPAND_SZ);
        tntest::SetVaultString(L"FileMap\\Solo", L"s.dll", L"s_m.dll");
        tntest::SetVaultString(L"FileMap\\Named", L"", L"d_m.dll");  // default value: no name
    }
    void TearDown() override { tntest::DeleteVaultTree(L"FileMap"); }
};

TEST_F(FileMap, MapsNamesUnderTheOwnersKey)
{
    struct Case {
        const wchar_t* owner;
        const wchar_t* file;
        const wchar_t* subKey;
        bool enabled;
        const wchar_t* answer;
    };
    const Case cases[] = {
        {L"Comp", L"a.dll", nullptr, true, L"a_m.dll"},
        {L"comp", L"A.DLL", nullptr, true, L"a_m.dll"},
        {L"Comp", L"a.dll", L"", true, L"a_m.dll"},
        {L"Comp", L"a.dll", L"bin", true, L"a_bin.dll"},
        {L"Comp", L"a.dll", L"$SYSTEM32", true, L"a_m.dll"},  // a macro is left out of the path
        {L"Comp", L"a.dll", L"$Other", true, L"a_m.dll"},
        {L"Comp", L"a.dll", L"lib", true, L"a.dll"},          // no such key
        {L"Comp", L"b.dll", nullptr, true, L"b.dll"},         // no such value
        {L"Other", L"a.dll", nullptr, true, L"a.dll"},
        {nullptr, L"a.dll", nullptr, true, L"a.dll"},
        {L"Comp", nullptr, nullptr, true, L""},
        {L"Comp", L"exp.dll", nullptr, true, L"%WINDIR%\\e.dll"},  // not expanded
        {L"Comp", L"a.dll", L"bin", false, L"a.dll"},
        {L"Comp", nullptr, nullptr, false, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answer, tn::MapFileName(c.owner, c.file, c.subKey, Context(c.enabled)))
            << (c.owner ? c.owner : L"(null)") << " " << (c.file ? c.file : L"(null)") << " "
            << (c.subKey ? c.subKey : L"(null)") << " " << c.enabled;
}

TEST_F(FileMap, BadlyShapedDataCountsAsNoEntry)
{
    struct Case {
        const char* what;
        DWORD type;
        std::wstring text;
        size_t bytes;  // stored bytes of `text` (with what follows it)
        std::wstring answer;
    };
    const std::wstring longest(259, L'm');
    const std::wstring tooLong(260, L'm');
    const Case cases[] = {
        {"odd size", REG_SZ, std::wstring(L"ab\0", 3), 5, L"f.dll"},
        {"260 characters, no terminator", REG_SZ, tooLong, 520, L"f.dll"},
        {"not a string", REG_DWORD, L"ab", 4, L"f.dll"},
        {"binary", REG_BINARY, std::wstring(L"ab\0", 3), 6, L"f.dll"},
        {"empty", REG_SZ, L"", 0, L"f.dll"},
        {"only a terminator", REG_SZ, std::wstring(L"\0", 1), 2, L"f.dll"},
        {"259 characters fit", REG_SZ, longest + L'\0', 520, longest},
        {"260 characters do not", REG_SZ, tooLong + L'\0', 522, L"f.dll"},
        {"expand string", REG_EXPAND_SZ, std::wstring(L"x.dll\0", 6), 12, L"x.dll"},
    };
    for (const Case& c : cases) {
        tntest::SetVaultBytes(L"FileMap\\Bad", L"f.dll", c.type, c.text.data(), DWORD(c.bytes));
        EXPECT_EQ(c.answer, tn::MapFileName(L"Bad", L"f.dll", nullptr, Context(true))) << c.what;
    }
}

TEST_F(FileMap, UnmapsThroughTheWholeMap)
{
    struct Case {
        const wchar_t* mapped;
        bool enabled;
        const wchar_t* answer;
        const wchar_t* owner;
    };
    const Case cases[] = {
        {L"a_bin.dll", true, L"a.dll", L"Comp"},  // found in FileMap\Comp\bin
        {L"s_m.dll", true, L"s.dll", L"Solo"},
        {L"d_m.dll", true, L"d_m.dll", L"Named"},  // no value name: the mapped name stays
        {L"unknown.dll", true, L"unknown.dll", L"keep"},
        {nullptr, true, L"", L"keep"},
        {L"s_m.dll", false, L"s_m.dll", L"keep"},
        {nullptr, false, L"", L"keep"},
    };
    for (const Case& c : cases) {
        std::wstring owner = L"keep";
        EXPECT_EQ(c.answer, tn::UnmapFileName(c.mapped, owner, Context(c.enabled)))
            << (c.mapped ? c.mapped : L"(null)");
        EXPECT_EQ(c.owner, owner) << (c.mapped ? c.mapped : L"(null)");
    }
}

TEST_F(FileMap, UnmapWithoutAMapKeepsTheName)
{
    tntest::DeleteVaultTree(L"FileMap");
    std::wstring owner;
    EXPECT_EQ(L"s_m.dll", tn::UnmapFileName(L"s_m.dll", owner, Context(true)));
    EXPECT_EQ(L"", owner);
}

TEST(FileMapSwitch, OffTouchesNoStore)
{
    tntest::HiveDoubleScope scope;
    std::wstring owner;
    EXPECT_EQ(L"a.dll", tn::MapFileName(L"Comp", L"a.dll", L"bin", Context(false)));
    EXPECT_EQ(L"a.dll", tn::UnmapFileName(L"a.dll", owner, Context(false)));
    EXPECT_EQ(0, HiveDouble::created);
    EXPECT_EQ(0, HiveDouble::calls);

    // The same calls with the map on do reach the store.
    HiveDouble::script.readData = {'m', 0, 0, 0};
    EXPECT_EQ(L"m", tn::MapFileName(L"Comp", L"a.dll", L"bin", Context(true)));
    EXPECT_EQ(1, HiveDouble::created);
    EXPECT_GT(HiveDouble::calls, 0);
}

TEST(FileMapStore, HostileAnswersAreNotReadPastTheBuffers)
{
    tntest::HiveDoubleScope scope;
    struct Case {
        const char* what;
        std::wstring name;
        std::wstring path;
        bool terminate;
        LONG result;
        const wchar_t* answer;
        const wchar_t* owner;
    };
    const Case cases[] = {
        {"well formed", L"x.dll", L"Comp\\bin\\deep", true, 0, L"x.dll", L"Comp"},
        {"owner without sub-key", L"x.dll", L"Comp", true, 0, L"x.dll", L"Comp"},
        {"empty path", L"x.dll", L"", true, 0, L"x.dll", L"keep"},
        {"unterminated", L"name", L"Comp\\", false, 0, L"m.dll", L"keep"},
        {"store error", L"x.dll", L"Comp", true, ERROR_FILE_NOT_FOUND, L"m.dll", L"keep"},
    };
    for (const Case& c : cases) {
        HiveDouble::script.findName = c.name;
        HiveDouble::script.findPath = c.path;
        HiveDouble::script.terminate = c.terminate;
        HiveDouble::script.findResult = c.result;
        std::wstring owner = L"keep";
        EXPECT_EQ(c.answer, tn::UnmapFileName(L"m.dll", owner, Context(true))) << c.what;
        EXPECT_EQ(c.owner, owner) << c.what;
    }

    // Data without a terminator is not taken, however short.
    HiveDouble::script.readData = {'a', 0, 'b', 0};
    EXPECT_EQ(L"f.dll", tn::MapFileName(L"Comp", L"f.dll", nullptr, Context(true)));
    // A store that reports more bytes than the buffer holds is not believed.
    HiveDouble::script.readData.assign(520, 'a');
    HiveDouble::script.reportedSize = 4000;
    EXPECT_EQ(L"f.dll", tn::MapFileName(L"Comp", L"f.dll", nullptr, Context(true)));
    // Nor one whose key does not open.
    HiveDouble::script = HiveDouble::Script();
    HiveDouble::script.openResult = ERROR_ACCESS_DENIED;
    HiveDouble::script.readData = {'m', 0, 0, 0};
    EXPECT_EQ(L"f.dll", tn::MapFileName(L"Comp", L"f.dll", nullptr, Context(true)));
}

}  // namespace
