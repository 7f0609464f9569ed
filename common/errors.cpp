/* The library's error box, and the switch that silences it while an optional
 * file is probed. */
#include "common/general.h"

HWND mainWindow;
const char *programCaption = "";
int ShowErrorBoxes = 1;

void ShowError(const char *message)
{
    if (!ShowErrorBoxes)
        return;
    SetFocus(mainWindow);
    ShowMessageBox(mainWindow, message, programCaption,
                   MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
}
