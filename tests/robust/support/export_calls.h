#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tnrobust {

// The 19 exports as addresses, index = ordinal. Filled from a loaded
// TNInstall.dll by ordinal, or from the shims compiled into the program.
struct ExportTable {
    FARPROC entry[20] = {};
};
ExportTable ExportsOfModule(HMODULE module);
// Defined only in programs that compile the export shims themselves.
ExportTable LinkedExports();

// One argument of a call.
struct CallArg {
    enum Kind { Null, Text, Number, Buffer, IntOut } kind = Null;
    std::wstring text;     // Text
    uint32_t number = 0;   // Number
    size_t units = 0;      // Buffer: the capacity handed over, in code units
};

// One call of an export: its ordinal and its arguments in order.
struct ExportCall {
    int ordinal = 0;
    std::vector<CallArg> args;
};

// The call syntax of the end-to-end probe: "<ordinal>|arg|arg..." with
// n (null), s:text, i:number, b:N (a buffer of N units), p (an int out).
// In texts, "`" and four hex digits stand for one code unit, so that any
// text can be written ("|", line ends, "`" and non-ASCII are written so).
ExportCall ParseCall(const std::wstring& callText);
std::wstring FormatCall(const ExportCall& call);
std::wstring EscapeText(const std::wstring& text);
std::wstring UnescapeText(const std::wstring& text);

// Builders for calls made in code (texts may hold any character).
CallArg Null();
CallArg Text(const std::wstring& text);
CallArg Number(uint32_t value);
CallArg Buffer(size_t units);
CallArg IntOut();

// What a call did: its result and, per buffer or int argument, what it left
// there: "<untouched>", "<unterminated>", "<OVERRUN>" (a unit past the
// capacity was written) or the text. Line() is the probe's output line.
struct CallOutcome {
    int32_t result = 0;
    std::vector<std::wstring> outputs;
    bool overrun = false;
    std::wstring Line() const;
};

// Called right before and right after the export itself, with nothing of
// the harness's own work between them.
struct CallBrackets {
    void (*before)() = nullptr;
    void (*after)() = nullptr;
};

// Runs the call with fresh buffers, each followed by guard units.
CallOutcome RunCall(const ExportTable& exports, const ExportCall& call,
                    const CallBrackets& brackets = CallBrackets());

}  // namespace tnrobust
