#include <gtest/gtest.h>

#include "api/copy_rule.h"

namespace {

constexpr wchar_t kFill = 0x7777;

struct CopyCase {
    const wchar_t* answer;
    DWORD size;
    int result;
    const wchar_t* written;  // null: buffer untouched
};

TEST(CopyRule, CutsToSizeLessOneAndTerminates)
{
    const CopyCase cases[] = {
        {L"abcd", 5, 1, L"abcd"},   // length + 1 == size: whole
        {L"abcd", 4, 1, L"abc"},    // one unit short: last character lost, still 1
        {L"abcd", 1, 1, L""},       // only the terminator fits
        {L"abcd", 100, 1, L"abcd"},
        {L"", 10, 0, nullptr},      // empty answer: untouched, 0
        {L"abcd", 0, 0, nullptr},   // size 0: nothing written, 0
    };
    for (const CopyCase& c : cases) {
        wchar_t buffer[128];
        std::fill(std::begin(buffer), std::end(buffer), kFill);
        EXPECT_EQ(c.result, tn::CopyAnswer(c.answer, buffer, c.size)) << c.answer << " / " << c.size;
        if (c.written) {
            EXPECT_STREQ(c.written, buffer);
            EXPECT_EQ(kFill, buffer[wcslen(c.written) + 1]) << "written past the terminator";
        } else {
            EXPECT_EQ(kFill, buffer[0]);
        }
    }
}

}  // namespace
