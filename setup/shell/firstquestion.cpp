/* The first question, whose answer is posted to the main window as the flow
 * to run. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/resources/resource.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"

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
    SetPage(1, 1, 1, "Reinstalar", "Configurar", NULL, "Tinfoil Tango",
            "Tinfoil Tango ya está instalado en el ordenador.\n\n"
            "¿Quieres volver a instalarlo, reconfigurarlo o cancelar?",
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
        installationLocated = FindInstalledGame(gameSettings.InstalledFile);
        PostFlow(WM_RUN_INSTALL);
        return;
    }
    EndProgram();
}

static void AskInstall(void)
{
    SetPage(1, 1, 1, "No", "Sí", "Cancelar", "Tinfoil Tango", "¿Quieres instalar Tinfoil Tango en tu ordenador?",
            IDC_NEXT, IDB_GENERAL);
    if (ShowPage() == IDC_NEXT)
        PostFlow(WM_RUN_INSTALL);
    else
        EndProgram();
}

static void AskUninstall(void)
{
    SetPage(1, 1, 1, "No", "Sí", NULL, "Tinfoil Tango",
            "Procedimiento de desinstalación de Tinfoil Tango.\n\n"
            "¿Estás seguro que deseas eliminar este juego del disco duro?",
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
