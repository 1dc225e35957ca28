// FindEither against a plain search, at every length and position around the
// eight-unit steps of its fast path.
#include <gtest/gtest.h>

#include <string>

#include "config/char_search.h"

namespace {

const wchar_t* PlainFind(const wchar_t* first, const wchar_t* last, wchar_t a, wchar_t b)
{
    for (; first != last; ++first)
        if (*first == a || *first == b)
            return first;
    return last;
}

TEST(FindEither, AgreesWithAPlainSearchAtEveryPosition)
{
    const wchar_t targets[][2] = {{L'\n', L'\t'}, {L'\0', L';'}, {L'=', L'='}, {0xFFFF, 0x8000}};
    for (const auto& t : targets) {
        for (size_t length = 0; length <= 40; ++length) {
            // No hit, one hit at each position, and two hits (the first one counts).
            for (size_t at = 0; at <= length; ++at) {
                for (int second = 0; second < 2; ++second) {
                    std::wstring text(length, L'x');
                    text[0 < length ? length / 2 : 0] = length ? L'y' : text[0];
                    if (at < length)
                        text[at] = second ? t[1] : t[0];
                    if (second && at + 3 < length)
                        text[at + 3] = t[0];
                    const wchar_t* first = text.data();
                    const wchar_t* last = first + length;
                    EXPECT_EQ(PlainFind(first, last, t[0], t[1]),
                              tn::FindEither(first, last, t[0], t[1]))
                        << "length " << length << " at " << at;
                }
            }
        }
    }
}

TEST(FindEither, NeverLooksPastTheEnd)
{
    // The unit right after the searched range holds the target.
    std::wstring text(17, L'a');
    text += L'\n';
    const wchar_t* last = text.data() + 17;
    for (size_t start = 0; start <= 17; ++start)
        EXPECT_EQ(last, tn::FindEither(static_cast<const wchar_t*>(text.data()) + start, last, L'\n', L'\n')) << start;
}

}  // namespace
