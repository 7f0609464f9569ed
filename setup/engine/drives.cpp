/* The CD paths, and the one drive letter that points them at the game CD. */
#include "setup/engine/engine.h"
#include "setup/shell/shell.h"
#include "setup/flows/flows.h"
#include <string.h>

char activeListPath[260] = "D:\\DATA1\\FILELIST.WIN";
char dosListPath[260] = "D:\\DATA1\\FILELIST.WD";
char cdDataDirectory[260] = "D:\\DATA1\\";
char cdRoot[260] = "D:\\";
char backgroundPath[260] = "D:\\DATA1\\VRNBLACK.BMP";
char background256Path[260] = "D:\\DATA1\\VRN256.BMP";
char directXPath[260] = "D:\\DirectX";
char sourceDriveText[2] = "D";
char recordedDirectory[260];

void SetSourceDrive(char letter)
{
    if (!letter)
        letter = uninstallDrive;
    if (!letter) {
        char current[260];
        DWORD got = GetCurrentDirectoryA(sizeof(current), current);
        if (got && got < sizeof(current) && current[1] == ':')
            letter = current[0] >= 'a' && current[0] <= 'z' ? (char)(current[0] - 32) : current[0];
        else
            letter = 64;   /* no drive letter: the character before A */
    }
    char *paths[] = { activeListPath, dosListPath, cdDataDirectory, cdRoot, backgroundPath,
                      background256Path, directXPath, sourceDriveText };
    for (char *path : paths)
        path[0] = letter;
}

char searchStatusText[256];

int CopyText(char *to, size_t size, const char *from)
{
    if (!size)
        return 0;
    size_t length = strlen(from);
    if (length >= size) {
        memcpy(to, from, size - 1);
        to[size - 1] = '\0';
        return 0;
    }
    memcpy(to, from, length + 1);
    return 1;
}

int AppendText(char *to, size_t size, const char *from)
{
    size_t used = strlen(to);
    if (used >= size)
        return 0;
    return CopyText(to + used, size - used, from);
}

int FileExists(const char *path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

int CreateDirectoryPath(const char *path)
{
    char prefix[260];
    size_t length = strlen(path);
    if (length >= sizeof(prefix))
        return 0;
    for (size_t i = 0; i <= length; i++) {
        if (path[i] != '\\' && path[i] != '\0')
            continue;
        if (i == 0 || path[i - 1] == ':')
            continue;
        memcpy(prefix, path, i);
        prefix[i] = '\0';
        if (!FileExists(prefix) && !CreateDirectoryA(prefix, NULL))
            return 0;
    }
    return 1;
}

/* Shows "Buscando " and the directory of the pattern on the status line,
 * without the directory's trailing backslash. */
static void ShowSearchStatus(const char *directory)
{
    CopyText(searchStatusText, sizeof(searchStatusText), "Buscando ");
    AppendText(searchStatusText, sizeof(searchStatusText), directory);
    searchStatusText[strlen(searchStatusText) - 1] = '\0';
    SetStatusText(searchStatusText);
}

int DirectoryHoldsFile(const char *pattern, const char *name)
{
    char path[260];
    CopyText(path, sizeof(path), pattern);
    size_t length = strlen(path);
    path[length >= 3 ? length - 3 : 0] = '\0';
    ShowSearchStatus(path);

    length = strlen(path);
    if (length == 0)
        return 0;
    if (path[length - 1] != '\\' && !AppendText(path, sizeof(path), "\\"))
        return 0;
    if (!AppendText(path, sizeof(path), name))
        return 0;
    return FileExists(path);
}

/* dir + entry + tail into a 260-byte buffer; 0 when it would not fit. */
static int BuildEntryPath(char *path, const char *directory, const char *entry, const char *tail)
{
    return CopyText(path, 260, directory) && AppendText(path, 260, entry) && AppendText(path, 260, tail);
}

static void UpperCaseAscii(char *text)
{
    for (; *text; text++)
        if (*text >= 'a' && *text <= 'z')
            *text = (char)(*text - 'a' + 'A');
}

int SearchDirectoryTree(const char *directory, const char *name)
{
    char path[260];
    if (!BuildEntryPath(path, directory, "", "*.*"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA(path, &found);
    if (listing == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || found.cFileName[0] == '.')
            continue;
        /* A level that would not fit in 260 bytes is not entered. */
        if (!BuildEntryPath(path, directory, found.cFileName, "\\*.*"))
            continue;
        if (DirectoryHoldsFile(path, name)) {
            FindClose(listing);
            BuildEntryPath(installDirectory, directory, found.cFileName, "\\");
            UpperCaseAscii(installDirectory);
            return 1;
        }
        BuildEntryPath(path, directory, found.cFileName, "\\");
        if (SearchDirectoryTree(path, name)) {
            FindClose(listing);
            return 1;
        }
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
    return 0;
}

/* The recorded directory is taken as it was written, but it must end with a
 * backslash: every path of the game directory is built by appending to it,
 * and a hand-edited record without one would make the uninstaller list and
 * delete files beside the game directory instead of inside it. */
static int TakeRecordedDirectory(const char *marker)
{
    char pattern[260];
    if (!CopyText(pattern, sizeof(pattern), recordedDirectory) ||
        !AppendText(pattern, sizeof(pattern), "*.*"))
        return 0;
    if (!DirectoryHoldsFile(pattern, marker))
        return 0;
    CopyText(installDirectory, sizeof(installDirectory), recordedDirectory);
    size_t length = strlen(installDirectory);
    if (installDirectory[length - 1] != '\\')
        return AppendText(installDirectory, sizeof(installDirectory), "\\");
    return 1;
}

static int IsSearchedDriveType(UINT type)
{
    return type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK;
}

int FindInstalledGame(const char *marker)
{
    if (TakeRecordedDirectory(marker)) {
        SetStatusText(" ");
        return 1;
    }
    char drives[260];
    DWORD length = GetLogicalDriveStringsA(sizeof(drives), drives);
    if (length == 0 || length >= sizeof(drives))
        return 0;
    /* Entries of four bytes: "C:\" and its NUL; an empty one ends the list. */
    for (const char *root = drives; root < drives + length && *root; root += 4) {
        if (!IsSearchedDriveType(GetDriveTypeA(root)))
            continue;
        if (SearchDirectoryTree(root, marker)) {
            SetStatusText(" ");
            return 1;
        }
    }
    return 0;
}
