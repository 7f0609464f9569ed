/* The CD paths, and the one drive letter that points them at the game CD. */
#include "setup/engine/engine.h"
#include "setup/shell/shell.h"
#include "setup/flows/flows.h"
#include "setup/resources/lang/texts.h"
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

int CreateDirectoryPath(const char *path)
{
    char prefix[260];
    size_t length = strlen(path);
    if (length >= sizeof(prefix))
        return 0;
    for (size_t i = 0; i <= length; i++) {
        if (path[i] != '\\' && path[i] != '\0')
            continue;
        /* The drive root is never made; an empty prefix (a path that does
         * not start with a drive, or no path) cannot be, and fails. */
        if (i > 0 && path[i - 1] == ':')
            continue;
        memcpy(prefix, path, i);
        prefix[i] = '\0';
        if (!FileExists(prefix) && !CreateDirectoryA(prefix, NULL))
            return 0;
    }
    return 1;
}

/* Outfitter's side of the shared search (search.cpp): "Buscando " and the
 * directory on the status line, without the directory's trailing backslash. */
void ShowSearchStatus(const char *directory)
{
    CopyText(searchStatusText, sizeof(searchStatusText), Text(TXT_SEARCHING));
    AppendText(searchStatusText, sizeof(searchStatusText), directory);
    searchStatusText[strlen(searchStatusText) - 1] = '\0';
    SetStatusText(searchStatusText);
}

int SearchDirectoryTree(const char *directory, const char *name)
{
    return FindFileInTree(directory, name, installDirectory);
}

int FindInstalledGame(const char *marker)
{
    if (!FindGameDirectory(recordedDirectory, marker, installDirectory))
        return 0;
    SetStatusText(" ");
    return 1;
}
