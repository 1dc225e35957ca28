#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ini_entry.h"
#include "config/text_utils.h"

namespace {

using tn::StringList;

std::vector<std::wstring> Items(const StringList& list)
{
    return std::vector<std::wstring>(list.begin(), list.end());
}

TEST(TextCase, FoldsAsciiLettersOnly)
{
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool equal;
    };
    const Case cases[] = {
        {L"InstallCompose", L"installcompose", true},
        {L"ABC", L"abc", true},
        {L"abc", L"abcd", false},
        {L"", L"", true},
        {L"\u00C4", L"\u00E4", false},  // A with diaeresis: not an ASCII letter, compared exactly
        {L"[", L"{", false},           // 0x5B and 0x7B differ by 0x20 but are not letters
        {L"@", L"`", false},
        {L"Z", L"z", true},
        {nullptr, L"", false},
        {nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.equal, tn::EqualsNoCase(c.a, c.b)) << (c.a ? c.a : L"(null)") << " / " << (c.b ? c.b : L"(null)");
        if (c.a && c.b) {
            EXPECT_EQ(c.equal, tn::EqualsNoCase(std::wstring(c.a), std::wstring(c.b)));
        }
    }
    EXPECT_TRUE(tn::StartsWithNoCase(L"FileMap\\X", L"filemap\\"));
    EXPECT_TRUE(tn::StartsWithNoCase(L"abc", L""));
    EXPECT_FALSE(tn::StartsWithNoCase(L"ab", L"abc"));
    EXPECT_FALSE(tn::StartsWithNoCase(nullptr, L"a"));
}

TEST(TextTrim, RemovesOnlyBlanks)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* left;
        const wchar_t* both;
    };
    const Case cases[] = {
        {L"   ", L"", L""},
        {L"  a b  ", L"a b  ", L"a b"},
        {L"\tword", L"\tword", L"\tword"},
        {L" x\r ", L"x\r ", L"x\r"},
        {L"", L"", L""},
        {L"abc", L"abc", L"abc"},
    };
    for (const Case& c : cases) {
        std::wstring s = c.text;
        tn::TrimLeft(s);
        EXPECT_EQ(c.left, s) << c.text;
        s = c.text;
        tn::Trim(s);
        EXPECT_EQ(c.both, s) << c.text;

        wchar_t buffer[32];
        wcscpy(buffer, c.text);
        tn::TrimLeft(buffer);
        EXPECT_STREQ(c.left, buffer);
        wcscpy(buffer, c.text);
        tn::Trim(buffer);
        EXPECT_STREQ(c.both, buffer);
    }
    // A null text is accepted: the calls return without touching memory (an
    // access would end the test program before the line below).
    tn::Trim(static_cast<wchar_t*>(nullptr));
    tn::TrimLeft(static_cast<wchar_t*>(nullptr));
    SUCCEED() << "Trim and TrimLeft returned on a null text";
}

