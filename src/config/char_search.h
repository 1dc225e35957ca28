#pragma once
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tn {

// The first position in [first, last) that holds `a` or `b`, or `last`.
// The parser calls this for every line (its end, its comment, its equals
// sign), so it compares eight UTF-16 units at a time where the processor
// allows and one at a time otherwise; the answer is the same either way.
template <class Char>
Char* FindEither(Char* first, Char* last, wchar_t a, wchar_t b)
{
    static_assert(sizeof(Char) == 2, "UTF-16 code units");
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi16(static_cast<short>(a));
    const __m128i wantB = _mm_set1_epi16(static_cast<short>(b));
    while (last - first >= 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
        const int hits = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi16(units, wantA), _mm_cmpeq_epi16(units, wantB)));
        if (hits != 0)
            return first + (__builtin_ctz(static_cast<unsigned>(hits)) >> 1);
        first += 8;
    }
#endif
    for (; first != last; ++first) {
        if (*first == a || *first == b)
            return first;
    }
    return last;
}

}  // namespace tn
