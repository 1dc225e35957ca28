// Loads TNInstall.dll from its own folder and calls it by ordinal, as the
// suite's programs do. Each argument is one call or command, its fields
// separated by '|':
//   <ordinal>|arg|arg...   args: n (null), s:text (wide string), i:number,
//                          b:N (buffer of N units), p (pointer to an int)
//   reg|Name|text          set a REG_SZ under HKLM\Software\Tessaron
//   regdel|Name            delete such a value
//   osver                  print what GetVersionExW and IsWow64Process say:
//                          "os=<platform>.<major>.<minor> sp=<n> wow64=<0|1>"
//   stack|N                (32-bit x86) make the following calls on a thread
//                          of their own with the stack pointer N bytes above
//                          a 16-byte boundary at the call, as code built by
//                          compilers that keep only 4-byte alignment calls;
//                          prints "stack N"
//   features               record every question TNInstall.dll asks
//                          IsProcessorFeaturePresent from now on; prints
//                          "features", or "features unimported" when the DLL
//                          does not import it
//   asked                  print the questions and answers recorded:
//                          "asked=<feature>:<0|1>,..."
// One output line per call: "ret=<result>" and, for each buffer or pointer
// argument in order, " b=<text>" or " p=<value>". A buffer still holding its
// fill shows <untouched>; a buffer without a terminator shows <unterminated>;
// a write past a buffer's end shows <OVERRUN>.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "import_patch.h"
#include "invoke_export.h"

#if defined(__i386__)
// uintptr_t tn_call_with_stack_offset(proc, args, count, offset): copies the
// `count` arguments to a frame placed so that the stack pointer at the call
// is `offset` bytes above a 16-byte boundary, calls the WINAPI function
// `proc` (which removes its arguments) and returns its result.
extern "C" uintptr_t tn_call_with_stack_offset(const void* proc, const uintptr_t* args,
                                               unsigned count, unsigned offset);
asm(".text\n"
    ".globl _tn_call_with_stack_offset\n"
    "_tn_call_with_stack_offset:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    movl 16(%ebp), %ecx\n"       // count
    "    movl 12(%ebp), %esi\n"       // args
    "    leal 0(,%ecx,4), %edx\n"
    "    movl %esp, %eax\n"
    "    subl %edx, %eax\n"
    "    subl $16, %eax\n"
    "    andl $-16, %eax\n"
    "    addl 20(%ebp), %eax\n"       // + offset: below the saved registers
    "    movl %eax, %esp\n"
    "    movl %eax, %edi\n"
    "    cld\n"
    "    rep movsl\n"
    "    call *8(%ebp)\n"
    "    leal -8(%ebp), %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebp\n"
    "    ret\n");
#endif

namespace {

constexpr wchar_t kFill = 0xFFEE;
// The stack offset of `stack|N`; negative: calls are made as usual.
int g_stackOffset = -1;
constexpr size_t kGuard = 64;
constexpr int kIntFill = int(0xDEADBEEF);

void Print(const std::wstring& line)
{
    const std::wstring text = line + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), DWORD(out.size()), &written, nullptr);
}

std::vector<std::wstring> Split(const std::wstring& text)
{
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find(L'|', start);
        fields.push_back(text.substr(start, bar - start));
        if (bar == std::wstring::npos)
            return fields;
        start = bar + 1;
    }
}

struct Arg {
    enum Kind { Null, String, Int, Buffer, IntPtr } kind = Null;
    std::wstring text;
    std::vector<wchar_t> buffer;
    size_t units = 0;
    int number = kIntFill;
    uintptr_t value = 0;
};

std::wstring Describe(const Arg& arg)
{
    if (arg.kind == Arg::IntPtr)
        return arg.number == kIntFill ? L" p=<untouched>" : L" p=" + std::to_wstring(arg.number);
    for (size_t i = arg.units; i < arg.buffer.size(); ++i)
        if (arg.buffer[i] != kFill)
            return L" b=<OVERRUN>";
    if (arg.units == 0 || arg.buffer[0] == kFill)
        return L" b=<untouched>";
    const size_t length = wcsnlen(arg.buffer.data(), arg.units);
    if (length == arg.units)
        return L" b=<unterminated>";
    return L" b=" + std::wstring(arg.buffer.data(), length);
}

