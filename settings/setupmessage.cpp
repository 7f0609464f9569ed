/* Outfitter's message boxes: owned by the main window, with the program's caption. */
#include "settings/settings.h"
#include "settings/texts.h"

const char *const setupCaption = Text(TXT_SETUP_CAPTION);

int SetupMessage(const char *text, UINT style)
{
    return ShowMessageBox(mainWindow, text, setupCaption, style);
}

void ReportLongLine(void)
{
    SetupMessage(Text(TXT_LINES_TOO_LONG), MB_ICONERROR);
}
