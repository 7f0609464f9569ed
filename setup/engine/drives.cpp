/* Directories made, and the search for an installed game from Outfitter. */
#include "setup/engine/engine.h"
#include "setup/shell/shell.h"
#include "settings/texts.h"
#include <string.h>

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
