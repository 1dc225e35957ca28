#include "stdout_capture.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace tnt {
namespace {

// More than this many bytes of captured output are not read back.
constexpr DWORD kMaxCapturedBytes = 1 << 20;

std::string ReadAll(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (bytes.size() < kMaxCapturedBytes && ReadFile(file, chunk, sizeof(chunk), &got, nullptr) &&
           got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

// The file is in binary mode, so the runtime's wide output functions store
// UTF-16LE there and its narrow ones ANSI bytes. Text with a NUL in most odd
// positions is read as UTF-16LE, anything else in the ANSI code page.
std::wstring Decode(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    size_t oddNuls = 0;
    for (size_t i = 1; i < bytes.size(); i += 2)
        if (bytes[i] == '\0')
            ++oddNuls;
    if (bytes.size() % 2 == 0 && oddNuls * 2 >= bytes.size() / 2) {
        std::wstring text(bytes.size() / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = wchar_t(static_cast<unsigned char>(bytes[2 * i]) |
                              (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        return text;
    }
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring text(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), &text[0], n);
    return text;
}

}  // namespace

StdoutCapture::StdoutCapture()
{
    wchar_t dir[MAX_PATH] = {};
    wchar_t name[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, dir);
    if (length == 0 || length >= MAX_PATH || !GetTempFileNameW(dir, L"tni", 0, name))
        return;
    path_ = name;
    std::fflush(stdout);
    const int file = _wopen(name, _O_WRONLY | _O_TRUNC | _O_BINARY);
    if (file < 0)
        return;
    saved_ = _dup(1);
    if (saved_ < 0 || _dup2(file, 1) != 0) {
        if (saved_ >= 0)
            _close(saved_);
        saved_ = -1;
    }
    _close(file);
}

StdoutCapture::~StdoutCapture() { Finish(); }

std::wstring StdoutCapture::Finish()
{
    if (saved_ >= 0) {
        std::fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        saved_ = -1;
        const std::wstring text = Decode(ReadAll(path_));
        for (wchar_t c : text)
            if (c != L'\r')
                text_ += c;
    }
    if (!path_.empty()) {
        DeleteFileW(path_.c_str());
        path_.clear();
    }
    return text_;
}

}  // namespace tnt
