/* The stand-ins' call logs: one line per call, appended to the file named by
 * an environment variable, else to a file of that name in the temporary
 * directory. Several processes may log at once, so each write opens, appends
 * at the end and closes again. */
#ifndef STANDINLOG_H
#define STANDINLOG_H

#include <windows.h>

static inline void StandInLogPath(const char *variable, const char *fallback, char *path, DWORD size)
{
    DWORD length = GetEnvironmentVariableA(variable, path, size);
    if (length > 0 && length < size)
        return;
    length = GetTempPathA(size - 16, path);
    if (length == 0 || length >= size - 16)
        path[0] = '\0';
    lstrcatA(path, fallback);
}

/* Appends the line and CR LF. */
static inline void AppendStandInLog(const char *variable, const char *fallback, const char *line)
{
    char path[MAX_PATH];
    StandInLogPath(variable, fallback, path, sizeof(path));
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    SetFilePointer(file, 0, NULL, FILE_END);
    WriteFile(file, line, (DWORD)lstrlenA(line), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
}

#endif
