// File record lines: the parser never writes past the record or leaves a
// text field unterminated, and its fields agree with a plain reading of the
// line: the items split at commas (up to the 20th comma, an item ending the
// walk once it holds 256 characters), texts trimmed and cut to their fields,
// decimal integers as the C library reads them, numbers with their fraction
// dropped, and the answer 1 exactly when 16 items were found.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "config/file_record.h"
#include "config/ini_entry.h"
#include "config/text_utils.h"
#include "demo_files.h"
#include "fuzz_targets.h"
#include "mutator.h"
#include "test_support.h"

namespace tnrobust {
namespace {

constexpr uint64_t kCiIterations = 20000;
constexpr unsigned char kCanary = 0xA5;
constexpr size_t kCanaryBytes = 64;

// The record between two fenced stretches that must stay as they were.
struct FencedRecord {
    unsigned char before[kCanaryBytes];
    tn::FileRecord record;
    unsigned char after[kCanaryBytes];
};

// Record lines of the demo's component files, as seeds.
const std::vector<std::wstring>& SeedLines()
{
    static const std::vector<std::wstring> lines = [] {
        std::vector<std::wstring> found;
        for (const DemoFile& file : DemoFiles())
            for (const std::wstring& line : tntest::SplitLines(file.text))
                if (LooksLikeRecord(line))
                    found.push_back(line);
        if (found.empty())
            found.push_back(L"setup.exe=bin,$SYSTEM32,1,2,3,4,5,6,7,8,a,b,1F,c,9.7,0x400");
        return found;
    }();
    return lines;
}

const wchar_t* const kItemPieces[] = {
    L"", L" ", L"  x ", L"1", L"-2.9", L"2.9", L"+7", L"-0", L"1e3", L"1E-3", L"1e308", L"1e309",
    L"-1e309", L"4294967295", L"4294967296", L"2147483647", L"2147483648", L"-2147483648",
    L"-2147483649", L"99999999999999999999", L"9223372036854775807", L"9223372036854775808",
    L"0x1F", L"1F", L" 1F", L"1F ", L"ffffffff", L"123456789", L"G", L".5", L"5.", L".", L"e5",
    L"99999999999999.9", L"999999999999999.9", L"1.99999999999999999", L"-0.999999999999999",
    L"9007199254740993", L"0000000000000000000042.5", L"4503599627370495.5",
    L"\"q\"", L"$SYSTEM32", L"$WINDOWS\\Fonts", L"%WINDIR%\\x", L"bin", L"\t3", L"\u00A0 5"};

std::wstring GenerateLine(Rng& rng)
{
    if (rng.OneIn(3)) {
        std::wstring line = SeedLines()[rng.Below(uint32_t(SeedLines().size()))];
        MutateText(line, rng, int(rng.Between(1, 6)));
        return line;
    }
    std::wstring line = rng.OneIn(8) ? std::wstring(PickBoundaryLength(rng), L'k') : L"file.dll";
    line += L'=';
    const uint32_t items = rng.Between(0, 26);
    for (uint32_t i = 0; i < items; ++i) {
        if (i > 0)
            line += L',';
        if (rng.OneIn(10))
            line += std::wstring(PickBoundaryLength(rng) - rng.Below(3), L"a 7,"[rng.Below(4)]);
        else
            line += rng.Pick(kItemPieces);
    }
    if (rng.OneIn(3))
        MutateText(line, rng, int(rng.Between(1, 3)));
    return line;
}

std::string Generate(uint64_t seed)
{
    Rng rng(seed);
    return Utf16Bytes(GenerateLine(rng), false, false);
}

// The items as a plain reading of the value finds them.
std::vector<std::wstring> Items(const std::wstring& value, int& found)
{
    std::vector<std::wstring> items(1);
    int commas = 0;
    for (wchar_t c : value) {
        if (c == L',') {
            if (++commas >= tn::kRecordScratchSlots)
                break;
            items.emplace_back();
            continue;
        }
        items.back() += c;
        if (items.back().size() == size_t(tn::kRecordScratchChars))
            break;
    }
    found = commas + 1;
    items.resize(tn::kRecordScratchSlots);
    return items;
}

std::wstring Field(const std::wstring& item, size_t capacity)
{
    std::wstring text = item;
    tn::Trim(text);
    if (text.size() > capacity - 1)
        text.resize(capacity - 1);
    return text;
}

bool IsPlainAscii(const std::wstring& text, const wchar_t* banned)
{
    for (wchar_t c : text)
        if (c < 0x20 || c > 0x7E || std::wcschr(banned, c))
            return false;
    return true;
}

template <size_t N>
std::string CheckText(const wchar_t (&field)[N], const std::wstring& item, const char* name)
{
    if (wcsnlen(field, N) == N)
        return std::string(name) + " not terminated";
    if (Field(item, N) != field)
        return std::string(name) + " differs from the item";
    return "";
}

std::string CheckInteger(int32_t value, const std::wstring& item, const char* name)
{
    if (!IsPlainAscii(item, L""))
        return "";
    // long is 32 bits here, so wcstol clamps to the range as the reader does.
    const long expected = std::wcstol(item.c_str(), nullptr, 10);
    return int32_t(expected) == value ? "" : std::string(name) + " differs from wcstol";
}

std::string CheckNumber(int32_t value, const std::wstring& item, const char* name)
{
    // Letters other than the exponent's are left out: the C library also
    // reads hexadecimal, infinities and a "d" exponent, which the reader does not.
    if (!IsPlainAscii(item, L"xXnNiIdDpP"))
        return "";
    const double number = std::trunc(std::wcstod(item.c_str(), nullptr));
    constexpr double kLimit = 9223372036854775808.0;
    const int32_t expected = number >= -kLimit && number < kLimit
                                 ? int32_t(uint32_t(uint64_t(int64_t(number))))
                                 : 0;
    return expected == value ? "" : std::string(name) + " differs from wcstod";
}

std::string Check(const std::string& bytes)
{
    const std::wstring line = TextOfUtf16(bytes);
    const tn::CIniEntry entry(line.c_str(), L'=');
    FencedRecord fenced;
    std::memset(&fenced, kCanary, sizeof(fenced));
    const int result = tn::ParseFileRecord(&entry, &fenced.record);
    for (size_t i = 0; i < kCanaryBytes; ++i)
        if (fenced.before[i] != kCanary || fenced.after[i] != kCanary)
            return "written past the record";

    const tn::FileRecord& r = fenced.record;
    int found = 0;
    const std::vector<std::wstring> items = Items(entry.GetValue(), found);
    if (result != (found >= tn::kRecordItemsRequired ? 1 : 0))
        return "the answer does not match the " + std::to_string(found) + " items";

    std::string message = CheckText(r.Name, entry.GetKey(), "Name");
    const struct {
        std::string text;
    } checks[] = {
        {CheckText(r.SourceDir, items[0], "SourceDir")},
        {CheckText(r.DestDir, items[1], "DestDir")},
        {CheckNumber(r.Num3, items[2], "Num3")},
        {CheckNumber(r.Num4, items[3], "Num4")},
        {CheckNumber(r.Num5, items[4], "Num5")},
        {CheckNumber(r.Num6, items[5], "Num6")},
        {CheckInteger(r.Int7, items[6], "Int7")},
        {CheckInteger(r.Int8, items[7], "Int8")},
        {CheckInteger(r.Int9, items[8], "Int9")},
        {CheckInteger(r.Int10, items[9], "Int10")},
        {CheckText(r.Text11, items[10], "Text11")},
        {CheckText(r.Text12, items[11], "Text12")},
        {r.Hex13 == tn::ParseHex(items[12].c_str()) ? "" : "Hex13 differs"},
        {CheckText(r.Text14, items[13], "Text14")},
        {CheckNumber(r.Num15, items[14], "Num15")},
        {r.OsMask == tn::ParseHex(items[15].c_str()) ? "" : "OsMask differs"},
    };
    for (const auto& check : checks)
        if (message.empty())
            message = check.text;
    return message;
}

}  // namespace

int FuzzRecord(const FuzzOptions& options)
{
    return RunFuzz(options, kCiIterations, L"record", L".bin", Generate, Check);
}

}  // namespace tnrobust
