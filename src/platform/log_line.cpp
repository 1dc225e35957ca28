#include "platform/log_line.h"

#include <cstdio>
#include <cstring>

namespace tn {
namespace {

constexpr char kLineEnd[] = " \r\n";
constexpr size_t kLineEndBytes = sizeof(kLineEnd) - 1;

// Appends at most what is left of `capacity` (keeping room for the
// terminator) and returns the new length.
size_t Append(char* line, size_t capacity, size_t length, const char* text, size_t textBytes)
{
    if (length + 1 >= capacity)
        return length;
    const size_t room = capacity - 1 - length;
    const size_t n = textBytes < room ? textBytes : room;
    std::memcpy(line + length, text, n);
    line[length + n] = '\0';
    return length + n;
}

size_t Append(char* line, size_t capacity, size_t length, const char* text)
{
    return Append(line, capacity, length, text, std::strlen(text));
}

// `head`, then as much of `body` as leaves room for the line ending, then
// the ending. Only the body is ever cut; a capacity too small even for the
// head and the ending cuts what does not fit.
size_t Compose(char* line, size_t capacity, const char* head, const char* body)
{
    if (capacity == 0)
        return 0;
    line[0] = '\0';
    size_t length = Append(line, capacity, 0, head);
    const size_t bodyBytes = std::strlen(body);
    const size_t reserved = length + kLineEndBytes + 1;
    const size_t room = capacity > reserved ? capacity - reserved : 0;
    length = Append(line, capacity, length, body, bodyBytes < room ? bodyBytes : room);
    return Append(line, capacity, length, kLineEnd, kLineEndBytes);
}

}  // namespace

void FormatTimestamp(const SYSTEMTIME& time, char (&stamp)[kTimestampBytes])
{
    std::memset(stamp, 0, sizeof(stamp));
    std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
}

size_t FormatMessageLine(char* line, size_t capacity, const char* stamp, const char* message)
{
    char head[kTimestampBytes + 2];
    std::snprintf(head, sizeof(head), "%s ", stamp);
    return Compose(line, capacity, head, message);
}

size_t FormatApiCodeLine(char* line, size_t capacity, const char* stamp, DWORD code,
                         const char* systemText)
{
    char head[kTimestampBytes + 32];
    std::snprintf(head, sizeof(head), systemText ? "%s APICode : 0x%08lx " : "%s APICode : 0x%08lx",
                  stamp, static_cast<unsigned long>(code));
    return Compose(line, capacity, head, systemText ? systemText : "");
}

size_t FormatModuleCodeLine(char* line, size_t capacity, const char* stamp, int code)
{
    char head[kTimestampBytes + 32];
    std::snprintf(head, sizeof(head), "%s modCode : %d", stamp, code);
    return Compose(line, capacity, head, "");
}

}  // namespace tn
