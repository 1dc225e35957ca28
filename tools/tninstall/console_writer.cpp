#include "console_writer.h"

namespace tnt {
namespace {

// Console writes go out in slices; old consoles refuse very large writes.
constexpr DWORD kConsoleSliceChars = 8192;

}  // namespace

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr,
                            nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), &out[0], n);
    return out;
}

ConsoleWriter::ConsoleWriter(DWORD stdHandle) : handle_(nullptr), console_(false)
{
    const HANDLE given = GetStdHandle(stdHandle);
    if (given == nullptr || given == INVALID_HANDLE_VALUE)
        return;
    if (!DuplicateHandle(GetCurrentProcess(), given, GetCurrentProcess(), &handle_, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        handle_ = nullptr;
    DWORD mode = 0;
    console_ = handle_ && GetConsoleMode(handle_, &mode);
}

ConsoleWriter::~ConsoleWriter()
{
    if (handle_)
        CloseHandle(handle_);
}

void ConsoleWriter::Write(const std::wstring& text) const
{
    if (!handle_ || text.empty())
        return;
    if (console_) {
        for (size_t done = 0; done < text.size();) {
            DWORD slice = DWORD(text.size() - done);
            if (slice > kConsoleSliceChars)
                slice = kConsoleSliceChars;
            DWORD written = 0;
            if (!WriteConsoleW(handle_, text.data() + done, slice, &written, nullptr) ||
                written == 0)
                return;
            done += written;
        }
        return;
    }
    WriteUtf8(ToUtf8(text));
}

void ConsoleWriter::WriteUtf8(const std::string& bytes) const
{
    if (!handle_ || bytes.empty())
        return;
    if (console_) {
        Write(FromUtf8(bytes));
        return;
    }
    for (size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data() + done, DWORD(bytes.size() - done), &written,
                       nullptr) ||
            written == 0)
            return;
        done += written;
    }
}

}  // namespace tnt
