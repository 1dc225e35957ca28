#pragma once

namespace tnt {

// Points the C runtime's standard output elsewhere while the object lives,
// and back afterwards. The record parser of TNInstall.dll (and of the core
// linked into the tool) writes its item-count complaint there; the tool's
// own output goes through handles of its own (ConsoleWriter), so the
// complaint cannot break it. Nothing is read back. Where standard output
// cannot be pointed elsewhere, the object does nothing.
class StdoutRedirect {
public:
    enum Target {
        kToStandardError,  // shown, apart from the tool's output
        kToNowhere,        // dropped: the caller reports the problem in words
    };
    explicit StdoutRedirect(Target target);
    ~StdoutRedirect();
    StdoutRedirect(const StdoutRedirect&) = delete;
    StdoutRedirect& operator=(const StdoutRedirect&) = delete;

private:
    int saved_ = -1;
};

}  // namespace tnt
