/*
 * The shared runtime library of Outfitter and Vidcheck: memory blocks with an
 * end-of-run sweep, file operations that report their own failures, the one
 * door for message boxes, registry and cursor helpers, bitmaps with palettes.
 */
#ifndef GENERAL_H
#define GENERAL_H

#include <windows.h>

/* memory.cpp */
enum { gcMemoryBlocks = 256 };
extern void *memoryBlocks[gcMemoryBlocks];   /* recorded blocks; null = free slot */
int InitMemoryBlocks(void);
int FreeAllMemoryBlocks(void);
void *AllocateMemory(LONG size, int record);
void *FreeMemory(void *block);

/* errors.cpp */
extern HWND mainWindow;               /* owner of error boxes; 0 before the program has one */
extern const char *programCaption;    /* caption of the library's boxes */
extern int ShowErrorBoxes;            /* 0 while an optional file is probed */
void ShowError(const char *message);

/* fileio.cpp */
void ShowFileError(const char *failure, const char *name);
HANDLE OpenFileForRead(const char *name);
HANDLE CreateFileForWrite(const char *name);
HANDLE *CloseFile(HANDLE *file);
int ReadFromFile(HANDLE file, void *buffer, DWORD count);
int WriteToFile(HANDLE file, const void *data, DWORD count);
DWORD GetSizeOfFile(HANDLE file);
int ReplaceWithNewFile(const char *newPath, const char *path, const char *asidePath);

/* msgbox.cpp: every message box of every program goes through here, so that
 * tests can record what was shown and script the answers. */
typedef int (*MessageBoxHook)(HWND owner, const char *text, const char *caption, UINT style);
int ShowMessageBox(HWND owner, const char *text, const char *caption, UINT style);
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

/* unattended.cpp: a run without a person (Outfitter's SILENT). The door
 * answers its boxes, logging them; the run ends with one of these statuses,
 * the first failure noted deciding it. */
enum { END_DONE = 0, END_FAILED = 1, END_REFUSED_MACHINE = 2, END_REFUSED_SPACE = 3, END_REFUSED_PATH = 4,
       END_DAMAGED_CD = 5, END_WRITE_FAILED = 6, END_CANCELLED = 7 };
extern int unattendedRun;
extern int runStatus;                 /* the first failure noted; END_DONE while none */
int OpenRunLog(const char *path, int append);
void CloseRunLog(void);
void LogText(const char *first, const char *second);
void LogNumber(const char *first, long number, const char *second);
void LogFileLines(const char *prefix, const char *path);
void NoteRunFailure(int status);
const char *RunStatusText(int status);
void LogBox(const char *text, const char *caption);
int UnattendedAnswer(const char *text, const char *caption, UINT style);

/* system.cpp */
HCURSOR SetWaitCursor(void);
HCURSOR SetArrowCursor(void);
int ReadRegistryValue(HKEY root, const char *subkey, const char *name, void *buffer, DWORD size);
int WriteRegistryString(HKEY root, const char *subkey, const char *name, const char *text, DWORD count);

/* bitmap.cpp: a device-independent bitmap kept in one memory block */
struct BitmapImage {
    BITMAPINFOHEADER *header;   /* start of the block */
    RGBQUAD *colours;           /* block + 40 */
    BYTE *pixels;               /* bottom row first */
    LONG imageSize;
    LONG colourCount;
    HPALETTE palette;
};
LONG BitmapColourCount(const BITMAPINFOHEADER *header);
LONG BitmapColourTableSize(const BITMAPINFOHEADER *header, LONG colourCount);
LONG BitmapRowSize(LONG width, int bitsPerPixel);
HPALETTE CreateColourTablePalette(const RGBQUAD *colours, LONG count);
int LoadBitmapFile(const char *name, BitmapImage *image);

#endif
