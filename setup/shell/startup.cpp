/* Outfitter's start-up state and the reading of its command line. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include <string.h>

HINSTANCE appInstance;
int RunMode;
int installationLocated;
int rebootNeeded;

/* The arguments behind a quoted program path. The shell quotes the path only
 * when arguments follow (Chooser's WinExec passes a bare path), so with fewer
 * than two quotes the whole line is returned and matches no keyword. */
char *SkipProgramPath(char *commandLine)
{
    size_t length = strlen(commandLine);
    int quotes = 0;
    for (size_t i = 0; i < length; i++) {
        if (commandLine[i] != '"' || ++quotes < 2)
            continue;
        if (i + 2 >= length)
            return commandLine + length;
        return commandLine + i + 2;
    }
    return commandLine;
}

int CheckWindowsVersion(void)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32s) {
        ShowMessageBox(NULL, Text(TXT_WIN32S_REFUSED), setupCaption,
                       MB_ICONERROR);
        return 0;
    }
    return 1;
}

/* The drive letter of FROM:X, the relaunched copy's CD drive; 0 when the
 * colon is missing or nothing follows it. */
static char DriveAfterColon(const char *arguments)
{
    const char *colon = strchr(arguments, ':');
    return colon ? colon[1] : 0;
}

/* MatchKeyword upper-cases the text in place, so every later step (and the
 * drive letters read from it) sees it in upper case. */
void ReadCommandLine(char *arguments)
{
    if (MatchKeyword(arguments, "UNINSTALL")) {
        RunMode = RUN_UNINSTALL;
        if (strlen(arguments) > 11)
            uninstallDrive = arguments[10];
        SetSourceDrive(0);
    } else if (MatchKeyword(arguments, "SYSTEMINFO")) {
        RunMode = RUN_SYSTEMINFO;
        SetSourceDrive(0);
    }
    if (RunMode != RUN_NORMAL)
        return;
    SetSourceDrive(0);
    if (IsRelaunchedCopy(arguments))
        SetSourceDrive(DriveAfterColon(arguments));
}

int IsRelaunchedCopy(char *arguments)
{
    return RunMode == RUN_NORMAL && MatchKeyword(arguments, "FROM");
}
