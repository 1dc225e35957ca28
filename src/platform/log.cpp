#include "platform/log.h"

#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/file_io.h"
#include "platform/log_line.h"

namespace tn {
namespace {

// Path buffers of the log, in bytes, terminator included. A log file path
// that does not fit drops the call.
constexpr size_t kLogPathBytes = MAX_PATH;
// The line buffer holds the message plus this much for stamps, codes and
// the system text; a longer system text is cut.
constexpr size_t kLineExtraBytes = 512;
constexpr char kLogFolderName[] = "\\TNLog\\";
constexpr char kLogExtension[] = ".log";

// Fixed by the first call that has a message, then kept for the process.
std::string g_logFolder;
LogBaseFolderSource g_baseFolderSource = nullptr;

// Returns the bytes needed with the terminator, 0 on failure.
int ToAnsi(UINT codePage, const wchar_t* text, std::string& out)
{
    const int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return bytes;
    out.assign(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes) - 1);
    return bytes;
}

// Text in the thread's ANSI code page; Windows before 2000 knows no
// CP_THREAD_ACP, so there the thread locale's default ANSI code page is used.
std::string ToThreadAnsi(const wchar_t* text)
{
    std::string out;
    if (ToAnsi(CP_THREAD_ACP, text, out) > 0 || GetLastError() != ERROR_INVALID_PARAMETER)
        return out;
    char codePage[8] = {};
    if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof(codePage)))
        ToAnsi(static_cast<UINT>(std::atoi(codePage)), text, out);
    return out;
}

void EnsureFolder(const std::string& folder)
{
    if (!PathFileExistsA(folder.c_str()))
        CreateDirectoryA(folder.c_str(), nullptr);
}

// <base>\TNLog\ when the source names a base folder, else the Windows
// directory's TNLog\, creating each missing level; failures are ignored.
std::string ComputeLogFolder()
{
    std::string folder;
    if (g_baseFolderSource)
        folder = ToThreadAnsi(g_baseFolderSource().c_str());
    if (!folder.empty()) {
        EnsureFolder(folder);
    } else {
        char windows[kLogPathBytes] = {};
        const UINT length = GetWindowsDirectoryA(windows, sizeof(windows));
        if (length < sizeof(windows))
            folder = windows;
    }
    folder += kLogFolderName;
    EnsureFolder(folder);
    return folder;
}

HANDLE OpenLog(const char* path)
{
    return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Sizes of 4 GiB and more count too, whatever their low 32 bits say.
bool IsOverSizeLimit(HANDLE file)
{
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    return high != 0 || low > kLogSizeLimit;
}

void WriteLine(HANDLE file, const char* line, size_t length)
{
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
}

void WriteLogLines(const char* message, DWORD apiCode, int moduleCode)
{
    const size_t lineBytes = std::strlen(message) + kLineExtraBytes;

    char exePath[kLogPathBytes] = {};
    const DWORD exeLength = GetModuleFileNameA(nullptr, exePath, sizeof(exePath));
    if (exeLength >= sizeof(exePath))
        exePath[0] = '\0';  // cut: its last element would name the wrong file

    if (g_logFolder.empty())
        g_logFolder = ComputeLogFolder();

    const char* slash = std::strrchr(exePath, '\\');
    if (!slash)
        return;
    const char* exeName = slash + 1;
    char logPath[kLogPathBytes] = {};
    const size_t pathLength = g_logFolder.size() + std::strlen(exeName) + sizeof(kLogExtension) - 1;
    if (pathLength >= sizeof(logPath))
        return;
    std::strcat(std::strcat(std::strcpy(logPath, g_logFolder.c_str()), exeName), kLogExtension);

    FileHandle file(OpenLog(logPath));
    if (!file.IsValid())
        return;
    if (IsOverSizeLimit(file.Get())) {
        file.Close();
        DeleteFileA(logPath);
        file = FileHandle(OpenLog(logPath));
        if (!file.IsValid())
            return;
    }
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);

    std::unique_ptr<char[]> line(new (std::nothrow) char[lineBytes]);
    if (!line)
        return;

    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char stamp[kTimestampBytes];
    FormatTimestamp(now, stamp);

    WriteLine(file.Get(), line.get(), FormatMessageLine(line.get(), lineBytes, stamp, message));
    if (apiCode != 0) {
        char* text = nullptr;
        const DWORD textLength = FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                FORMAT_MESSAGE_FROM_SYSTEM,
            nullptr, apiCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
            reinterpret_cast<char*>(&text), 0, nullptr);
        const bool hasText = textLength != 0 && text != nullptr;
        const char* shown = hasText ? text : nullptr;
        WriteLine(file.Get(), line.get(),
                  FormatApiCodeLine(line.get(), lineBytes, stamp, apiCode, shown));
        if (text)
            LocalFree(text);
    }
    if (moduleCode != 0)
        WriteLine(file.Get(), line.get(),
                  FormatModuleCodeLine(line.get(), lineBytes, stamp, moduleCode));
}

}  // namespace

void WriteLogA(const char* message, DWORD apiCode, int moduleCode)
{
    if (!message)
        return;
    // Logging never fails its caller, not even when memory runs out.
    try {
        WriteLogLines(message, apiCode, moduleCode);
    } catch (...) {
    }
}

void WriteLogW(const wchar_t* message, DWORD apiCode, int moduleCode)
{
    if (!message)
        return;
    try {
        const std::string ansi = ToThreadAnsi(message);
        WriteLogA(ansi.c_str(), apiCode, moduleCode);
    } catch (...) {
    }
}

void WriteLogPairW(const wchar_t* first, const wchar_t* second, DWORD apiCode, int moduleCode)
{
    try {
        std::wstring joined = first ? first : L"";
        joined += second ? second : L"";
        WriteLogW(joined.c_str(), apiCode, moduleCode);
    } catch (...) {
    }
}

void SetLogBaseFolderSource(LogBaseFolderSource source) { g_baseFolderSource = source; }

void ResetLogFolderForTesting() { g_logFolder.clear(); }

}  // namespace tn