TEST(TextParseHex, ReadsTrailingDigitsOfFirstEight)
{
    struct Case {
        const wchar_t* text;
        uint32_t value;
    };
    const Case cases[] = {
        {L"0804", 0x804}, {L"1a", 26},        {L"0x1A", 26},         {L"12G4", 4},
        {L"", 0},         {L"123456789", 0x12345678}, {L"ffffffff", 0xFFFFFFFF},
        {L"G", 0},        {L"0X10", 16},      {L"FFFFFFFFF", 0xFFFFFFFF}, {L" 1f", 31},
        {nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, tn::ParseHex(c.text)) << (c.text ? c.text : L"(null)");
}

TEST(TextIniEntry, SplitsLineAndCleansValue)
{
    struct Case {
        const wchar_t* line;
        const wchar_t* key;
        const wchar_t* value;
    };
    const Case cases[] = {
        {L"Path=\"C:\\Temp\\a b\"", L"Path", L"C:\\Temp\\a b"},
        {L"Name = x", L"Name", L" x"},
        {L"Key=ab\"c", L"Key", L"ab"},
        {L"Key=\"", L"Key", L""},
        {L"Key=\"\"", L"Key", L""},
        {L"Key==v", L"Key", L"=v"},
        {L"=abc", L"", L"abc"},
        {L"no sign here", L"", L""},
        {L"Key=\"x\"\r", L"Key", L"x"},
        {L"Key=x\r\r", L"Key", L"x\r"},   // only one CR goes
        {L"Key=\"a", L"Key", L""},       // a quote one before the end cuts there
        {L"Key=\"ab", L"Key", L"ab"},
        {L"  K  =v ", L"K", L"v "},
        {L"Key=", L"Key", L""},
    };
    for (const Case& c : cases) {
        tn::CIniEntry entry(c.line, L'=');
        EXPECT_STREQ(c.key, entry.GetKey()) << c.line;
        EXPECT_STREQ(c.value, entry.GetValue()) << c.line;
    }
    tn::CIniEntry none(nullptr, L'=');
    EXPECT_STREQ(L"", none.GetKey());
    EXPECT_STREQ(L"", none.GetValue());
}

TEST(TextIniEntry, KeyValueFormAndLimits)
{
    tn::CIniEntry entry = tn::CIniEntry::FromKeyValue(L"  Key ", L" \"v\"\r");
    EXPECT_STREQ(L"Key", entry.GetKey());
    EXPECT_STREQ(L" \"v\"\r", entry.GetValue());  // stored as passed
    EXPECT_FALSE(entry.SetValue(nullptr));
    EXPECT_STREQ(L" \"v\"\r", entry.GetValue());
    EXPECT_TRUE(entry.SetValue(L"new"));
    EXPECT_STREQ(L"new", entry.GetValue());

    // Keys cut to 127, values to 2047 characters, whichever way they arrive.
    const std::wstring longKey(200, L'k');
    const std::wstring longValue(3000, L'v');
    const std::wstring line = longKey + L"=" + longValue;
    const tn::CIniEntry fromLine(line.c_str(), L'=');
    EXPECT_EQ(std::wstring(127, L'k'), fromLine.GetKey());
    EXPECT_EQ(std::wstring(2047, L'v'), fromLine.GetValue());
    tn::CIniEntry fromPair = tn::CIniEntry::FromKeyValue(longKey.c_str(), longValue.c_str());
    EXPECT_EQ(127u, wcslen(fromPair.GetKey()));
    EXPECT_EQ(2047u, wcslen(fromPair.GetValue()));
    EXPECT_TRUE(fromPair.SetValue(std::wstring(2048, L'w').c_str()));
    EXPECT_EQ(std::wstring(2047, L'w'), fromPair.GetValue());
    // A key whose cut ends in blanks loses them.
    const std::wstring spaced = std::wstring(126, L'a') + L"  b=1";
    EXPECT_EQ(std::wstring(126, L'a'), tn::CIniEntry(spaced.c_str(), L'=').GetKey());
}

TEST(TextSplitList, ItemsAndEmptyItems)
{
    struct Case {
        const wchar_t* text;
        bool keepEmpty;
        std::vector<std::wstring> items;
    };
    const Case cases[] = {
        {L"a,b,,c,", false, {L"a", L"b", L"c"}},
        {L"a,b,,c,", true, {L"a", L"b", L"", L"c", L""}},
        {L",", false, {}},
        {L",", true, {L"", L""}},
        {L",,,", true, {L"", L"", L"", L""}},
        {L",,,", false, {}},
        {L"a, b", false, {L"a", L" b"}},
        {L"a, b", true, {L"a", L" b"}},
        {L"", true, {}},
        {nullptr, true, {}},
    };
    for (const Case& c : cases) {
        StringList list;
        list.Append(L"kept");
        const size_t count = tn::SplitList(c.text, list, L',', c.keepEmpty);
        std::vector<std::wstring> expected{L"kept"};
        expected.insert(expected.end(), c.items.begin(), c.items.end());
        EXPECT_EQ(c.items.size(), count) << (c.text ? c.text : L"(null)") << " " << c.keepEmpty;
        EXPECT_EQ(expected, Items(list)) << (c.text ? c.text : L"(null)");
    }
    StringList other;
    EXPECT_EQ(3u, tn::SplitList(L"x;y;z", other, L';', false));
}

TEST(TextSplitList, ItemLimitStopsTheSplit)
{
    const std::wstring at(511, L'a');
    const std::wstring over(512, L'b');
    struct Case {
        std::wstring text;
        std::vector<std::wstring> items;
    };
    const Case cases[] = {
        {L"x," + at + L",y", {L"x", at, L"y"}},
        {L"x," + over + L",y", {L"x"}},
        {over, {}},
        {at, {at}},
    };
    for (const Case& c : cases) {
        StringList list;
        EXPECT_EQ(c.items.size(), tn::SplitList(c.text.c_str(), list, L',', true));
        EXPECT_EQ(c.items, Items(list));
    }
    EXPECT_TRUE(tn::IsInList((L"x," + at).c_str(), at.c_str(), L','));
    EXPECT_FALSE(tn::IsInList((L"x," + over + L",y").c_str(), L"y", L','));
}

TEST(TextLists, MembershipAddAndRemove)
{
    struct InCase {
        const wchar_t* list;
        const wchar_t* item;
        bool found;
    };
    const InCase inCases[] = {
        {L"Alpha,Beta", L"beta", true},
        {L"Alpha, Beta", L"Beta", false},  // the item read is " Beta"
        {L"a,,b", L"", false},
        {L"", L"a", false},
        {nullptr, L"a", false},
        {L"a", nullptr, false},
        {L"ab,abc", L"a", false},
    };
    for (const InCase& c : inCases)
        EXPECT_EQ(c.found, tn::IsInList(c.list, c.item, L',')) << (c.list ? c.list : L"(null)");

    struct RemoveCase {
        const wchar_t* list;
        const wchar_t* item;
        bool removed;
        const wchar_t* after;
    };
    const RemoveCase removeCases[] = {
        {L"a,B,a,c", L"A", true, L"B,c"},
        {L"a,,b", L"x", false, L"a,,b"},
        {L"a,,b", L"a", true, L"b"},
        {L"only", L"ONLY", true, L""},
        {L",a,,", L"a", true, L""},
        {L"x;a;y", L"a", true, L"x,y"},  // rebuilt with commas whatever the separator
        {L"a,b", nullptr, false, L"a,b"},
    };
    for (const RemoveCase& c : removeCases) {
        std::wstring text = c.list;
        const wchar_t separator = wcschr(c.list, L';') ? L';' : L',';
        EXPECT_EQ(c.removed, tn::RemoveFromList(text, c.item, separator)) << c.list;
        EXPECT_EQ(c.after, text) << c.list;
    }

    // Items beyond an over-long one are not lost when another item goes.
    const std::wstring over(600, L'z');
    std::wstring text = L"a," + over + L",b";
    EXPECT_TRUE(tn::RemoveFromList(text, L"a", L','));
    EXPECT_EQ(over + L",b", text);

    StringList list;
    EXPECT_TRUE(tn::AddUnique(list, L"alpha"));
    EXPECT_FALSE(tn::AddUnique(list, L"ALPHA"));
    EXPECT_FALSE(tn::AddUnique(list, nullptr));
    EXPECT_EQ(std::vector<std::wstring>{L"alpha"}, Items(list));
    EXPECT_FALSE(tn::ListContains(list, nullptr));
}

// The folded index behind ListContains must follow every change of the list.
TEST(TextLists, LargeListStaysConsistent)
{
    StringList list;
    for (int i = 0; i < 5000; ++i)
        EXPECT_TRUE(tn::AddUnique(list, (L"Name" + std::to_wstring(i)).c_str()));
    for (int i = 0; i < 5000; i += 7)
        EXPECT_FALSE(tn::AddUnique(list, (L"NAME" + std::to_wstring(i)).c_str()));
    EXPECT_EQ(5000u, list.Count());
    EXPECT_EQ(L"Name4999", list.At(4999));

    list.Append(L"twin");
    list.Append(L"TWIN");
    list.RemoveAt(list.Count() - 1);
    EXPECT_TRUE(tn::ListContains(list, L"Twin"));  // one of the two remains
    list.RemoveAt(list.Count() - 1);
    EXPECT_FALSE(tn::ListContains(list, L"twin"));
    list.RemoveAt(0);
    EXPECT_FALSE(tn::ListContains(list, L"name0"));
    EXPECT_TRUE(tn::ListContains(list, L"name1"));

    StringList copy = list;
    list.Clear();
    EXPECT_FALSE(tn::ListContains(list, L"name1"));
    EXPECT_TRUE(tn::ListContains(copy, L"NAME1"));
    EXPECT_TRUE(tn::AddUnique(list, L"name1"));
}

TEST(TextCopyToField, CutsAndTerminates)
{
    wchar_t field[6];
    std::fill(std::begin(field), std::end(field), L'#');
    tn::CopyToField(field, 4, L"abcdef");
    EXPECT_STREQ(L"abc", field);
    EXPECT_EQ(L'#', field[4]);
    tn::CopyToField(field, 4, nullptr);
    EXPECT_STREQ(L"", field);
    field[0] = L'#';
    tn::CopyToField(field, 0, L"x");
    EXPECT_EQ(L'#', field[0]);
}

}  // namespace
