#pragma once
#include <windows.h>
#include <string>

namespace tn {

// Copies a string answer into a caller buffer of `size` code units: the first
// min(length, size - 1) units and a terminator. An empty answer, or a size of
// 0, writes nothing and gives 0; otherwise the result is 1, also when the
// answer was cut.
int CopyAnswer(const std::wstring& answer, wchar_t* buffer, DWORD size);

}  // namespace tn
