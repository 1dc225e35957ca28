#include "export_calls.h"

#include <cwchar>

#include "invoke_export.h"

namespace tnrobust {
namespace {

constexpr wchar_t kFill = 0xFFEE;
// Units after each buffer that must stay as they were.
constexpr size_t kGuardUnits = 64;
constexpr int32_t kIntFill = int32_t(0xDEADBEEF);
constexpr int kLanguageOrdinal = 15;

std::wstring DescribeBuffer(const std::vector<wchar_t>& buffer, size_t units, bool& overrun)
{
    for (size_t i = units; i < buffer.size(); ++i) {
        if (buffer[i] != kFill) {
            overrun = true;
            return L"<OVERRUN>";
        }
    }
    if (units == 0 || buffer[0] == kFill)
        return L"<untouched>";
    const size_t length = wcsnlen(buffer.data(), units);
    if (length == units)
        return L"<unterminated>";
    return std::wstring(buffer.data(), length);
}

}  // namespace

// Texts in the call syntax: "|", line ends, the escape character "`" and
// everything outside printable ASCII are written as "`" and four hex digits.
std::wstring EscapeText(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'|' && c != L'`') {
            out += c;
        } else {
            wchar_t code[8];
            swprintf(code, 8, L"`%04X", unsigned(c));
            out += code;
        }
    }
    return out;
}

std::wstring UnescapeText(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'`' && i + 4 < text.size()) {
            out += wchar_t(wcstoul(text.substr(i + 1, 4).c_str(), nullptr, 16));
            i += 4;
        } else {
            out += text[i];
        }
    }
    return out;
}

ExportTable ExportsOfModule(HMODULE module)
{
    ExportTable table;
    for (int ordinal = 1; ordinal <= 19; ++ordinal)
        table.entry[ordinal] = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    return table;
}

ExportCall ParseCall(const std::wstring& callText)
{
    ExportCall call;
    size_t start = 0;
    bool first = true;
    for (;;) {
        const size_t bar = callText.find(L'|', start);
        const std::wstring field = callText.substr(start, bar == std::wstring::npos ? bar : bar - start);
        if (first) {
            call.ordinal = _wtoi(field.c_str());
            first = false;
        } else if (field.rfind(L"s:", 0) == 0) {
            call.args.push_back(Text(UnescapeText(field.substr(2))));
        } else if (field.rfind(L"i:", 0) == 0) {
            call.args.push_back(Number(uint32_t(wcstoul(field.c_str() + 2, nullptr, 0))));
        } else if (field.rfind(L"b:", 0) == 0) {
            call.args.push_back(Buffer(size_t(_wtoi(field.c_str() + 2))));
        } else if (field == L"p") {
            call.args.push_back(IntOut());
        } else {
            call.args.push_back(Null());
        }
        if (bar == std::wstring::npos)
            return call;
        start = bar + 1;
    }
}

std::wstring FormatCall(const ExportCall& call)
{
    std::wstring callText = std::to_wstring(call.ordinal);
    for (const CallArg& arg : call.args) {
        switch (arg.kind) {
        case CallArg::Null: callText += L"|n"; break;
        case CallArg::Text: callText += L"|s:" + EscapeText(arg.text); break;
        case CallArg::Number: callText += L"|i:" + std::to_wstring(arg.number); break;
        case CallArg::Buffer: callText += L"|b:" + std::to_wstring(arg.units); break;
        case CallArg::IntOut: callText += L"|p"; break;
        }
    }
    return callText;
}

CallArg Null() { return CallArg(); }

CallArg Text(const std::wstring& text)
{
    CallArg arg;
    arg.kind = CallArg::Text;
    arg.text = text;
    return arg;
}

CallArg Number(uint32_t value)
{
    CallArg arg;
    arg.kind = CallArg::Number;
    arg.number = value;
    return arg;
}

CallArg Buffer(size_t units)
{
    CallArg arg;
    arg.kind = CallArg::Buffer;
    arg.units = units;
    return arg;
}

CallArg IntOut()
{
    CallArg arg;
    arg.kind = CallArg::IntOut;
    return arg;
}

std::wstring CallOutcome::Line() const
{
    std::wstring line = L"ret=" + std::to_wstring(result);
    for (const std::wstring& output : outputs)
        line += L" " + output;
    return line;
}

CallOutcome RunCall(const ExportTable& exports, const ExportCall& call,
                    const CallBrackets& brackets)
{
    CallOutcome outcome;
    if (call.ordinal < 1 || call.ordinal > 19 || !exports.entry[call.ordinal]) {
        outcome.result = -1;
        outcome.outputs.push_back(L"<no such export>");
        return outcome;
    }
    std::vector<std::vector<wchar_t>> buffers(call.args.size());
    std::vector<int32_t> ints(call.args.size(), kIntFill);
    std::vector<uintptr_t> raw;
    for (size_t i = 0; i < call.args.size(); ++i) {
        const CallArg& arg = call.args[i];
        switch (arg.kind) {
        case CallArg::Null: raw.push_back(0); break;
        case CallArg::Text: raw.push_back(reinterpret_cast<uintptr_t>(arg.text.c_str())); break;
        case CallArg::Number: raw.push_back(arg.number); break;
        case CallArg::Buffer:
            buffers[i].assign(arg.units + kGuardUnits, kFill);
            raw.push_back(reinterpret_cast<uintptr_t>(buffers[i].data()));
            break;
        case CallArg::IntOut: raw.push_back(reinterpret_cast<uintptr_t>(&ints[i])); break;
        }
    }
    // Every result is 32 bits wide; a LANGID comes back in the low 16.
    if (brackets.before)
        brackets.before();
    outcome.result = static_cast<int32_t>(tntest::InvokeExport(exports.entry[call.ordinal], raw));
    if (brackets.after)
        brackets.after();
    if (call.ordinal == kLanguageOrdinal)
        outcome.result &= 0xFFFF;
    for (size_t i = 0; i < call.args.size(); ++i) {
        const CallArg& arg = call.args[i];
        if (arg.kind == CallArg::Buffer)
            outcome.outputs.push_back(L"b=" + DescribeBuffer(buffers[i], arg.units, outcome.overrun));
        else if (arg.kind == CallArg::IntOut)
            outcome.outputs.push_back(ints[i] == kIntFill ? L"p=<untouched>"
                                                          : L"p=" + std::to_wstring(ints[i]));
    }
    return outcome;
}

}  // namespace tnrobust
