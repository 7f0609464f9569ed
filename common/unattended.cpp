/* Unattended runs: the switch by which the message-box door answers instead
 * of a person, the status the run ends with, and the run's log, a plain text
 * file written a line at a time so that a run that is killed leaves every
 * line up to that point. */
#include "common/general.h"
#include <string.h>

int unattendedRun;
int runStatus;

static HANDLE runLog;

void CloseRunLog(void)
{
    if (runLog)
        CloseHandle(runLog);
    runLog = NULL;
}

int OpenRunLog(const char *path, int append)
{
    CloseRunLog();
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (append)
        SetFilePointer(file, 0, NULL, FILE_END);
    runLog = file;
    return 1;
}

/* One line: first, then second; a line break inside is written as \n, so
 * that a box's text stays on its line. */
void LogText(const char *first, const char *second)
{
    if (!runLog)
        return;
    char line[2048];
    size_t used = 0;
    const char *parts[2] = { first, second ? second : "" };
    for (const char *part : parts)
        for (const char *c = part; *c && used + 4 < sizeof(line); c++) {
            if (*c == '\r')
                continue;
            if (*c == '\n') {
                line[used++] = '\\';
                line[used++] = 'n';
            } else {
                line[used++] = *c;
            }
        }
    line[used++] = '\r';
    line[used++] = '\n';
    DWORD written = 0;
    WriteFile(runLog, line, (DWORD)used, &written, NULL);
}

void LogNumber(const char *first, long number, const char *second)
{
    char text[1024];
    wsprintfA(text, "%s%ld", first, number);
    LogText(text, second);
}

/* A text file's lines, each behind prefix: what a file that the run wrote
 * holds. At most the first 64 KB. */
void LogFileLines(const char *prefix, const char *path)
{
    if (!runLog)
        return;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    static char text[65536];
    DWORD size = 0;
    ReadFile(file, text, sizeof(text) - 1, &size, NULL);
    CloseHandle(file);
    text[size] = '\0';
    char *line = text;
    while (*line) {
        char *end = line;
        while (*end && *end != '\r' && *end != '\n')
            end++;
        char kept = *end;
        *end = '\0';
        LogText(prefix, line);
        if (!kept)
            break;
        line = end + 1;
        if (kept == '\r' && *line == '\n')
            line++;
    }
}

void NoteRunFailure(int status)
{
    if (!runStatus)
        runStatus = status;
}

const char *RunStatusText(int status)
{
    switch (status) {
    case END_DONE: return "done";
    case END_REFUSED_MACHINE: return "refused: the machine";
    case END_REFUSED_SPACE: return "refused: not enough free space";
    case END_REFUSED_PATH: return "refused: the directory";
    case END_DAMAGED_CD: return "the CD is damaged or unreadable";
    case END_WRITE_FAILED: return "a file could not be written";
    case END_CANCELLED: return "cancelled";
    }
    return "failed";
}

/* The answer that ends the run safely: OK to a message, No to a question,
 * Cancel or Abort where the box has them. A question declined cancels. */
void LogBox(const char *text, const char *caption)
{
    char head[300];
    lstrcpynA(head, "box (", sizeof(head));
    lstrcpynA(head + 5, caption ? caption : "", (int)sizeof(head) - 8);
    lstrcatA(head, "): ");
    LogText(head, text);
}

int UnattendedAnswer(const char *text, const char *caption, UINT style)
{
    LogBox(text, caption);
    switch (style & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        LogText("  answered: No", NULL);
        NoteRunFailure(END_CANCELLED);
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        LogText("  answered: Abort", NULL);
        NoteRunFailure(END_CANCELLED);
        return IDABORT;
    }
    LogText("  answered: Cancel", NULL);
    NoteRunFailure(END_CANCELLED);
    return IDCANCEL;
}
