#pragma once
// Redirection of this program's own import table entries: the library code
// linked into tn_bench calls the system through them, while TNInstall.dll,
// a module of its own with its own table, is never affected.
#include <windows.h>

namespace bench {

// Points every import slot of this program for `function` (by name) at
// `replacement`, and keeps in `original` the address the slot held, unless
// `original` is already set. False when the program does not import it.
bool RedirectImport(const char* function, void* replacement, void** original);

template <class Fn>
bool Redirect(const char* function, Fn replacement, Fn& original)
{
    void* kept = reinterpret_cast<void*>(original);
    const bool redirected = RedirectImport(function, reinterpret_cast<void*>(replacement), &kept);
    original = reinterpret_cast<Fn>(kept);
    return redirected;
}

}  // namespace bench
