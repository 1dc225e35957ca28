#include "stdout_redirect.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace tnt {

StdoutRedirect::StdoutRedirect(Target target)
{
    std::fflush(stdout);
    const int to = target == kToNowhere ? _wopen(L"NUL", _O_WRONLY | _O_BINARY) : _dup(2);
    if (to < 0)
        return;
    saved_ = _dup(1);
    if (saved_ >= 0 && _dup2(to, 1) != 0) {
        _close(saved_);
        saved_ = -1;
    }
    _close(to);
}

StdoutRedirect::~StdoutRedirect()
{
    if (saved_ < 0)
        return;
    std::fflush(stdout);
    _dup2(saved_, 1);
    _close(saved_);
}

}  // namespace tnt
