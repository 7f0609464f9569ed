/* The words of an unattended run on Outfitter's command line: SILENT,
 * DIR:<directory>, GROUP:NO and LOG:<file>, in any place among the others.
 * They are whole words (a prefix of them is nothing), read and taken out of
 * the argument text before the older keywords are matched, so that the
 * text those see is the one they always saw; without any of them it is not
 * touched at all. A word may be quoted as a whole or after its colon when
 * its path holds blanks. With any of them on the line, the program path is
 * taken as Windows takes it: batch files, Start > Run and deployment tools
 * pass it unquoted. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include <string.h>

int silentRun;
int groupWanted = 1;
char givenDirectory[260];
char logPath[260];
int directoryTooLong;
int logPathTooLong;

/* The location page takes this much text: the backslash put back after it
 * must still fit the game directory's 260 bytes. */
enum { GIVEN_DIRECTORY_LIMIT = sizeof(givenDirectory) - 2 };

static int IsWord(const char *value, const char *word)
{
    return lstrcmpiA(value, word) == 0;
}

/* The value behind "KEY:" when the word starts with it, case aside. */
static const char *ValueAfter(const char *value, const char *key)
{
    size_t length = strlen(key);
    if (strlen(value) < length || CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, value, (int)length, key,
                                                 (int)length) != CSTR_EQUAL)
        return NULL;
    return value + length;
}

static int TakeWord(const char *value)
{
    const char *path;
    if (IsWord(value, "SILENT")) {
        silentRun = 1;
        return 1;
    }
    if (IsWord(value, "GROUP:NO")) {
        groupWanted = 0;
        return 1;
    }
    if (IsWord(value, "GROUP:YES")) {
        groupWanted = 1;
        return 1;
    }
    /* A value that does not fit is refused, never cut: a cut path names
     * another directory or file. */
    if ((path = ValueAfter(value, "DIR:")) != NULL) {
        if (strlen(path) > GIVEN_DIRECTORY_LIMIT)
            directoryTooLong = 1;
        else
            lstrcpynA(givenDirectory, path, sizeof(givenDirectory));
        return 1;
    }
    if ((path = ValueAfter(value, "LOG:")) != NULL) {
        if (strlen(path) >= sizeof(logPath))
            logPathTooLong = 1;
        else
            lstrcpynA(logPath, path, sizeof(logPath));
        return 1;
    }
    return 0;
}

int ReadUnattendedWords(char *arguments)
{
    char rest[1024], value[1024];
    size_t restUsed = 0;
    int taken = 0;
    const char *at = arguments;
    while (*at) {
        while (*at == ' ' || *at == '\t')
            at++;
        if (!*at)
            break;
        const char *start = at;
        size_t valueUsed = 0;
        int quoted = 0;
        while (*at && (quoted || (*at != ' ' && *at != '\t'))) {
            if (*at == '"')
                quoted = !quoted;
            else if (valueUsed + 1 < sizeof(value))
                value[valueUsed++] = *at;
            at++;
        }
        value[valueUsed] = '\0';
        if (TakeWord(value)) {
            taken = 1;
            continue;
        }
        size_t length = (size_t)(at - start);
        if (restUsed + length + 2 > sizeof(rest))
            break;
        if (restUsed)
            rest[restUsed++] = ' ';
        memcpy(rest + restUsed, start, length);
        restUsed += length;
    }
    rest[restUsed] = '\0';
    if (taken)
        lstrcpyA(arguments, rest);
    return taken;
}

/* The text behind the program path as Windows itself ends the path: at its
 * closing double quote, or at the first blank when it is not quoted. */
static char *SkipProgramPathAsWindows(char *commandLine)
{
    char *at = commandLine;
    if (*at == '"') {
        at++;
        while (*at && *at != '"')
            at++;
        if (*at)
            at++;
    } else {
        while (*at && *at != ' ' && *at != '\t')
            at++;
    }
    while (*at == ' ' || *at == '\t')
        at++;
    return at;
}

/* Without the words the start-up's own rule (SkipProgramPath) stays, so
 * that every start of the interactive road reads as it always did. */
char *ReadArgumentText(char *commandLine, int *unattendedWords)
{
    char *arguments = SkipProgramPathAsWindows(commandLine);
    *unattendedWords = ReadUnattendedWords(arguments);
    return *unattendedWords ? arguments : SkipProgramPath(commandLine);
}

/* " WORD" behind the text, in quotes when it holds a blank; 0 when it does
 * not fit. */
static int AppendWord(char *words, size_t size, const char *key, const char *value)
{
    int blank = strchr(value, ' ') != NULL;
    return AppendText(words, size, " ") && AppendText(words, size, key) &&
           (!blank || AppendText(words, size, "\"")) && AppendText(words, size, value) &&
           (!blank || AppendText(words, size, "\""));
}

int ComposeUnattendedWords(char *words, size_t size)
{
    words[0] = '\0';
    return (!silentRun || AppendWord(words, size, "SILENT", "")) &&
           (groupWanted || AppendWord(words, size, "GROUP:NO", "")) &&
           (!givenDirectory[0] || AppendWord(words, size, "DIR:", givenDirectory)) &&
           (!logPath[0] || AppendWord(words, size, "LOG:", logPath));
}

/* The drive the running program was started from, 0 when its path has none. */
char ProgramDrive(void)
{
    char path[260];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    if (length < 2 || length >= sizeof(path) || path[1] != ':')
        return 0;
    return path[0] >= 'a' && path[0] <= 'z' ? (char)(path[0] - 32) : path[0];
}
