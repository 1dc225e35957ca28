#include "config/file_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "config/text_utils.h"

namespace tn {
namespace {

// The parser's scratch: one slot per item, each holding at most
// kRecordScratchChars characters and a terminator after them. Lengths are
// kept beside the slots.
struct RecordScratch {
    wchar_t slots[kRecordScratchSlots][kRecordScratchChars + 1];
    size_t lengths[kRecordScratchSlots];
    int commas;
};

// One item of the scratch: its text (terminated) and length.
struct ItemText {
    const wchar_t* text;
    size_t length;
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Splits `value` into the scratch. The walk ends at the end of the value, at
// the 20th comma (items past the twentieth are never looked at), or once the
// current item holds a full slot (the rest of the value is ignored).
void SplitItems(const wchar_t* value, RecordScratch& scratch)
{
    // Only what the lengths cover is ever read of a slot.
    std::memset(scratch.lengths, 0, sizeof(scratch.lengths));
    scratch.commas = 0;
    int slot = 0;
    for (const wchar_t* p = value; *p; ++p) {
        if (*p == L',') {
            ++scratch.commas;
            if (scratch.commas >= kRecordScratchSlots)
                break;
            ++slot;
            continue;
        }
        scratch.slots[slot][scratch.lengths[slot]++] = *p;
        if (scratch.lengths[slot] == kRecordScratchChars)
            break;
    }
    for (int i = 0; i < kRecordScratchSlots; ++i)
        scratch.slots[i][scratch.lengths[i]] = L'\0';
}

ItemText Item(const RecordScratch& scratch, int number)
{
    const int slot = number - 1;
    return {scratch.slots[slot], scratch.lengths[slot]};
}

// `length` units of `text`, trimmed of blanks and cut to the field.
void CopyTrimmed(const wchar_t* text, size_t length, wchar_t* field, size_t capacity)
{
    TrimBlanks(text, length);
    const size_t kept = std::min(length, capacity - 1);
    std::wmemcpy(field, text, kept);
    field[kept] = L'\0';
}

void ToText(const RecordScratch& scratch, int number, wchar_t* field, size_t capacity)
{
    const ItemText item = Item(scratch, number);
    CopyTrimmed(item.text, item.length, field, capacity);
}

// Decimal number with its fraction dropped: white space, a sign, digits, a
// decimal point with digits and an exponent are read as a double, truncated
// toward zero to 64 bits, and the low 32 bits kept. Only that syntax is
// read (no hexadecimal floats, infinities or NaN). A number beyond the 64-bit
// range gives 0, the low half of the processor's "indefinite" integer.
int32_t ToNumber(const RecordScratch& scratch, int number)
{
    const ItemText item = Item(scratch, number);
    const wchar_t* const text = item.text;
    const size_t size = item.length;
    size_t i = 0;
    while (i < size && IsWhiteSpace(text[i]))
        ++i;
    const size_t start = i;
    const bool negative = i < size && text[i] == L'-';
    if (i < size && (text[i] == L'+' || text[i] == L'-'))
        ++i;
    const size_t wholeStart = i;
    while (i < size && IsDigit(text[i]))
        ++i;
    const size_t wholeEnd = i;
    size_t fraction = 0;
    if (i < size && text[i] == L'.') {
        ++i;
        while (i < size && IsDigit(text[i]))
            ++i, ++fraction;
    }
    if (wholeEnd == wholeStart && fraction == 0)
        return 0;
    bool exponent = false;
    if (i < size && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        if (j < size && (text[j] == L'+' || text[j] == L'-'))
            ++j;
        if (j < size && IsDigit(text[j])) {
            while (j < size && IsDigit(text[j]))
                ++j;
            i = j;
            exponent = true;
        }
    }
    // A number of at most 15 significant digits without an exponent is
    // read as a double close enough that its truncation is its whole part:
    // the common case needs no conversion through a double.
    size_t firstDigit = wholeStart;
    while (firstDigit < wholeEnd && text[firstDigit] == L'0')
        ++firstDigit;
    constexpr size_t kExactDigits = 15;
    if (!exponent && (wholeEnd - firstDigit) + fraction <= kExactDigits) {
        uint64_t whole = 0;
        for (size_t d = firstDigit; d < wholeEnd; ++d)
            whole = whole * 10 + uint64_t(text[d] - L'0');
        return static_cast<int32_t>(static_cast<uint32_t>(negative ? 0 - whole : whole));
    }
    const std::wstring numberText(text + start, i - start);
    const double value = std::wcstod(numberText.c_str(), nullptr);
    // 2^63 is exact in a double; the range check keeps the cast defined.
    constexpr double kLimit = 9223372036854775808.0;
    const double truncated = std::trunc(value);
    if (!(truncated >= -kLimit && truncated < kLimit))
        return 0;
    const int64_t whole = static_cast<int64_t>(truncated);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}

// Decimal integer, read as an INI value is: white space, a sign and digits
// up to the first other character; no digits (or no text) give 0. Values
// beyond the 32-bit range are clamped.
int32_t ToInteger(const RecordScratch& scratch, int number)
{
    return ParseIniInt(Item(scratch, number).text, 0);
}

// Hexadecimal: ParseHex of the item as it stands, blanks included.
uint32_t ToHex(const RecordScratch& scratch, int number)
{
    return ParseHex(Item(scratch, number).text);
}

// The complaint about a short line goes to standard output as wide text.
// Key and value are data, so the message is assembled here and written as
// it stands; it is never handed to a formatting function as a format.
void ReportItemCount(int found, const wchar_t* key, const wchar_t* value)
{
    std::wstring message = L"   error ! Item Count error,current count is ";
    message += std::to_wstring(found);
    message += L" ,request ";
    message += std::to_wstring(kRecordItemsRequired);
    message += L".\n       ";
    message += key;
    message += L"=";
    message += value;
    message += L" \n build tools exit!\n";
    std::fputws(message.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

int ParseFileRecord(const CIniEntry* entry, FileRecord* record, int* itemCount)
{
    if (!entry || !record)
        return 0;

    RecordScratch scratch;
    SplitItems(entry->GetValue(), scratch);

    CopyTrimmed(entry->GetKey(), entry->GetKeyLength(), record->Name,
                sizeof(record->Name) / sizeof(wchar_t));

    ToText(scratch, 1, record->SourceDir, sizeof(record->SourceDir) / sizeof(wchar_t));
    ToText(scratch, 2, record->DestDir, sizeof(record->DestDir) / sizeof(wchar_t));
    record->Num3 = ToNumber(scratch, 3);
    record->Num4 = ToNumber(scratch, 4);
    record->Num5 = ToNumber(scratch, 5);
    record->Num6 = ToNumber(scratch, 6);
    record->Int7 = ToInteger(scratch, 7);
    record->Int8 = ToInteger(scratch, 8);
    record->Int9 = ToInteger(scratch, 9);
    record->Int10 = ToInteger(scratch, 10);
    ToText(scratch, 11, record->Text11, sizeof(record->Text11) / sizeof(wchar_t));
    ToText(scratch, 12, record->Text12, sizeof(record->Text12) / sizeof(wchar_t));
    record->Hex13 = ToHex(scratch, 13);
    ToText(scratch, 14, record->Text14, sizeof(record->Text14) / sizeof(wchar_t));
    record->Num15 = ToNumber(scratch, 15);
    record->OsMask = ToHex(scratch, 16);

    const int found = scratch.commas + 1;
    if (itemCount)
        *itemCount = found;
    if (found >= kRecordItemsRequired)
        return 1;
    ReportItemCount(found, entry->GetKey(), entry->GetValue());
    return 0;
}

}  // namespace tn
