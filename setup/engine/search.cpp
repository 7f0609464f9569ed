/* The search for an installed game: first the directory the install record
 * names, then every hard disk, depth-first, one FindFirstFileA on the marker
 * name per directory. Compiled into Outfitter and Chooser alike. */
#include "setup/engine/search.h"
#include <windows.h>
#include <string.h>

enum { PATH_SIZE = 260 };

int FileExists(const char *path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

int HasWildcard(const char *name)
{
    return strpbrk(name, "*?") != NULL;
}

int IsLinkAttribute(unsigned long attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

int IsLinkedPath(const char *path)
{
    return IsLinkAttribute(GetFileAttributesA(path));
}

int DirectoryHoldsFile(const char *pattern, const char *name)
{
    char path[PATH_SIZE];
    CopyText(path, sizeof(path), pattern);
    size_t length = strlen(path);
    path[length >= 3 ? length - 3 : 0] = '\0';
    ShowSearchStatus(path);

    length = strlen(path);
    if (length == 0 || HasWildcard(name))
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
    return CopyText(path, PATH_SIZE, directory) && AppendText(path, PATH_SIZE, entry) &&
           AppendText(path, PATH_SIZE, tail);
}

static void UpperCaseAscii(char *text)
{
    for (; *text; text++)
        if (*text >= 'a' && *text <= 'z')
            *text = (char)(*text - 'a' + 'A');
}

int FindFileInTree(const char *directory, const char *name, char *found)
{
    char path[PATH_SIZE];
    if (!BuildEntryPath(path, directory, "", "*.*"))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA(path, &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || entry.cFileName[0] == '.')
            continue;
        /* A level that would not fit in 260 bytes is not entered. */
        if (!BuildEntryPath(path, directory, entry.cFileName, "\\*.*"))
            continue;
        if (DirectoryHoldsFile(path, name)) {
            FindClose(listing);
            BuildEntryPath(found, directory, entry.cFileName, "\\");
            UpperCaseAscii(found);
            return 1;
        }
        /* A link is tested but not entered: links can lead back up the tree
         * and round in circles. */
        if (IsLinkAttribute(entry.dwFileAttributes))
            continue;
        BuildEntryPath(path, directory, entry.cFileName, "\\");
        if (FindFileInTree(path, name, found)) {
            FindClose(listing);
            return 1;
        }
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
    return 0;
}

/* The recorded directory is taken as it was written, but it must end with a
 * backslash: every path of the game directory is built by appending to it,
 * and a hand-edited record without one would make the programs read and
 * delete files beside the game directory instead of inside it. */
static int TakeRecordedDirectory(const char *recorded, const char *marker, char *found)
{
    char pattern[PATH_SIZE];
    if (!CopyText(pattern, sizeof(pattern), recorded) || !AppendText(pattern, sizeof(pattern), "*.*"))
        return 0;
    if (!DirectoryHoldsFile(pattern, marker))
        return 0;
    char directory[PATH_SIZE];
    CopyText(directory, sizeof(directory), recorded);
    size_t length = strlen(directory);
    if (directory[length - 1] != '\\' && !AppendText(directory, sizeof(directory), "\\"))
        return 0;
    return CopyText(found, PATH_SIZE, directory);
}

static int IsSearchedDriveType(UINT type)
{
    return type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK;
}

/* Wine maps a drive (Z: in every prefix) onto the host's root directory, as
 * a fixed disk: a walk there would list the whole host system. Wine's
 * kernel32 names the host directory of a path; Windows has no such export,
 * and there every drive of a searched type is searched. */
typedef char *(__cdecl *UnixFileNameFunction)(const WCHAR *path);

static int IsHostRootDrive(const char *root)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    UnixFileNameFunction unixFileName =
        kernel ? (UnixFileNameFunction)(void *)GetProcAddress(kernel, "wine_get_unix_file_name") : NULL;
    if (!unixFileName)
        return 0;
    WCHAR drive[4] = { (WCHAR)(unsigned char)root[0], L':', L'\\', 0 };
    char *hostPath = unixFileName(drive);
    if (!hostPath)
        return 0;
    const char *rest = hostPath;
    while (*rest == '/')
        rest++;
    int isRoot = hostPath[0] == '/' && *rest == '\0';
    HeapFree(GetProcessHeap(), 0, hostPath);
    return isRoot;
}

int FindRecordedGame(const char *recorded, const char *marker, char *found)
{
    return !HasWildcard(marker) && TakeRecordedDirectory(recorded, marker, found);
}

int FindGameDirectory(const char *recorded, const char *marker, char *found)
{
    if (HasWildcard(marker))
        return 0;
    if (TakeRecordedDirectory(recorded, marker, found))
        return 1;
    char drives[PATH_SIZE];
    DWORD length = GetLogicalDriveStringsA(sizeof(drives), drives);
    if (length == 0 || length >= sizeof(drives))
        return 0;
    /* Entries of four bytes: "C:\" and its NUL; an empty one ends the list. */
    for (const char *root = drives; root < drives + length && *root; root += 4) {
        if (!IsSearchedDriveType(GetDriveTypeA(root)) || IsHostRootDrive(root))
            continue;
        if (FindFileInTree(root, marker, found))
            return 1;
    }
    return 0;
}
