#pragma once
// Redirection of one module's import table entries: by default this
// program's own, through which the library code linked into tn_bench calls
// the system, while TNInstall.dll, a module of its own with its own table, is
// never affected; the test probe redirects TNInstall.dll's.
#include <windows.h>

namespace bench {

// Points every import slot of `module` (null: this program) for `function`
// (by name) at `replacement`, and keeps in `original` the address the slot
// held, unless `original` is already set. False when the module does not
// import it.
bool RedirectImport(const char* function, void* replacement, void** original,
                    HMODULE module = nullptr);

template <class Fn>
bool Redirect(const char* function, Fn replacement, Fn& original, HMODULE module = nullptr)
{
    void* kept = reinterpret_cast<void*>(original);
    const bool redirected =
        RedirectImport(function, reinterpret_cast<void*>(replacement), &kept, module);
    original = reinterpret_cast<Fn>(kept);
    return redirected;
}

}  // namespace bench
