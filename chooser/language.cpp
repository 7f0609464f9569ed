/* QVX.INF as Chooser reads it: the LANGUAGE and INSTALLED_FILE lines, with
 * the line syntax compiled from Outfitter's own source, blank lines kept, and
 * Chooser's own messages. */
#include "chooser/chooser.h"
#include "common/general.h"
#include "settings/linesyntax.h"
#include "setup/engine/search.h"

LONG languageNumber = 1;
char markerFile[CHOOSER_PATH];
char *settingsText;
DWORD settingsLength;
const char chooserCaption[] = "Language Selector";

static void ShowChooserError(const char *text)
{
    ShowMessageBox(NULL, text, chooserCaption, MB_ICONERROR);
}

void ReportLongLine(void)
{
    ShowChooserError("Lines in QVX.INF are too big!");
}

void DiscardLanguageSettings(void)
{
    if (settingsText)
        GlobalFree(settingsText);
    settingsText = NULL;
    settingsLength = 0;
}

/* The whole file into one fixed block; 0 after the message of the step that
 * failed. The file is closed and the block freed on every way out. */
static int LoadSettingsFile(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ShowChooserError("Cannot open a file that I need!");
        return 0;
    }
    DWORD size = GetFileSize(file, NULL);
    if (size == 0 || size == INVALID_FILE_SIZE) {
        CloseHandle(file);
        ShowChooserError("Cannot get the size of a file that I need!");
        return 0;
    }
    char *text = (char *)GlobalAlloc(GMEM_FIXED, size);
    if (!text) {
        CloseHandle(file);
        ShowChooserError("Cannot get the memory that I need!");
        return 0;
    }
    DWORD got = 0;
    BOOL read = ReadFile(file, text, size, &got, NULL);
    CloseHandle(file);
    if (!read || got != size) {
        GlobalFree(text);
        ShowChooserError(read ? "Cannot read the amount of data from a file that I need!"
                              : "Cannot open a file that I need!");
        return 0;
    }
    settingsText = text;
    settingsLength = size;
    return 1;
}

int LoadLanguageSettings(const char *directory)
{
    if (settingsText)
        return 1;
    char path[CHOOSER_PATH];
    /* A directory too long for the name cannot hold the file. */
    if (!CopyText(path, sizeof(path), directory) || !AppendText(path, sizeof(path), "QVX.INF")) {
        ShowChooserError("Cannot open a file that I need!");
        return 0;
    }
    if (!LoadSettingsFile(path))
        return 0;
    languageNumber = LookupNumber(settingsText, (long)settingsLength, "LANGUAGE", 0);
    if (!LookupText(settingsText, (long)settingsLength, "INSTALLED_FILE", markerFile, sizeof(markerFile), 0)) {
        ShowChooserError("INSTALLED_FILE parameter missing from QVX.INF!");
        return 0;
    }
    return 1;
}
