#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace tnt {

// The names of the bits of a Windows class (WINTYPE_*), in bit order, without
// the prefix: 0x400002 gives NT, XPSP2. Bits without a name appear as hex.
std::vector<std::wstring> WindowsClassNames(DWORD mask);
// "0x400002 = NT | XPSP2".
std::wstring DescribeWindowsClass(DWORD mask);

// "English (United States)" for 0x0409; the installation's five display
// languages by their own names, any other identifier as the system names it.
std::wstring LanguageName(LANGID language);

std::wstring Hex(DWORD value);       // "0x400002"
std::wstring LanguageHex(LANGID language);  // "0x0409"

}  // namespace tnt
