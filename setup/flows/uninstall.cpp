/* The uninstall flow: the game's files and directories, its program group and
 * its registry records. Once the directory is confirmed there is no way back. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "setup/resources/resource.h"
#include "settings/settings.h"
#include "settings/texts.h"

static int DirectoryHolds(const char *directory, const char *name)
{
    char path[260];
    return name[0] && CopyText(path, sizeof(path), directory) && AppendText(path, sizeof(path), name) &&
           FileExists(path);
}

/* Only a directory that shows the game's marker file or its QVX.INF is taken
 * as the game's; a marker with a wildcard shows in every directory and so in
 * none. */
int HoldsInstalledGame(const char *directory)
{
    return (!HasWildcard(gameSettings.InstalledFile) && DirectoryHolds(directory, gameSettings.InstalledFile)) ||
           DirectoryHolds(directory, "QVX.INF");
}

static void DeleteGameFiles(void)
{
    if (directoryMissing || !HoldsInstalledGame(installDirectory))
        return;
    DeleteInstalledFiles();
    RemoveInstalledDirectories();
}

/* Without the CD's lists nobody knows which files are the game's: nothing is
 * deleted, and the records stay so that the uninstallation can be run again
 * with the CD. */
void ReportUnreadableLists(const char *failedPath)
{
    char message[600];
    CopyText(message, sizeof(message), Text(TXT_LIST_UNREADABLE_PREFIX));
    AppendText(message, sizeof(message), failedPath);
    AppendText(message, sizeof(message), Text(TXT_LIST_UNREADABLE));
    SetupMessage(message, MB_OK | MB_ICONERROR);
}

/* Nothing to go back to: only "Final" is enabled. */
static int UninstalledPage(void)
{
    SetPage(0, 0, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_FINISH), gameTitle, Text(TXT_UNINSTALL_DONE),
            IDC_CANCEL, IDB_FINISHED);
    return ShowPage();
}

/* The location page proposes the directory found, or nothing: the search
 * only writes installDirectory when it finds the marker. */
int RunUninstallFlow(void)
{
    SetWaitCursor();
    char failedPath[260];
    if (!ReadSettings(0)) {
        SetArrowCursor();
        return 0;
    }
    if (!ReadInstalledNames(failedPath)) {
        SetArrowCursor();
        ReportUnreadableLists(failedPath);
        return 0;
    }
    installDirectory[0] = '\0';
    FindInstalledGame(gameSettings.InstalledFile);
    SetArrowCursor();
    if (!LocationPage())
        return 0;

    SetWaitCursor();
    DeleteGameFiles();
    ForgetInstalledNames();
    DeleteProgramGroup();
    DeleteInstallRecords();
    SetArrowCursor();
    UninstalledPage();
    DestroyWindow(mainWindow);
    return 1;
}
