#pragma once
#include <string>
#include <type_traits>
#include <utility>

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

    // Reports a fixed text.
    void Trace(const wchar_t* text) const
    {
        if (trace)
            trace->Step(text);
    }
    // Reports the text `makeText()` builds; it is called only when a sink is
    // set, so a lookup without one builds no trace text at all.
    template <class MakeText,
              class = std::enable_if_t<std::is_invocable_r_v<std::wstring, MakeText&>>>
    void Trace(MakeText&& makeText) const
    {
        if (trace)
            trace->Step(makeText());
    }
};

// A name as trace texts show it: in double quotes.
inline std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

}  // namespace tn
