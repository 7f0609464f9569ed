/* File operations that report their own failures through ShowError, so that
 * callers only test for null or 0. */
#include "common/general.h"
#include <string.h>

static char messageText[512];

/* What a reported failure means for an unattended run's status: reading
 * fails on the CD, writing in the game directory. Probes with the boxes off
 * decide nothing. */
static void NoteFileFailure(int status)
{
    if (ShowErrorBoxes)
        NoteRunFailure(status);
}

/* The failure text, an empty line, then the file name as the caller gave it.
 * The buffer holds any name of up to 260 characters. */
void ShowFileError(const char *failure, const char *name)
{
    lstrcpynA(messageText, failure, sizeof(messageText));
    size_t used = strlen(messageText);
    const char *middle = "\n\nThe file is called ";
    lstrcpynA(messageText + used, middle, (int)(sizeof(messageText) - used));
    used = strlen(messageText);
    lstrcpynA(messageText + used, name, (int)(sizeof(messageText) - used));
    ShowError(messageText);
}

HANDLE OpenFileForRead(const char *name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        NoteFileFailure(END_DAMAGED_CD);
        ShowFileError("Could not open/read from a file that was asked for.", name);
        return NULL;
    }
    return file;
}

HANDLE CreateFileForWrite(const char *name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        NoteFileFailure(END_WRITE_FAILED);
        ShowFileError("Could not create a file that was asked for.", name);
        return NULL;
    }
    return file;
}

HANDLE *CloseFile(HANDLE *file)
{
    if (*file)
        CloseHandle(*file);
    *file = NULL;
    return file;
}

/* A read may return fewer bytes than asked before the end of the file: a
 * CD drive that gives up on a sector hands over what it read before it.
 * The rest is asked for again, so that the failure shows as a failed read
 * at the place it happened; a read that returns nothing is the end. */
int ReadFromFile(HANDLE file, void *buffer, DWORD count)
{
    DWORD total = 0, done = 1;
    while (total < count && done) {
        done = 0;
        if (!ReadFile(file, (BYTE *)buffer + total, count - total, &done, NULL)) {
            NoteFileFailure(END_DAMAGED_CD);
            ShowError("Could not open/read from a file that was asked for.");
            return 0;
        }
        total += done;
    }
    if (total != count) {
        NoteFileFailure(END_DAMAGED_CD);
        ShowError("File reading problem, not enough information was read.");
        return 0;
    }
    return 1;
}

int WriteToFile(HANDLE file, const void *data, DWORD count)
{
    DWORD done = 0;
    if (!WriteFile(file, data, count, &done, NULL)) {
        NoteFileFailure(END_WRITE_FAILED);
        ShowError("Unable to write information to a file.");
        return 0;
    }
    if (done != count) {
        NoteFileFailure(END_WRITE_FAILED);
        ShowError("File writing problem, not enough information was written.");
        return 0;
    }
    return 1;
}

DWORD GetSizeOfFile(HANDLE file)
{
    DWORD size = GetFileSize(file, NULL);
    /* 0xFFFFFFFF is also a valid low word of a 4 GB file; only then does the
     * last error tell the two apart. */
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        NoteFileFailure(END_DAMAGED_CD);
        ShowError("Could not determine the size of one of the files that is needed.");
        return 0;
    }
    return size;
}

/* Puts a finished new file in the place of an old one. Windows 95 has no
 * MoveFileEx (it is looked up, not imported, or the program would not load
 * there): the old file steps aside first and comes back if the new one
 * cannot take its name. 0 leaves the old file as it was; nothing is
 * reported here. */
typedef BOOL (WINAPI *MoveFileExProc)(LPCSTR from, LPCSTR to, DWORD flags);

int ReplaceWithNewFile(const char *newPath, const char *path, const char *asidePath)
{
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    MoveFileExProc moveFileEx = kernel ? (MoveFileExProc)(void *)GetProcAddress(kernel, "MoveFileExA") : NULL;
    if (moveFileEx && moveFileEx(newPath, path, MOVEFILE_REPLACE_EXISTING))
        return 1;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(newPath, path);
    DeleteFileA(asidePath);
    if (!MoveFileA(path, asidePath))
        return 0;
    if (!MoveFileA(newPath, path)) {
        MoveFileA(asidePath, path);
        return 0;
    }
    DeleteFileA(asidePath);
    return 1;
}
