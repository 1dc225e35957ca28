// The scans of the INI parser: the one-unit loop, the SSE2 loop (where the
// processor has it) and the dispatching FindEither, each against a plain
// search, at every start alignment, length and hit position around the
// eight-unit steps of the fast path, and never past the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/char_search.h"

namespace {

using Search = const wchar_t* (*)(const wchar_t*, const wchar_t*, wchar_t, wchar_t);

const wchar_t* PlainFind(const wchar_t* first, const wchar_t* last, wchar_t a, wchar_t b)
{
    for (; first != last; ++first)
        if (*first == a || *first == b)
            return first;
    return last;
}

const wchar_t* Dispatched(const wchar_t* first, const wchar_t* last, wchar_t a, wchar_t b)
{
    return tn::FindEither(first, last, a, b);
}

struct Path {
    const char* name;
    Search search;
};

std::vector<Path> Paths()
{
    std::vector<Path> paths{{"scalar", tn::FindEitherScalar}, {"dispatched", Dispatched}};
#if defined(TN_HAVE_SSE2_SEARCH)
    if (tn::ProcessorHasSse2())
        paths.push_back({"sse2", tn::FindEitherSse2});
#endif
    return paths;
}

TEST(FindEither, EveryPathAgreesWithAPlainSearch)
{
    const wchar_t targets[][2] = {{L'\n', L'\t'}, {L'\0', L';'}, {L'=', L'='}, {0xFFFF, 0x8000}};
    // The text starts at each of eight unit offsets, so every alignment of
    // the first load to 16 bytes is met.
    std::vector<wchar_t> storage(8 + 48, L'x');
    for (const Path& path : Paths()) {
        for (const auto& t : targets) {
            for (size_t start = 0; start < 8; ++start) {
                for (size_t length = 0; length <= 40; ++length) {
                    // No hit, one hit at each position (the tail after the
                    // last full step included), and two hits (the first counts).
                    for (size_t at = 0; at <= length; ++at) {
                        for (int second = 0; second < 2; ++second) {
                            std::fill(storage.begin(), storage.end(), L'x');
                            wchar_t* const first = storage.data() + start;
                            if (length > 0)
                                first[length / 2] = L'y';
                            if (at < length)
                                first[at] = second ? t[1] : t[0];
                            if (second && at + 3 < length)
                                first[at + 3] = t[0];
                            // The unit after the range holds a target: it must not be seen.
                            first[length] = t[0];
                            const wchar_t* const last = first + length;
                            ASSERT_EQ(PlainFind(first, last, t[0], t[1]),
                                      path.search(first, last, t[0], t[1]))
                                << path.name << " start " << start << " length " << length
                                << " at " << at;
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
