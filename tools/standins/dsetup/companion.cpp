/* Stand-in for one of the four companion libraries of DSETUP.DLL
 * (DSETUP6E.DLL, DSETUP6J.DLL, DSETUPE.DLL, DSETUPJ.DLL): Outfitter only
 * copies them beside itself, so they need to be nothing but loadable DLLs. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
