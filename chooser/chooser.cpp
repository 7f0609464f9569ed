/* Chooser's run from top to bottom: the command line, the install record,
 * then either the language question or the silent look-up of the installed
 * game's language, and one start of Outfitter from \DATA1\ of the current
 * drive, which is the CD when its autorun entry started us. */
#include "chooser/chooser.h"
#include "common/general.h"
#include "setup/engine/search.h"
#include <string.h>

static const char cdDataPath[] = "\\DATA1\\";

/* Index 1-7; anything else starts the English Outfitter (see LaunchEntry). */
static const char *const launchTable[8] = {
    "", "ENGLISH\\OUTFIT.EXE", "FRENCH\\OUTFIT.EXE", "GERMAN\\OUTFIT.EXE", "ITALIAN\\OUTFIT.EXE",
    "GREEK\\OUTFIT.EXE", "SPANISH\\OUTFIT.EXE", "JAPANESE\\OUTFIT.EXE"
};

/* The search runs without a status line: Chooser has no window to show it in. */
void ShowSearchStatus(const char *)
{
}

/* The text after the first space; empty when that space is one of the last
 * two characters; the whole line when there is no space. */
const char *ChooserArgument(const char *commandLine)
{
    const char *space = strchr(commandLine, ' ');
    if (!space)
        return commandLine;
    size_t length = strlen(commandLine);
    if ((size_t)(space - commandLine) + 2 >= length)
        return commandLine + length;
    return space + 1;
}

int IsAutorunArgument(const char *argument)
{
    return strcmp(argument, "AUTORUN") == 0;
}

/* A value of 260 bytes without its terminator is cut to 259 characters
 * rather than read past the buffer. */
int ReadGameRecord(char *directory)
{
    directory[0] = '\0';
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vornhollow Entertainment", "Tinfoil Tango", directory,
                           CHOOSER_PATH)) {
        directory[0] = '\0';
        return 0;
    }
    directory[CHOOSER_PATH - 1] = '\0';
    return 1;
}

/* A LANGUAGE value outside the table (a 0 from a LANGUAGE line without a
 * field among them) falls back on English instead of reading past it. */
const char *LaunchEntry(LONG language)
{
    if (language < 1 || language > 7)
        language = 1;
    return launchTable[language];
}

int LaunchSetup(LONG language)
{
    char command[CHOOSER_PATH];
    CopyText(command, sizeof(command), cdDataPath);
    AppendText(command, sizeof(command), LaunchEntry(language));
    if (WinExec(command, SW_SHOWNORMAL) > 31)
        return 1;
    ShowMessageBox(NULL, "Could not find the Setup program for your language!", "Setup", MB_ICONERROR);
    return 0;
}

/* The language of the installed QVX.INF; the CD's copy gives the marker file
 * to search for. Every failure ends in English. */
LONG LookUpInstalledLanguage(const char *recorded)
{
    if (!LoadLanguageSettings(cdDataPath))
        markerFile[0] = '\0';
    DiscardLanguageSettings();

    char found[CHOOSER_PATH];
    /* An empty marker is in no directory; spare the walk over the disks. */
    if (markerFile[0] && FindGameDirectory(recorded, markerFile, found)) {
        LoadLanguageSettings(found);
        DiscardLanguageSettings();
    } else {
        languageNumber = 1;
    }
    if (languageNumber == -1)
        languageNumber = 1;
    return languageNumber;
}

int RunChooser(HINSTANCE instance, const char *commandLine)
{
    const char *argument = ChooserArgument(commandLine);
    char recorded[CHOOSER_PATH];
    if (!ReadGameRecord(recorded)) {
        if (ChooseLanguage(instance) == IDOK)
            LaunchSetup(languageNumber);
        return 1;
    }
    if (IsAutorunArgument(argument))
        return 1;
    SetWaitCursor();
    LookUpInstalledLanguage(recorded);
    SetArrowCursor();
    LaunchSetup(languageNumber);
    return 1;
}
