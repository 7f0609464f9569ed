/* The first question, whose answer is posted to the main window as the flow
 * to run. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/resources/resource.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include "settings/texts.h"

static void EndProgram(void)
{
    DestroyWindow(mainWindow);
}

static void PostFlow(UINT message)
{
    PostMessageA(mainWindow, message, 0, 0);
}

static void AskReinstallOrReconfigure(void)
{
    SetPage(1, 1, 1, Text(TXT_REINSTALL), Text(TXT_CONFIGURE), NULL, gameTitle, Text(TXT_ALREADY_INSTALLED),
            IDC_NEXT, IDB_GENERAL);
    switch (ShowPage()) {
    case IDC_NEXT:
        PostFlow(WM_RUN_RECONFIGURE);
        return;
    case IDC_BACK:
        if (!ReadSettings(0)) {
            EndProgram();
            return;
        }
        /* The search can take a while; the location page comes next, so no
         * "Buscando" text may stay under it. */
        SetWaitCursor();
        installationLocated = FindInstalledGame(gameSettings.InstalledFile);
        SetArrowCursor();
        SetStatusText(" ");
        PostFlow(WM_RUN_INSTALL);
        return;
    }
    EndProgram();
}

static void AskInstall(void)
{
    SetPage(1, 1, 1, Text(TXT_NO), Text(TXT_YES), Text(TXT_CANCEL), gameTitle, Text(TXT_INSTALL_QUESTION),
            IDC_NEXT, IDB_GENERAL);
    if (ShowPage() == IDC_NEXT)
        PostFlow(WM_RUN_INSTALL);
    else
        EndProgram();
}

static void AskUninstall(void)
{
    SetPage(1, 1, 1, Text(TXT_NO), Text(TXT_YES), NULL, gameTitle, Text(TXT_UNINSTALL_QUESTION),
            IDC_BACK, IDB_GENERAL);
    if (ShowPage() == IDC_NEXT)
        PostFlow(WM_RUN_UNINSTALL);
    else
        EndProgram();
}

/* Reading the record also fills recordedDirectory, where the search for the
 * installed game looks first. */
void AskFirstQuestion(void)
{
    int installed = ReadInstallRecord();
    if (RunMode == RUN_UNINSTALL)
        AskUninstall();
    else if (installed)
        AskReinstallOrReconfigure();
    else
        AskInstall();
}
