/* The uninstall flow: the game's files and directories, its program group and
 * its registry records. Once the directory is confirmed there is no way back. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "setup/resources/resource.h"
#include "settings/settings.h"

static int DirectoryHolds(const char *directory, const char *name)
{
    char path[260];
    return name[0] && CopyText(path, sizeof(path), directory) && AppendText(path, sizeof(path), name) &&
           FileExists(path);
}

/* The deletion empties whatever directory was typed on the location page, at
 * its own level and in G0 to G10. Only a directory that shows the game's
 * marker file or its QVX.INF is taken as the game's: a slip such as
 * C:\WINDOWS would otherwise cost every file in it. */
int HoldsInstalledGame(const char *directory)
{
    return DirectoryHolds(directory, gameSettings.InstalledFile) || DirectoryHolds(directory, "QVX.INF");
}

static void DeleteGameFiles(void)
{
    if (directoryMissing || !HoldsInstalledGame(installDirectory))
        return;
    DeleteInstalledFiles();
    RemoveInstalledDirectories();
}

/* Nothing to go back to: only "Final" is enabled. */
static int UninstalledPage(void)
{
    SetPage(0, 0, 1, "< Atrás", "Siguiente >", "Final", "Tinfoil Tango",
            "Desinstalación exitosa de Tinfoil Tango.\n\n"
            "No olvides que hay más juegos entretenidos de Vornhollow Entertainment.",
            IDC_CANCEL, IDB_FINISHED);
    return ShowPage();
}

/* The location page proposes the directory found, or nothing: the search
 * only writes installDirectory when it finds the marker. */
int RunUninstallFlow(void)
{
    SetWaitCursor();
    if (!ReadSettings(0)) {
        SetArrowCursor();
        return 0;
    }
    installDirectory[0] = '\0';
    FindInstalledGame(gameSettings.InstalledFile);
    SetArrowCursor();
    if (!LocationPage())
        return 0;

    SetWaitCursor();
    DeleteGameFiles();
    DeleteProgramGroup();
    DeleteInstallRecords();
    SetArrowCursor();
    UninstalledPage();
    DestroyWindow(mainWindow);
    return 1;
}
