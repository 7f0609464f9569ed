/* Outfitter runs its wizard from a copy of itself in the temporary directory,
 * so that no file of the CD is held open by the running program and the CD
 * can be changed (DirectX setup asks for it). The copy asks Windows, through
 * the [rename] section of WININIT.INI, to delete the six temporary files at
 * its next start. */
#include "setup/windows/integration.h"
#include "setup/engine/engine.h"
#include "settings/settings.h"
#include <string.h>

/* Outfitter first, from the language directory; then DirectX setup's
 * libraries, which Outfitter imports and so must sit beside it. */
static const char *const relaunchFiles[] = {
    "OUTFIT.EXE", "DSETUP.DLL", "DSETUP6E.DLL", "DSETUP6J.DLL", "DSETUPE.DLL", "DSETUPJ.DLL"
};
enum { RELAUNCH_FILE_COUNT = sizeof(relaunchFiles) / sizeof(relaunchFiles[0]) };
enum { WININIT_LINE_SIZE = 512 };

static int GetTemporaryDirectory(char *directory)
{
    DWORD length = GetTempPathA(260, directory);
    return length > 0 && length < 260;
}

int CopyToTemp(const char *name, const char *temp, int fromLanguageDirectory)
{
    char source[260], target[260];
    if (!CopyText(source, sizeof(source), cdDataDirectory) ||
        (fromLanguageDirectory && !AppendText(source, sizeof(source), LanguageDirectory())) ||
        !AppendText(source, sizeof(source), name))
        return 0;
    if (!CopyText(target, sizeof(target), temp) || !AppendText(target, sizeof(target), name))
        return 0;
    if (!CopyFileA(source, target, FALSE))
        return 0;
    /* A copy of a CD file keeps the CD's read-only attribute. */
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    return 1;
}

/* The six files in the temporary directory, and the copy's command line. */
static int PrepareRelaunch(char *command, size_t size)
{
    char temp[260];
    if (!GetTemporaryDirectory(temp))
        return 0;
    for (int i = 0; i < RELAUNCH_FILE_COUNT; i++)
        if (!CopyToTemp(relaunchFiles[i], temp, i == 0))
            return 0;
    return CopyText(command, size, "\"") && AppendText(command, size, temp) &&
           AppendText(command, size, "OUTFIT.EXE\" FROM:") && AppendText(command, size, sourceDriveText);
}

int RelaunchFromTempWith(const char *words, DWORD *status)
{
    char command[1200];
    if (!PrepareRelaunch(command, sizeof(command)) || !AppendText(command, sizeof(command), words))
        return 0;
    LogText("relaunch: ", command);
    CloseRunLog();   /* the copy writes on in the same log */
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    if (status) {
        WaitForSingleObject(process.hProcess, INFINITE);
        if (!GetExitCodeProcess(process.hProcess, status))
            *status = END_FAILED;
    }
    CloseHandle(process.hProcess);
    return 1;
}

int RelaunchFromTemp(void)
{
    char temp[260], command[300];
    if (!GetTemporaryDirectory(temp))
        return 0;
    for (int i = 0; i < RELAUNCH_FILE_COUNT; i++)
        if (!CopyToTemp(relaunchFiles[i], temp, i == 0))
            return 0;
    /* Quoted: a temporary directory may hold blanks, and the restarted
     * instance looks for FROM right after the program path. */
    if (!CopyText(command, sizeof(command), "\"") || !AppendText(command, sizeof(command), temp) ||
        !AppendText(command, sizeof(command), "OUTFIT.EXE\" FROM:") ||
        !AppendText(command, sizeof(command), sourceDriveText))
        return 0;
    return WinExec(command, SW_SHOWNORMAL) > 31;
}

/* ---- WININIT.INI ---------------------------------------------------------- */

