/* The game directory on a POSIX file system, written as Windows would write
 * it: names from the CD in Windows form (backslashes, Windows-1252, any case)
 * land on the existing file or directory of the same name in another case,
 * new names are made in UTF-8, trailing dots and blanks are dropped. Nothing
 * is written outside the directory: every step is taken from an open
 * directory with openat, and a symbolic link on the way is refused, never
 * followed. A file is written beside its final name as .ttpart, synced and
 * only then renamed into place. Two names in a directory that differ only
 * in case are refused, since Windows would take them for one. */
#ifndef GAMEDIR_H
#define GAMEDIR_H

#include <stddef.h>
#include <stdint.h>

/* Opens the game directory, making it and its parents when missing. 1 when
 * it can be written; 0 with the reason. */
int OpenGameDirectory(const char *path, char *reason, size_t reasonSize);
void CloseGameDirectory(void);

/* Makes a directory in the game directory (name in Windows form, such as
 * "G10"); an existing one is as good. */
int MakeGameSubdirectory(const char *name, char *reason, size_t reasonSize);

/* One file being written: its directories are made as needed. Only one at a
 * time. */
int BeginGameFile(const char *name, char *reason, size_t reasonSize);
int WriteGameFile(const unsigned char *bytes, size_t count, char *reason, size_t reasonSize);
/* Puts the whole file in place under its final name. */
int FinishGameFile(char *reason, size_t reasonSize);
/* Syncs the directories the files were renamed into, once at the end. */
int SyncGameDirectory(char *reason, size_t reasonSize);
/* Removes the partial file; the final name keeps whatever it had before. */
void AbandonGameFile(void);
/* The same from a signal handler: only removes the partial file's name. */
void RemovePartialGameFile(void);

/* Whether a name in Windows form can be written here as Windows would write
 * it: none of the characters Windows refuses (* ? " < > |), no component
 * over 255 bytes once in UTF-8. 1 with key, the name as it lands here with
 * ASCII letters folded ('/'-separated), the same for every name that lands
 * on the same file; 0 with the reason. */
int CheckGameName(const char *name, char *key, size_t keySize, char *reason, size_t reasonSize);

/* One character of a name in Windows form as UTF-8: its bytes (up to 3) in
 * to, and their count. */
size_t Windows1252ToUtf8(unsigned char byte, char to[3]);

#endif
