#include <windows.h>

#include "install/log_folder.h"

// On load the diagnostic log is given its folder below the installation;
// the rest of the little process-wide state is filled on first use.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        tn::UseInstallLogFolder();
    return TRUE;
}
