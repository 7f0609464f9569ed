/*
 * The file installation engine: CD paths and the search for an installed game,
 * file lists and containers, copying, LZSS decoding, deletion.
 */
#ifndef ENGINE_H
#define ENGINE_H

#include "common/general.h"
#include "settings/installstate.h"
#include "setup/engine/search.h"
#include "setup/engine/copyrules.h"   /* EntryDestination, TRANSFER_SIZE */

/* drives.cpp (the CD paths themselves are in settings/installstate.h) */
extern char searchStatusText[256];    /* status line of the search and the copy */
int CreateDirectoryPath(const char *path);
/* The shared search (search.h) with installDirectory as the found directory
 * and the "Buscando" text on the status line, blanked after a find. */
int SearchDirectoryTree(const char *directory, const char *name);
int FindInstalledGame(const char *marker);

/* copylist.cpp */
extern LONG bytesTotal;
extern LONG bytesCopied;
int CopyListedFiles(void);
LONG TotalListedSize(const char *list, DWORD size);
int ParseListLine(const char *text, long remaining, char *source, char *destination);
int IsFileIncluded(const char *source);
int CopyListedFile(const char *source, char *destination);   /* inside CopyListedFiles, which holds the buffers */
int CopyFileData(BYTE *input, BYTE *output, HANDLE source, const char *sourcePath,
                 const char *destination, DWORD size);
/* Every file that the list at listPath writes into the game directory, read
 * as the copy pass reads it but on every line, whatever the minimal filter:
 * each plain file's destination and each entry of each container (from its
 * index alone), relative to the game directory. Shows nothing: a file that
 * cannot be read or is damaged ends the walk with 0 and its path in
 * failedPath (260 bytes), as does a visit that answers 0. */
typedef int (*ListedFileVisit)(void *context, const char *destination);
int ForEachListedFile(const char *listPath, ListedFileVisit visit, void *context, char *failedPath);

/* deletetree.cpp: the uninstallation deletes only what the CD's file lists
 * (both of them, every line) and their containers install, and QVX.INF.
 * ReadInstalledNames reads them from the CD data directory; 0 with the path
 * of the unreadable or damaged file in failedPath (260 bytes), and nothing is
 * known, so nothing will be deleted. */
int ReadInstalledNames(char *failedPath);
void ForgetInstalledNames(void);
int DeleteInstalledFiles(void);
int RemoveInstalledDirectories(void);

#endif
