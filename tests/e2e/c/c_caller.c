/* A C program linked against the import library, as the suite's programs
 * link: every call below is resolved by ordinal at load time. */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

#include "TNInstall.h"

int main(void)
{
    wchar_t buffer[MAX_PATH];
    int failures = 0;
    int previous = SetFileMapEnabled(0);
    if (previous != 1) { printf("SetFileMapEnabled returned %d, expected 1\n", previous); ++failures; }
    if (GetFileMapEnabled() != 0) { printf("GetFileMapEnabled is not 0\n"); ++failures; }
    if (GetInstallPath(NULL, MAX_PATH, NULL) != 0) { printf("null buffer not refused\n"); ++failures; }
    buffer[0] = 0;
    GetInstallPath(buffer, MAX_PATH, L"x");
    printf("install path: %ls\n", buffer);
    printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
    return failures ? 1 : 0;
}
