// ParseFileRecord: item conversions, the item count and its message, the
// limits of the 20 x 256 scratch.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/file_record.h"
#include "stdout_capture.h"

namespace {

using tn::FileRecord;

std::wstring Items(int count, const std::wstring& prefix = L"i")
{
    std::wstring value;
    for (int i = 1; i <= count; ++i)
        value += (i > 1 ? L"," : L"") + prefix + std::to_wstring(i);
    return value;
}

int Parse(const std::wstring& line, FileRecord& record)
{
    std::memset(&record, 0x5A, sizeof(record));
    const tn::CIniEntry entry(line.c_str(), L'=');
    return tn::ParseFileRecord(&entry, &record);
}

TEST(ParseFileRecord, FillsEveryFieldOfAFullLine)
{
    FileRecord r;
    tntest::StdoutCapture out;
    EXPECT_EQ(1, Parse(L"setup.exe=bin,$SYSTEM32,1,2,3,4,5,6,7,8,a,b,1F,c,9.7,0x400", r));
    EXPECT_STREQ(L"setup.exe", r.Name);
    EXPECT_STREQ(L"bin", r.SourceDir);
    EXPECT_STREQ(L"$SYSTEM32", r.DestDir);
    EXPECT_EQ(1, r.Num3);
    EXPECT_EQ(2, r.Num4);
    EXPECT_EQ(3, r.Num5);
    EXPECT_EQ(4, r.Num6);
    EXPECT_EQ(5, r.Int7);
    EXPECT_EQ(6, r.Int8);
    EXPECT_EQ(7, r.Int9);
    EXPECT_EQ(8, r.Int10);
    EXPECT_STREQ(L"a", r.Text11);
    EXPECT_STREQ(L"b", r.Text12);
    EXPECT_EQ(0x1Fu, r.Hex13);
    EXPECT_STREQ(L"c", r.Text14);
    EXPECT_EQ(9, r.Num15);
    EXPECT_EQ(0x400u, r.OsMask);
    EXPECT_EQ("", out.Text());
}

TEST(ParseFileRecord, ConvertsEachKindOfItem)
{
    struct Case {
        const wchar_t* item;
        int32_t number;    // as items 3 to 6 and 15
        int32_t integer;   // as items 7 to 10
        uint32_t hex;      // as items 13 and 16
        const wchar_t* text;  // as items 1, 2, 11, 12, 14
    };
    const Case cases[] = {
        {L"2.9", 2, 2, 0x9, L"2.9"},
        {L"-2.9", -2, -2, 0x9, L"-2.9"},
        {L"4294967295", -1, INT32_MAX, 0x42949672, L"4294967295"},
        {L"-99999999999", int32_t(0xB7891801), INT32_MIN, 0x9999999, L"-99999999999"},
        {L"  7xyz", 7, 7, 0, L"7xyz"},
        {L"1e3", 1000, 1, 0x1E3, L"1e3"},
        {L"1.5E1", 15, 1, 0x5E1, L"1.5E1"},
        {L"1e", 1, 1, 0x1E, L"1e"},
        {L".5", 0, 0, 0x5, L".5"},
        {L"5.", 5, 5, 0, L"5."},
        {L"1e30", 0, 1, 0x1E30, L"1e30"},  // beyond 64 bits
        {L"0x10", 0, 0, 0x10, L"0x10"},
        {L"inf", 0, 0, 0xF, L"inf"},
        {L"abc", 0, 0, 0xABC, L"abc"},
        {L"", 0, 0, 0, L""},
        {L" 1F", 1, 1, 0x1F, L"1F"},
        {L"1F ", 1, 1, 0, L"1F"},
        {L"  two words  ", 0, 0, 0, L"two words"},
    };
    for (const Case& c : cases) {
        std::wstring value;
        for (int i = 1; i <= 16; ++i)
            value += (i > 1 ? L"," : L"") + std::wstring(c.item);
        FileRecord r;
        tntest::StdoutCapture out;
        ASSERT_EQ(1, Parse(L"f=" + value, r)) << c.item;
        for (int32_t n : {r.Num3, r.Num4, r.Num5, r.Num6, r.Num15})
            EXPECT_EQ(c.number, n) << c.item;
        for (int32_t n : {r.Int7, r.Int8, r.Int9, r.Int10})
            EXPECT_EQ(c.integer, n) << c.item;
        EXPECT_EQ(c.hex, r.Hex13) << c.item;
        EXPECT_EQ(c.hex, r.OsMask) << c.item;
        for (const wchar_t* t : {r.SourceDir, r.DestDir, r.Text11, r.Text12, r.Text14})
            EXPECT_STREQ(c.text, t) << c.item;
    }
}

TEST(ParseFileRecord, CountsItemsAndReportsShortLines)
{
    struct Case {
        int items;  // 0: an empty value, which is one empty item
        int result;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {15, 0}, {16, 1}, {20, 1}, {21, 1}, {200, 1}};
    for (const Case& c : cases) {
        FileRecord r;
        tntest::StdoutCapture out;
        EXPECT_EQ(c.result, Parse(L"f.dll=" + Items(c.items), r)) << c.items;
        EXPECT_STREQ(L"f.dll", r.Name);
        EXPECT_STREQ(c.items ? L"i1" : L"", r.SourceDir);
        EXPECT_EQ(c.items >= 16 ? 0x16u : 0u, r.OsMask) << c.items;
        if (c.items >= 14) {
            EXPECT_STREQ(L"i14", r.Text14);
        }
        const std::string text = out.Text();
        if (c.result == 1) {
            EXPECT_EQ("", text) << c.items;
        } else {
            EXPECT_EQ("   error ! Item Count error,current count is " +
                          std::to_string(c.items ? c.items : 1) +
                          " ,request 16.\n       f.dll=" + tntest::ToUtf8(Items(c.items)) +
                          " \n build tools exit!\n",
                      text);
        }
    }
}

TEST(ParseFileRecord, MessageIsTextNotFormat)
{
    FileRecord r;
    tntest::StdoutCapture out;
    EXPECT_EQ(0, Parse(L"%s%n%d.dll=%n%s,%x%%", r));
    EXPECT_EQ("   error ! Item Count error,current count is 2 ,request 16.\n"
              "       %s%n%d.dll=%n%s,%x%% \n build tools exit!\n",
              out.Text());
}

TEST(ParseFileRecord, LongItemsStopTheSplitAtAFullSlot)
{
    struct Case {
        int position;  // which item is long
        size_t length;
        int result;
        int reported;  // items reported in the message, 0 for none
    };
    const Case cases[] = {
        {4, 255, 1, 0},   // fits a slot: the line goes on
        {4, 256, 0, 4},   // fills the slot: the rest of the line is ignored
        {4, 300, 0, 4},
        {11, 256, 0, 11},
        {16, 300, 1, 0},  // the last item may fill its slot
    };
    for (const Case& c : cases) {
        std::wstring value;
        for (int i = 1; i <= 16; ++i) {
            if (i > 1)
                value += L",";
            value += i == c.position ? std::wstring(c.length, L'7') : L"x" + std::to_wstring(i);
        }
        FileRecord r;
        tntest::StdoutCapture out;
        EXPECT_EQ(c.result, Parse(L"f=" + value, r)) << c.position << "/" << c.length;
        const std::string text = out.Text();
        if (c.reported) {
            EXPECT_NE(std::string::npos,
                      text.find("current count is " + std::to_string(c.reported) + " ,"))
                << text;
        }
        if (c.result == 0) {
            EXPECT_STREQ(L"", r.Text14);  // never reached
            EXPECT_EQ(0u, r.OsMask);
        }
        if (c.position == 11) {
            EXPECT_EQ(255u, wcslen(r.Text11));  // cut to the field
        }
        if (c.position == 16 && c.result == 1) {
            EXPECT_EQ(0x77777777u, r.OsMask);
        }
    }
}

TEST(ParseFileRecord, NullArgumentsWriteNothing)
{
    FileRecord r;
    std::memset(&r, 0x5A, sizeof(r));
    const tn::CIniEntry entry(L"a=b", L'=');
    EXPECT_EQ(0, tn::ParseFileRecord(nullptr, &r));
    EXPECT_EQ(0, tn::ParseFileRecord(&entry, nullptr));
    EXPECT_EQ(0x5A5A5A5Au, r.OsMask);
    EXPECT_EQ(wchar_t(0x5A5A), r.Name[0]);
}

}  // namespace
