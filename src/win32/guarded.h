#pragma once
#include <windows.h>

#include <new>
#include <utility>

namespace tn {

// The no-throw guard of a module boundary (the exports, the store's key
// methods): an exception that crossed into another module, with its own
// runtime, would end the process. Runs `body` and answers what it answers;
// any exception answers `failure`, or `outOfMemory` when memory ran out.
template <class Result, class Body>
Result Guarded(Result failure, Result outOfMemory, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return outOfMemory;
    } catch (...) {
        return failure;
    }
}

template <class Result, class Body>
Result Guarded(Result failure, Body&& body) noexcept
{
    return Guarded(failure, failure, std::forward<Body>(body));
}

// The guard of an operation that answers a Win32 error code:
// ERROR_NOT_ENOUGH_MEMORY when memory ran out, ERROR_INTERNAL_ERROR for any
// other exception.
template <class Body>
LONG GuardedCode(Body&& body) noexcept
{
    return Guarded<LONG>(ERROR_INTERNAL_ERROR, ERROR_NOT_ENOUGH_MEMORY, std::forward<Body>(body));
}

}  // namespace tn
