#pragma once
#include <string>

namespace tnt {

// Holds what the C runtime's standard output receives while the object is
// active. The record parser of TNInstall.dll (and of the linked core) writes
// its item-count complaint there; the tool keeps it out of its own output,
// where it would break --json, and shows it apart. When no standard output
// can be redirected the capture does nothing and Finish gives empty text.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Ends the capture (once) and returns the text, CR LF read as LF.
    std::wstring Finish();

private:
    int saved_ = -1;
    std::wstring path_;
    std::wstring text_;
};

}  // namespace tnt
