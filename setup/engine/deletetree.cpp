/* Removal of an installed game: the files that the installation writes
 * directly in the game directory and in its subdirectories G0 to G10, then
 * those directories when empty. Which files those are, the CD's file lists
 * say; whatever else lies there (saved games, another program's files when
 * the game went into a directory that was not empty) stays, and so does
 * everything deeper. */
#include "setup/engine/engine.h"
#include "setup/engine/container.h"
#include "setup/shell/shell.h"
#include "settings/texts.h"
#include <string.h>

static const char *const gameSubdirectories[] = {
    "G0", "G1", "G2", "G3", "G4", "G5", "G6", "G7", "G8", "G9", "G10"
};

static const char *const fileListNames[] = { "FILELIST.WIN", "FILELIST.WD" };

static char deleteStatusText[260];

/* The installed names, relative to the game directory, each with its NUL,
 * an empty name last; in a recorded block that grows as the lists are read. */
static char *installedNames;
static DWORD namesSize, namesUsed;

static int IsGameSubdirectory(const char *name, size_t length)
{
    for (const char *subdirectory : gameSubdirectories)
        if (strlen(subdirectory) == length &&
            CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, name, (int)length, subdirectory,
                           (int)length) == CSTR_EQUAL)
            return 1;
    return 0;
}

/* Directly in the game directory or directly in one of G0 to G10. A name
 * with a wildcard or one the copy refuses was never written. */
static int IsDeletedLevel(const char *name)
{
    if (!IsSafeRelativePath(name) || HasWildcard(name))
        return 0;
    const char *separator = strchr(name, '\\');
    if (!separator)
        return 1;
    return !strchr(separator + 1, '\\') && IsGameSubdirectory(name, (size_t)(separator - name));
}

static int StoreInstalledName(void *context, const char *destination)
{
    (void)context;
    char name[260];
    CopyText(name, sizeof(name), destination);
    for (char *c = name; *c; c++)   /* Windows takes either separator */
        if (*c == '/')
            *c = '\\';
    if (!IsDeletedLevel(name))
        return 1;
    DWORD length = (DWORD)strlen(name) + 1;
    if (namesUsed + length + 1 > namesSize) {
        DWORD size = namesSize ? namesSize * 2 : 8192;
        while (namesUsed + length + 1 > size)
            size *= 2;
        char *block = (char *)AllocateMemory((LONG)size, 1);
        if (!block)
            return 0;
        if (installedNames)
            memcpy(block, installedNames, namesUsed);
        FreeMemory(installedNames);
        installedNames = block;
        namesSize = size;
    }
    memcpy(installedNames + namesUsed, name, length);
    namesUsed += length;
    installedNames[namesUsed] = '\0';
    return 1;
}

void ForgetInstalledNames(void)
{
    installedNames = (char *)FreeMemory(installedNames);
    namesSize = namesUsed = 0;
}

int ReadInstalledNames(char *failedPath)
{
    char listPath[260];
    ForgetInstalledNames();
    failedPath[0] = '\0';
    int result = StoreInstalledName(NULL, "QVX.INF");
    for (const char *list : fileListNames) {
        if (!result)
            break;
        result = CopyText(listPath, sizeof(listPath), cdDataDirectory) &&
                 AppendText(listPath, sizeof(listPath), list) &&
                 ForEachListedFile(listPath, StoreInstalledName, NULL, failedPath);
    }
    if (!result)
        ForgetInstalledNames();
    return result;
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

/* installDirectory followed by the first length characters of name. */
static int BuildGamePath(char *path, const char *name, size_t length)
{
    size_t directoryLength = strlen(installDirectory);
    if (directoryLength + length >= 260)
        return 0;
    memcpy(path, installDirectory, directoryLength);
    memcpy(path + directoryLength, name, length);
    path[directoryLength + length] = '\0';
    return 1;
}

/* The game directory, asked without its backslash, is no link. */
static int IsGameDirectoryOwn(void)
{
    char path[260];
    CopyText(path, sizeof(path), installDirectory);
    path[strlen(path) - 1] = '\0';
    return !IsLinkedPath(path);
}

static void DeleteInstalledFile(const char *name)
{
    char path[260];
    const char *separator = strchr(name, '\\');
    /* A G directory that is a link leads out of the game directory. */
    if (separator && (!BuildGamePath(path, name, (size_t)(separator - name)) || IsLinkedPath(path)))
        return;
    if (!BuildGamePath(path, name, strlen(name)))
        return;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    CopyText(deleteStatusText, sizeof(deleteStatusText), Text(TXT_DELETING));
    AppendText(deleteStatusText, sizeof(deleteStatusText), separator ? separator + 1 : name);
    SetStatusText(deleteStatusText);
    LogText(DeleteFileA(path) ? "file deleted: " : "file not deleted: ", path);
}

int DeleteInstalledFiles(void)
{
    if (!installedNames || !IsGameDirectoryPath(installDirectory) || !IsGameDirectoryOwn())
        return 0;
    SetWaitCursor();
    for (const char *name = installedNames; *name; name += strlen(name) + 1)
        DeleteInstalledFile(name);
    SetStatusText(" ");
    SetArrowCursor();
    return 1;
}

/* A directory that is a link is not removed: Wine's RemoveDirectoryA removes
 * the empty directory a Unix symbolic link points at, not the link. */
int RemoveInstalledDirectories(void)
{
    char directory[260];
    if (!IsGameDirectoryPath(installDirectory) || !IsGameDirectoryOwn())
        return 0;
    for (const char *name : gameSubdirectories) {
        if (BuildGamePath(directory, name, strlen(name)) && !IsLinkedPath(directory) &&
            RemoveDirectoryA(directory))
            LogText("directory removed: ", directory);
    }
    CopyText(directory, sizeof(directory), installDirectory);
    directory[strlen(directory) - 1] = '\0';
    if (RemoveDirectoryA(directory))
        LogText("directory removed: ", directory);
    return 1;
}
