#pragma once
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace tntest {

// Sends what the process writes to standard output into a file (opened in
// text mode, as a console or pipe is) while the object lives; Text() gives
// it back with CR LF turned into LF.
class StdoutCapture {
public:
    StdoutCapture()
    {
        std::fflush(stdout);
        saved_ = _dup(1);
        const int file = _wopen(Path().c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, 0600);
        _dup2(file, 1);
        _close(file);
    }
    ~StdoutCapture() { Restore(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string Text()
    {
        Restore();
        std::string text;
        for (char c : ReadBytes(Path()))
            if (c != '\r')
                text += c;
        return text;
    }

private:
    void Restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        saved_ = -1;
    }
    std::wstring Path() const { return dir_ / L"stdout.txt"; }

    TempDir dir_;
    int saved_ = -1;
};

}  // namespace tntest
