/* The install and uninstall flows without a person: what the pages of the
 * default road answer, taken from the command line's words, and the log of
 * what was done. No page is shown and the message-box door answers every box
 * (common/unattended.cpp); the steps are the flows' own, so a failure leaves
 * what it leaves on the interactive road. */
#include "setup/flows/silent.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include "settings/installstate.h"
#include "settings/texts.h"
#include <string.h>

/* The status of the first failure noted on the way, else this one. */
static int Ended(int status)
{
    NoteRunFailure(status);
    return runStatus;
}

/* ---- Directories made ------------------------------------------------------ */

static const char *const gameSubdirectories[] = {
    "G0", "G1", "G2", "G3", "G4", "G5", "G6", "G7", "G8", "G9", "G10"
};

enum { WATCHED_MAX = 48 };
static char watched[WATCHED_MAX][260];
static int watchedCount;

static void Watch(const char *path)
{
    if (watchedCount < WATCHED_MAX && !FileExists(path))
        CopyText(watched[watchedCount++], 260, path);
}

/* The directories along the path and G0 to G10 in it that do not exist yet:
 * those that do afterwards, the acceptance of the directory made. */
static void WatchMissingDirectories(const char *text)
{
    char directory[260], path[260];
    CopyText(directory, sizeof(directory), text);
    size_t length = strlen(directory);
    if (length && directory[length - 1] == '\\')
        directory[--length] = '\0';
    watchedCount = 0;
    for (size_t i = 3; i <= length; i++) {
        if (directory[i] != '\\' && directory[i] != '\0')
            continue;
        memcpy(path, directory, i);
        path[i] = '\0';
        Watch(path);
    }
    for (const char *name : gameSubdirectories)
        if (CopyText(path, sizeof(path), directory) && AppendText(path, sizeof(path), "\\") &&
            AppendText(path, sizeof(path), name))
            Watch(path);
}

static void LogMadeDirectories(void)
{
    for (int i = 0; i < watchedCount; i++)
        if (FileExists(watched[i]))
            LogText("directory made: ", watched[i]);
}

/* ---- Registry ---------------------------------------------------------------- */

static void LogRecord(const char *key, const char *name)
{
    char value[300], line[600];
    CopyText(line, sizeof(line), "registry: HKEY_LOCAL_MACHINE\\");
    AppendText(line, sizeof(line), key);
    AppendText(line, sizeof(line), " \"");
    AppendText(line, sizeof(line), name);
    AppendText(line, sizeof(line), "\" = ");
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE, key, name, value, sizeof(value)))
        LogText(line, value);
    else
        LogText(line, "(not written)");
}

/* ---- Installation ------------------------------------------------------------ */

int RunSilentInstall(void)
{
    /* The default road installs, over an installation recorded before too:
     * it goes where that one is found unless DIR: says otherwise. */
    int installed = ReadInstallRecord();
    if (installed)
        LogText("recorded as installed in ", recordedDirectory);
    if (!ReadSettings(0))
        return Ended(END_DAMAGED_CD);
    if (installed && !givenDirectory[0]) {
        installationLocated = FindInstalledGame(gameSettings.InstalledFile);
        LogText(installationLocated ? "installation found in " : "installation not found",
                installationLocated ? installDirectory : NULL);
    }
    if (!CheckProcessor() || !CheckMemory())
        return Ended(END_REFUSED_MACHINE);
    dosVariant = 1;
    lstrcpynA(activeListPath, dosListPath, sizeof(activeListPath));

    char directory[260];
    if (givenDirectory[0])
        CopyText(directory, sizeof(directory), givenDirectory);
    else
        ProposeLocation(directory, sizeof(directory));
    CopyText(installDirectory, sizeof(installDirectory) - 1, directory);
    LogText("directory: ", installDirectory);
    WatchMissingDirectories(installDirectory);
    int accepted = AcceptLocation();
    LogMadeDirectories();
    if (!accepted)
        return Ended(END_REFUSED_PATH);

    LogText("copy: the files of ", activeListPath);
    int copied = CopyListedFiles();
    LogNumber("bytes read from the CD: ", bytesCopied, "");
    if (!copied)
        return Ended(END_DAMAGED_CD);

    LogText("sound test: skipped", NULL);
    if (!groupWanted)
        LogText("program group: not made (GROUP:NO)", NULL);
    else if (!CreateProgramGroup())
        LogText("program group: the program manager did not take every command", NULL);
    WriteSettings();
    WriteInstallRecords();
    LogRecord(publisherKey, gameTitle);
    LogRecord(uninstallKey, "DisplayName");
    LogRecord(uninstallKey, "UninstallString");
    return Ended(END_DONE);
}

/* ---- Uninstallation ----------------------------------------------------------- */

static int UnreadableLists(const char *failedPath)
{
    ReportUnreadableLists(failedPath);
    return Ended(END_DAMAGED_CD);
}

/* What the interactive uninstallation deletes, in the same steps: the files
 * the CD's lists install and QVX.INF, G0 to G10 and the directory when they
 * are empty, the program group, the records. */
int RunSilentUninstall(void)
{
    char failedPath[260];
    ReadInstallRecord();
    if (!ReadSettings(0))
        return Ended(END_DAMAGED_CD);
    if (!ReadInstalledNames(failedPath))
        return UnreadableLists(failedPath);
    installDirectory[0] = '\0';
    int found = FindInstalledGame(gameSettings.InstalledFile);
    LogText(found ? "installation found in " : "installation not found", found ? installDirectory : NULL);
    if (givenDirectory[0]) {
        CopyText(installDirectory, sizeof(installDirectory) - 1, givenDirectory);
    } else if (!found) {
        LogText("nothing to uninstall without its directory: give it with DIR:", NULL);
        ForgetInstalledNames();
        return Ended(END_REFUSED_PATH);
    }
    LogText("directory: ", installDirectory);
    if (!AcceptLocation()) {
        ForgetInstalledNames();
        return Ended(END_REFUSED_PATH);
    }
    if (directoryMissing)
        LogText("the directory does not exist: nothing on disk is deleted", NULL);
    else if (!HoldsInstalledGame(installDirectory))
        LogText("neither the game's marker file nor QVX.INF is in the directory: nothing on disk is deleted", NULL);
    else {
        int deleted = DeleteInstalledFiles();
        if (!RemoveInstalledDirectories() || !deleted)
            LogText("the directory is no game directory of its own: nothing on disk is deleted", NULL);
    }
    ForgetInstalledNames();
    DeleteProgramGroup();
    DeleteInstallRecords();
    LogText("registry: removed HKEY_LOCAL_MACHINE\\", publisherKey);
    LogText("registry: removed HKEY_LOCAL_MACHINE\\", uninstallKey);
    return Ended(END_DONE);
}