void SetValue(const std::wstring& name, const std::wstring* text)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tessaron", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    if (text)
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                       DWORD((text->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

// What TNInstall.dll asked IsProcessorFeaturePresent, and the answers.
std::wstring g_featureQuestions;
decltype(&IsProcessorFeaturePresent) g_isProcessorFeaturePresent = nullptr;

BOOL WINAPI RecordFeatureQuestion(DWORD feature)
{
    const BOOL present = g_isProcessorFeaturePresent(feature);
    if (!g_featureQuestions.empty())
        g_featureQuestions += L",";
    g_featureQuestions += std::to_wstring(feature) + L":" + (present ? L"1" : L"0");
    return present;
}

void PrintOsVersion()
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    Print(L"os=" + std::to_wstring(info.dwPlatformId) + L"." + std::to_wstring(info.dwMajorVersion) +
          L"." + std::to_wstring(info.dwMinorVersion) + L" sp=" +
          std::to_wstring(info.wServicePackMajor) + L" wow64=" + std::to_wstring(wow64 ? 1 : 0));
}

#if defined(__i386__)
struct OffsetCall {
    FARPROC proc;
    const std::vector<uintptr_t>* args;
    uintptr_t result;
};

DWORD WINAPI CallWithStackOffset(void* parameter)
{
    auto* call = static_cast<OffsetCall*>(parameter);
    call->result = tn_call_with_stack_offset(reinterpret_cast<const void*>(call->proc),
                                             call->args->data(), unsigned(call->args->size()),
                                             unsigned(g_stackOffset));
    return 0;
}
#endif

uintptr_t Invoke(FARPROC proc, const std::vector<uintptr_t>& args)
{
#if defined(__i386__)
    if (g_stackOffset >= 0) {
        OffsetCall call{proc, &args, 0};
        HANDLE thread = CreateThread(nullptr, 0, CallWithStackOffset, &call, 0, nullptr);
        if (thread) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            return call.result;
        }
    }
#endif
    return tntest::InvokeExport(proc, args);
}

void Call(HMODULE dll, const std::vector<std::wstring>& fields)
{
    const int ordinal = _wtoi(fields[0].c_str());
    FARPROC proc = GetProcAddress(dll, MAKEINTRESOURCEA(ordinal));
    if (!proc) {
        Print(L"noproc");
        return;
    }
    std::vector<Arg> args(fields.size() - 1);
    std::vector<uintptr_t> raw;
    for (size_t i = 1; i < fields.size(); ++i) {
        Arg& arg = args[i - 1];
        const std::wstring& f = fields[i];
        if (f.rfind(L"s:", 0) == 0) {
            arg.kind = Arg::String;
            arg.text = f.substr(2);
        } else if (f.rfind(L"i:", 0) == 0) {
            arg.kind = Arg::Int;
            arg.value = uintptr_t(uint32_t(wcstoul(f.c_str() + 2, nullptr, 0)));
        } else if (f.rfind(L"b:", 0) == 0) {
            arg.kind = Arg::Buffer;
            arg.units = size_t(_wtoi(f.c_str() + 2));
            arg.buffer.assign(arg.units + kGuard, kFill);
        } else if (f == L"p") {
            arg.kind = Arg::IntPtr;
        }
    }
    for (Arg& arg : args) {
        switch (arg.kind) {
        case Arg::Null: raw.push_back(0); break;
        case Arg::String: raw.push_back(reinterpret_cast<uintptr_t>(arg.text.c_str())); break;
        case Arg::Int: raw.push_back(arg.value); break;
        case Arg::Buffer: raw.push_back(reinterpret_cast<uintptr_t>(arg.buffer.data())); break;
        case Arg::IntPtr: raw.push_back(reinterpret_cast<uintptr_t>(&arg.number)); break;
        }
    }
    // Every result is 32 bits wide; a LANGID comes back in the low 16.
    int32_t result = static_cast<int32_t>(Invoke(proc, raw));
    if (ordinal == 15)
        result &= 0xFFFF;
    std::wstring line = L"ret=" + std::to_wstring(result);
    for (const Arg& arg : args)
        if (arg.kind == Arg::Buffer || arg.kind == Arg::IntPtr)
            line += Describe(arg);
    Print(line);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.erase(dir.find_last_of(L'\\') + 1);
    HMODULE dll = LoadLibraryW((dir + L"TNInstall.dll").c_str());
    if (!dll) {
        Print(L"noload");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const std::vector<std::wstring> fields = Split(argv[i]);
        if (fields[0] == L"reg" && fields.size() >= 3)
            SetValue(fields[1], &fields[2]);
        else if (fields[0] == L"regdel" && fields.size() >= 2)
            SetValue(fields[1], nullptr);
        else if (fields[0] == L"dlldir" && fields.size() >= 2)
            Print(SetDllDirectoryW(fields[1].c_str()) ? L"dlldir" : L"dlldir failed");
        else if (fields[0] == L"osver")
            PrintOsVersion();
        else if (fields[0] == L"features")
            Print(bench::Redirect("IsProcessorFeaturePresent", &RecordFeatureQuestion,
                                  g_isProcessorFeaturePresent, dll)
                      ? L"features"
                      : L"features unimported");
        else if (fields[0] == L"asked")
            Print(L"asked=" + g_featureQuestions);
        else if (fields[0] == L"stack" && fields.size() >= 2) {
            g_stackOffset = _wtoi(fields[1].c_str());
            Print(L"stack " + fields[1]);
        }
        else
            Call(dll, fields);
    }
    return 0;
}
