/*
 * The few Windows declarations that TNInstall.h and the caller beside this
 * folder use, for a compiler in Microsoft's mode without Microsoft's SDK.
 * The functions come from kernel32 through mingw-w64's import library.
 */
#ifndef TN_MSVC_CALLER_WINDOWS_H
#define TN_MSVC_CALLER_WINDOWS_H

#include <stddef.h> /* wchar_t, from the compiler itself */

#define WINAPI __stdcall
#define MAX_PATH 260
#define CP_UTF8 65001u
#define STD_OUTPUT_HANDLE ((DWORD)-11)

typedef unsigned long DWORD;
typedef unsigned short LANGID;
typedef int BOOL;
typedef void* HANDLE;

__declspec(dllimport) HANDLE WINAPI GetStdHandle(DWORD which);
__declspec(dllimport) BOOL WINAPI WriteFile(HANDLE file, const void* data, DWORD size,
                                            DWORD* written, void* overlapped);
__declspec(dllimport) int WINAPI WideCharToMultiByte(unsigned codePage, DWORD flags,
                                                     const wchar_t* text, int length, char* out,
                                                     int outSize, const char* defaultChar,
                                                     BOOL* usedDefault);
__declspec(dllimport) __declspec(noreturn) void WINAPI ExitProcess(unsigned code);

#endif
