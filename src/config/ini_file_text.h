#pragma once
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace tn {

// How a document reads an open file: the system's ReadFile, or what tests
// put in its place.
using FileReadFunction = BOOL(WINAPI*)(HANDLE, void*, DWORD, DWORD*, OVERLAPPED*);

// The rest of an open file, read in whole code units into a parser's window
// as the parse moves along: at most the size the file had when opened; an
// odd last byte is ignored.
class FileText {
public:
    FileText(HANDLE file, FileReadFunction read, DWORD size)
        : file_(file), read_(read), bytesLeft_(size)
    {
    }

    // Reads up to `units` code units into `dest`; 0 at the end and after a
    // failed read.
    size_t Read(wchar_t* dest, size_t units)
    {
        const DWORD want = static_cast<DWORD>(
            std::min<uint64_t>(uint64_t(units) * sizeof(wchar_t), bytesLeft_ & ~DWORD(1)));
        if (failed_ || want == 0)
            return 0;
        DWORD got = 0;
        if (!read_(file_, dest, want, &got, nullptr)) {
            failed_ = true;
            return 0;
        }
        // A file that shrank ends here, and so does one that gave half a unit.
        bytesLeft_ = (got == 0 || got % sizeof(wchar_t) != 0) ? 0 : bytesLeft_ - got;
        return got / sizeof(wchar_t);
    }
    bool Failed() const { return failed_; }

private:
    HANDLE file_;
    FileReadFunction read_;
    DWORD bytesLeft_;
    bool failed_ = false;
};

}  // namespace tn