static int WriteCleanupLines(HANDLE file, const char *temp)
{
    char line[WININIT_LINE_SIZE];
    for (const char *name : relaunchFiles) {
        CopyText(line, sizeof(line), "NUL=");
        AppendText(line, sizeof(line), temp);
        AppendText(line, sizeof(line), name);
        if (!WriteTextLine(file, line))
            return 0;
    }
    return 1;
}

/* The old file whole, read with error boxes off: a missing file is the
 * normal case. *text stays NULL with *size 0 when there is none. */
static int ReadOldWininit(const char *path, char **text, DWORD *size)
{
    *text = NULL;
    *size = 0;
    ShowErrorBoxes = 0;
    HANDLE file = OpenFileForRead(path);
    ShowErrorBoxes = 1;
    if (!file)
        return 1;
    int ok = 1;
    *size = GetSizeOfFile(file);
    if (*size) {
        *text = (char *)AllocateMemory((LONG)*size, 1);
        ok = *text && ReadFromFile(file, *text, *size);
    }
    CloseFile(&file);
    if (!ok)
        *text = (char *)FreeMemory(*text);
    return ok;
}

/* Writes the old lines back byte for byte, in their own case, blank lines
 * included, with the six lines after every [rename] section line. Each line
 * is written from the old text, not from the line buffer: a line too long
 * for the buffer (reported by the line reader), one that fills it, or one
 * that holds a NUL byte comes back as it was, and no entry of Windows' is
 * lost or changed. */
static int RewriteWininit(HANDLE file, const char *text, DWORD size, const char *temp)
{
    char line[WININIT_LINE_SIZE];
    int sectionFound = 0;
    DWORD at = 0;
    while (at < size) {
        DWORD length = 0;
        while (at + length < size && text[at + length] != '\r')
            length++;
        int used = ReadTextLine(text + at, (long)(size - at), line, sizeof(line), 0);
        if (used <= 0)
            break;
        if ((length && !WriteToFile(file, text + at, length)) || !WriteToFile(file, "\r\n", 2))
            return 0;
        at += (DWORD)used;
        if (length < sizeof(line) && MatchKeyword(line, "[RENAME]")) {
            if (!WriteCleanupLines(file, temp))
                return 0;
            sectionFound = 1;
        }
    }
    if (!sectionFound)
        return WriteTextLine(file, "[Rename]") && WriteCleanupLines(file, temp);
    return 1;
}

static int WindowsFilePath(char *path, const char *name)
{
    UINT length = GetWindowsDirectoryA(path, 260);
    if (length == 0 || length >= 260)
        return 0;
    if (path[length - 1] != '\\' && !AppendText(path, 260, "\\"))
        return 0;
    return AppendText(path, 260, name);
}

/* Windows reads WININIT.INI at its next start: the new text is written
 * completely beside the old file and only then put in its place, so that a
 * full disk or another program holding the file leaves it as it was. */
int ScheduleTempCleanup(void)
{
    char temp[260], path[260], newPath[260], asidePath[260];
    if (!GetTemporaryDirectory(temp) || !WindowsFilePath(path, "WININIT.INI") ||
        !WindowsFilePath(newPath, "WININIT.NEW") || !WindowsFilePath(asidePath, "WININIT.OLD"))
        return 0;

    char *text;
    DWORD size;
    if (!ReadOldWininit(path, &text, &size))
        return 0;
    ShowErrorBoxes = 0;
    HANDLE file = CreateFileForWrite(newPath);
    ShowErrorBoxes = 1;
    if (!file) {
        FreeMemory(text);
        ShowFileError("Could not create a file that was asked for.", path);
        return 0;
    }
    int written = RewriteWininit(file, text, size, temp);
    CloseFile(&file);
    FreeMemory(text);
    if (!written || !ReplaceWithNewFile(newPath, path, asidePath)) {
        DeleteFileA(newPath);
        if (written)
            ShowFileError("Could not create a file that was asked for.", path);
        return 0;
    }
    return 1;
}
