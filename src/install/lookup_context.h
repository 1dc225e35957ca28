#pragma once
#include <string>

namespace tn {

// Receives the steps of a lookup as they happen, for callers that want to
// see how an answer was reached. The lookup code reports through the same
// path that computes the answer, so the trace cannot drift from it.
class ITraceSink {
public:
    virtual void Step(const std::wstring& text) = 0;

protected:
    ~ITraceSink() = default;
};

// What a lookup is told by its caller: whether the file map is consulted
// (the process-wide switch, read once per export call) and where to report
// its steps.
struct LookupContext {
    bool fileMapEnabled = true;
    ITraceSink* trace = nullptr;

    bool Tracing() const { return trace != nullptr; }
    void Trace(const std::wstring& text) const
    {
        if (trace)
            trace->Step(text);
    }
};

}  // namespace tn
