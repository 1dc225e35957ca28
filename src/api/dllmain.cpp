#include <windows.h>

// The entry point does nothing: the little process-wide state there is is
// filled on first use or by static initialisation.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
