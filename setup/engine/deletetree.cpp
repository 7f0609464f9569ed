/* Removal of an installed game: the files directly in the game directory and
 * in its subdirectories G0 to G10, then those directories when empty. Nothing
 * deeper and nothing else is touched. */
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include <string.h>

static const char *const gameSubdirectories[] = {
    "G0", "G1", "G2", "G3", "G4", "G5", "G6", "G7", "G8", "G9", "G10"
};

static char deleteStatusText[260];

/* Every entry of one directory (with its trailing backslash) whose name does
 * not begin with a dot. Subdirectories pass through DeleteFileA too, which
 * leaves them alone. */
static void DeleteFilesIn(const char *directory)
{
    char path[260];
    if (!CopyText(path, sizeof(path), directory) || !AppendText(path, sizeof(path), "*.*"))
        return;
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA(path, &found);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.cFileName[0] == '.')
            continue;
        if (!CopyText(path, sizeof(path), directory) || !AppendText(path, sizeof(path), found.cFileName))
            continue;
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        CopyText(deleteStatusText, sizeof(deleteStatusText), "Borrando ");
        AppendText(deleteStatusText, sizeof(deleteStatusText), found.cFileName);
        SetStatusText(deleteStatusText);
        DeleteFileA(path);
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
}

/* Deleting works on the layout the installation made inside a directory of
 * its own. An empty, relative or drive-root directory (C:\ typed on the
 * uninstall page) would otherwise cost the files of the current directory
 * or of the root, system files included. */
static int IsGameDirectoryPath(const char *directory)
{
    size_t length = strlen(directory);
    if (length < 2 || directory[length - 1] != '\\')
        return 0;
    const char *separator = strchr(directory, '\\');
    if (separator == directory + length - 1)
        return 0;   /* "C:\" or a bare name */
    return directory[0] == '\\' || (length > 3 && directory[1] == ':' && directory[2] == '\\');
}

int DeleteInstalledFiles(void)
{
    char directory[260];
    if (!IsGameDirectoryPath(installDirectory))
        return 0;
    SetWaitCursor();
    DeleteFilesIn(installDirectory);
    for (const char *name : gameSubdirectories) {
        if (CopyText(directory, sizeof(directory), installDirectory) &&
            AppendText(directory, sizeof(directory), name) &&
            AppendText(directory, sizeof(directory), "\\"))
            DeleteFilesIn(directory);
    }
    SetStatusText(" ");
    SetArrowCursor();
    return 1;
}

int RemoveInstalledDirectories(void)
{
    char directory[260];
    for (const char *name : gameSubdirectories) {
        if (CopyText(directory, sizeof(directory), installDirectory) &&
            AppendText(directory, sizeof(directory), name))
            RemoveDirectoryA(directory);
    }
    CopyText(directory, sizeof(directory), installDirectory);
    size_t length = strlen(directory);
    if (length > 0) {
        directory[length - 1] = '\0';
        RemoveDirectoryA(directory);
    }
    return 1;
}
