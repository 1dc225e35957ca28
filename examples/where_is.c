/* where_is.c - the smallest useful caller of TNInstall.dll.
 *
 * It links the import library, so every call below is bound to the DLL by
 * ordinal when the program loads, exactly as the suite's own programs bind.
 *
 * Build with the kit (bin/, lib/, include/ as `cmake --install` lays them out):
 *   i686-w64-mingw32-gcc -municode where_is.c -I<kit>/include -L<kit>/lib -lTNInstall -o where_is.exe
 * Run beside TNInstall.dll and Vaultcore.dll:
 *   where_is.exe              the install directory
 *   where_is.exe scan.dll     where the installation keeps scan.dll, and its component
 */
#include <stdio.h>
#include <windows.h>

#include "TNInstall.h"

int wmain(int argc, wchar_t** argv)
{
    wchar_t path[MAX_PATH];
    wchar_t component[512]; /* FindInstalledFile writes at most 511 characters here */

    /* String answers: 1 and the text in the buffer, or 0 and the buffer untouched. */
    if (!GetInstallPath(path, MAX_PATH, NULL)) {
        fputs("the suite's install directory is not set on this machine\n", stderr);
        return 1;
    }
    printf("install directory: %ls\n", path);

    if (argc > 1) {
        if (!FindInstalledFile(path, MAX_PATH, argv[1], component)) {
            printf("%ls: not part of the installation\n", argv[1]);
            return 1;
        }
        printf("%ls: %ls (component %ls)\n", argv[1], path, component);
    }
    return 0;
}
