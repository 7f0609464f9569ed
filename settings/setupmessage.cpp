/* Outfitter's message boxes: owned by the main window, caption "Configuración". */
#include "settings/settings.h"

const char setupCaption[] = "Configuración";

int SetupMessage(const char *text, UINT style)
{
    return ShowMessageBox(mainWindow, text, setupCaption, style);
}

void ReportLongLine(void)
{
    SetupMessage("FILELIST.TXT o QVX.INF contienen líneas demasiado grandes.", MB_ICONERROR);
}
