#pragma once
#include <windows.h>
#include <string>

namespace tnt {

// Writes text to standard output or standard error so that non-ASCII names
// stay readable: UTF-16 through WriteConsoleW when the handle is a console,
// UTF-8 bytes when it is redirected to a file or a pipe. Line feeds are
// written as given; a missing handle swallows the text.
//
// The writer keeps its own duplicate of the handle, so the C runtime may
// redirect and restore its standard output (StdoutRedirect) meanwhile.
class ConsoleWriter {
public:
    explicit ConsoleWriter(DWORD stdHandle);
    ~ConsoleWriter();
    ConsoleWriter(const ConsoleWriter&) = delete;
    ConsoleWriter& operator=(const ConsoleWriter&) = delete;
    void Write(const std::wstring& text) const;
    // Bytes that are already UTF-8 (JSON): converted for a console, written
    // unchanged otherwise.
    void WriteUtf8(const std::string& bytes) const;
    bool IsConsole() const { return console_; }

private:
    HANDLE handle_;
    bool console_;
};

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

}  // namespace tnt
