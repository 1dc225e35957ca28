#pragma once
#include <windows.h>
#include <cstddef>

namespace tn {

// The text layout of the diagnostic log, apart from any file. Each Format*
// function writes one line into `line` (`capacity` bytes, terminator
// included) and returns its length without the terminator. None writes past
// `capacity`; a line that cannot fit whole is cut as each function states.

// "yyyy-mm-dd hh:mm:ss", local time as given.
constexpr size_t kTimestampBytes = 128;
void FormatTimestamp(const SYSTEMTIME& time, char (&stamp)[kTimestampBytes]);

// "<stamp> <message> \r\n". The message is cut when the line would not fit.
size_t FormatMessageLine(char* line, size_t capacity, const char* stamp, const char* message);
// "<stamp> APICode : 0x%08x <systemText> \r\n", or without the text (and its
// blank) when `systemText` is null. A system text too long for the line is
// cut so that the line keeps its ending.
size_t FormatApiCodeLine(char* line, size_t capacity, const char* stamp, DWORD code,
                         const char* systemText);
// "<stamp> modCode : %d \r\n".
size_t FormatModuleCodeLine(char* line, size_t capacity, const char* stamp, int code);

}  // namespace tn
