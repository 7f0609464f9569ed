/* DirectX 3: the page that offers its installation from the CD through
 * DSETUP.DLL, and the check afterwards that its libraries are present. */
#include "setup/windows/directx.h"
#include "setup/engine/engine.h"
#include "setup/shell/shell.h"
#include "settings/settings.h"
#include "settings/texts.h"

/* DSETUP.DLL is loaded only here, when the installation is asked for: it lies
 * beside the relaunched copy in the temporary directory, but not beside the
 * CD's OUTFIT.EXE, nor on a machine where the copy could not take it along,
 * and a program that imported it would not start at all there. A library
 * that cannot be loaded, or that lacks the function, counts as a failed
 * installation. The library stays loaded for the rest of the run. */
int CallDirectXSetup(void)
{
    HMODULE library = LoadLibraryA("DSETUP.DLL");
    if (!library)
        return -1;
    DirectXSetupProc setup = (DirectXSetupProc)(void *)GetProcAddress(library, "DirectXSetupA");
    if (!setup)
        return -1;
    return setup(mainWindow, directXPath, DIRECTX_SETUP_FLAGS);
}

/* DirectXSetupA runs modally over the main window and may replace drivers;
 * whatever it answers, Windows is offered a restart at the end. */
void InstallDirectX(void)
{
    for (;;) {
        int result = CallDirectXSetup();
        rebootNeeded = 1;
        if (result == 0 || result == 1)
            return;
        if (SetupMessage(Text(TXT_DIRECTX_SETUP_FAILED), MB_ICONEXCLAMATION | MB_YESNO) != IDYES)
            return;
    }
}

int DirectXPage(void)
{
    SetPage(1, 1, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_SKIP), Text(TXT_DIRECTX_TITLE), Text(TXT_DIRECTX_TEXT),
            IDC_NEXT, 107);
    int answer = ShowPage();
    if (answer != IDC_NEXT)
        return answer;
    InstallDirectX();
    return 1;
}

int DirectXFilesPresent(const char *systemDirectory)
{
    char path[260];
    lstrcpynA(path, systemDirectory, sizeof(path) - 11);
    lstrcatA(path, "\\DDRAW.DLL");
    if (!FileExists(path))
        return 0;
    lstrcpynA(path, systemDirectory, sizeof(path) - 11);
    lstrcatA(path, "\\DSOUND.DLL");
    return FileExists(path);
}

/* After DirectXSetupA the new libraries may only arrive with the restart, so
 * an installation counts as presence. */
int DirectXPresent(void)
{
    if (rebootNeeded)
        return 1;
    char systemDirectory[260];
    UINT length = GetSystemDirectoryA(systemDirectory, sizeof(systemDirectory));
    if (length == 0 || length >= sizeof(systemDirectory))
        return 0;
    return DirectXFilesPresent(systemDirectory);
}

int VerifyDirectX(void)
{
    if (DirectXPresent())
        return 1;
    if (SetupMessage(Text(TXT_DIRECTX_MISSING), MB_ICONEXCLAMATION | MB_YESNO) == IDYES)
        return -1;
    return 0;
}
