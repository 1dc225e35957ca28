#include "config/char_search.h"

#include <windows.h>

namespace tn {
namespace {

#if defined(__i386__)
// Filled on first use, without a lock: every thread finds the same answer.
// -1 until asked.
int g_hasSse2 = -1;
#endif

}  // namespace

bool ProcessorHasSse2()
{
#if defined(__x86_64__)
    return true;
#elif defined(__i386__)
    if (g_hasSse2 < 0)
        g_hasSse2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) ? 1 : 0;
    return g_hasSse2 != 0;
#else
    return false;
#endif
}

}  // namespace tn
