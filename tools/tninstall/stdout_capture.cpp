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
        const std::string bytes = ReadAll(path_);
        // The runtime wrote the wide text in the ANSI code page.
        std::wstring text;
        if (!bytes.empty()) {
            const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
            text.resize(size_t(n > 0 ? n : 0));
            if (n > 0)
                MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), &text[0], n);
        }
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
