/* The install and uninstall flows without a person: what the pages of the
 * default road answer, taken from the command line's words, and the log of
 * what was done. No page is shown and the message-box door answers every box
 * (common/unattended.cpp); the steps are the flows' own, so a failure leaves
 * what it leaves on the interactive road. */
#include "setup/flows/silent.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/engine/container.h"
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

/* ---- The directory's text ---------------------------------------------------- */

const char *RefusedDirectoryText(const char *directory)
{
    for (size_t i = 0; directory[i]; i++) {
        unsigned char c = (unsigned char)directory[i];
        if (c == '*' || c == '?')
            return "a wildcard in the directory: ";
        if (c < 32 || strchr("<>\"/|", c) || (c == ':' && i != 1))
            return "a character that no file name holds in the directory: ";
    }
    size_t length = strlen(directory);
    for (size_t start = 0, i = 0; i <= length; i++) {
        if (directory[i] != '\\' && directory[i] != '\0')
            continue;
        if (start > 0 && IsDeviceName(directory + start, directory + i))
            return "a device name in the directory: ";
        /* Something along the path that is there and is no directory: no
         * directory can be made where it is. */
        if (i > 3) {
            char prefix[260];
            if (i >= sizeof(prefix))
                break;
            memcpy(prefix, directory, i);
            prefix[i] = '\0';
            DWORD attributes = GetFileAttributesA(prefix);
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return "a file where the directory would be made: ";
        }
        start = i + 1;
    }
    return NULL;
}

/* The location page leaves these to the system, which would fail on the
 * first file written; without a person the run refuses them first. */
static int UsableDirectoryText(const char *directory)
{
    const char *refusal = RefusedDirectoryText(directory);
    if (!refusal)
        return 1;
    LogText(refusal, directory);
    NoteRunFailure(END_REFUSED_PATH);
    return 0;
}

/* Without DIR: a run acts on the recorded directory alone: the search of
 * the interactive road would take the first copy of the game on any disk
 * (a backup, another machine's share) without showing it to anyone. */
static int RefuseWithoutDirectory(int recorded)
{
    LogText(recorded ? "the recorded directory does not hold the game: give the game directory with DIR:"
                     : "not recorded as installed: give the game directory with DIR:",
            NULL);
    return Ended(END_REFUSED_PATH);
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
        installationLocated = FindRecordedGame(recordedDirectory, gameSettings.InstalledFile, installDirectory);
        if (!installationLocated)
            return RefuseWithoutDirectory(1);
        LogText("installation found in ", installDirectory);
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
    if (!UsableDirectoryText(installDirectory))
        return Ended(END_REFUSED_PATH);
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
    int recorded = ReadInstallRecord();
    if (recorded)
        LogText("recorded as installed in ", recordedDirectory);
    if (!ReadSettings(0))
        return Ended(END_DAMAGED_CD);
    if (!ReadInstalledNames(failedPath))
        return UnreadableLists(failedPath);
    installDirectory[0] = '\0';
    if (givenDirectory[0]) {
        CopyText(installDirectory, sizeof(installDirectory) - 1, givenDirectory);
    } else if (FindRecordedGame(recordedDirectory, gameSettings.InstalledFile, installDirectory)) {
        LogText("installation found in ", installDirectory);
    } else {
        ForgetInstalledNames();
        return RefuseWithoutDirectory(recorded);
    }
    LogText("directory: ", installDirectory);
    if (!UsableDirectoryText(installDirectory) || !AcceptLocation()) {
        ForgetInstalledNames();
        return Ended(END_REFUSED_PATH);
    }
    /* A directory without the game: nothing is removed, not even the group
     * and the records, which still name where the game is. */
    if (directoryMissing || !HoldsInstalledGame(installDirectory)) {
        LogText(directoryMissing ? "the directory does not exist: nothing is removed"
                                 : "neither the game's marker file nor QVX.INF is in the directory: nothing is removed",
                NULL);
        ForgetInstalledNames();
        return Ended(END_REFUSED_PATH);
    }
    int deleted = DeleteInstalledFiles();
    if (!RemoveInstalledDirectories() || !deleted)
        LogText("the directory is no game directory of its own: nothing on disk is deleted", NULL);
    ForgetInstalledNames();
    DeleteProgramGroup();
    DeleteInstallRecords();
    LogText("registry: removed HKEY_LOCAL_MACHINE\\", publisherKey);
    LogText("registry: removed HKEY_LOCAL_MACHINE\\", uninstallKey);
    return Ended(END_DONE);
}
