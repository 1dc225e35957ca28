#pragma once
#include <cstddef>

#if defined(__i386__) || defined(__x86_64__)
#define TN_HAVE_SSE2_SEARCH 1
#include <emmintrin.h>
#endif

namespace tn {

// Whether the processor runs SSE2 code: always on x86_64; asked once on
// 32-bit x86, where Windows also runs on processors without it.
bool ProcessorHasSse2();

// The first position in [first, last) that holds `a` or `b`, or `last`: one
// unit at a time.
inline const wchar_t* FindEitherScalar(const wchar_t* first, const wchar_t* last, wchar_t a,
                                       wchar_t b)
{
    for (; first != last; ++first) {
        if (*first == a || *first == b)
            return first;
    }
    return last;
}

#if defined(TN_HAVE_SSE2_SEARCH)
#if defined(__i386__)
// Built for SSE2 in a build that otherwise does not assume it; the function
// realigns its own frame, since callers built by other compilers enter with
// only 4-byte stack alignment. Its loads are unaligned ones.
#define TN_SSE2_FUNCTION __attribute__((target("sse2"), force_align_arg_pointer))
#else
#define TN_SSE2_FUNCTION
#endif

// The same answer, eight units at a time. Only to be called where
// ProcessorHasSse2() is true.
TN_SSE2_FUNCTION inline const wchar_t* FindEitherSse2(const wchar_t* first, const wchar_t* last,
                                                      wchar_t a, wchar_t b)
{
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
    for (; first != last; ++first) {
        if (*first == a || *first == b)
            return first;
    }
    return last;
}
#endif

// The parser calls this for every line (its end, its comment, its equals
// sign); the path is chosen by the processor and the answer is the same
// either way.
template <class Char>
Char* FindEither(Char* first, Char* last, wchar_t a, wchar_t b)
{
    static_assert(sizeof(Char) == 2, "UTF-16 code units");
#if defined(__x86_64__)
    const wchar_t* found = FindEitherSse2(first, last, a, b);
#elif defined(TN_HAVE_SSE2_SEARCH)
    const wchar_t* found = ProcessorHasSse2() ? FindEitherSse2(first, last, a, b)
                                              : FindEitherScalar(first, last, a, b);
#else
    const wchar_t* found = FindEitherScalar(first, last, a, b);
#endif
    // The search only reads; the caller's constness comes back unchanged.
    return first + (found - first);
}

}  // namespace tn
