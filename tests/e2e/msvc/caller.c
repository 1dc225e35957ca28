/*
 * A caller built as the suite's programs are: by a compiler in Microsoft's
 * mode, linked with lld-link against TNInstall.lib alone, with no C runtime.
 * Prints the install directory and exits 0 when the library also answers an
 * NT Windows class (a 32-bit process on 64-bit Windows gets one of the two
 * WOW64 values alone, without the family bit); 1 when the install directory
 * is not set.
 */
#include "TNInstall.h"

static void Say(const char* text)
{
    DWORD length = 0, written = 0;
    while (text[length])
        ++length;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, length, &written, 0);
}

void __cdecl CallerMain(void)
{
    wchar_t path[MAX_PATH];
    char text[MAX_PATH * 3];
    int isNt = 0;
    const DWORD type = GetOsVersionType(&isNt);
    if (!GetInstallPath(path, MAX_PATH, 0)) {
        Say("the suite's install directory is not set\n");
        ExitProcess(1);
    }
    WideCharToMultiByte(CP_UTF8, 0, path, -1, text, sizeof text, 0, 0);
    Say("install directory: ");
    Say(text);
    Say("\n");
    const int ntClass = (type & WINTYPE_NT) || type == WINTYPE_WOW64 || type == WINTYPE_2003_WOW64;
    ExitProcess(isNt == 1 && ntClass ? 0 : 3);
}
