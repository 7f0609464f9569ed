/*
 * The page sequences of installation, reconfiguration and uninstallation, the
 * device test pages and the system information page.
 */
#ifndef FLOWS_H
#define FLOWS_H

#include "common/general.h"
#include "settings/installstate.h"

/* install.cpp (the game directory and the choices it sets are in
 * settings/installstate.h) */
enum { MINIMAL_INSTALL_KB = 79000 };
int RunInstallFlow(void);
int CheckProcessor(void);
int CheckMemory(void);
int CheckFreeSpace(const char *directory);
int LocationPage(void);
/* The decisions of the checks and of the location page, apart from the
 * system calls that feed them. */
int ProcessorIsSuitable(WORD architecture, DWORD processorType);
int MemoryIsEnough(SIZE_T totalBytes, DWORD minimumKb);
ULONGLONG FreeKilobytes(DWORD freeClusters, DWORD sectorsPerCluster, DWORD bytesPerSector);
int FreeSpaceIsEnough(DWORD freeClusters, DWORD sectorsPerCluster, DWORD bytesPerSector);
int CheckLocationText(char *directory);      /* drops a trailing backslash; 0 after a box */
int PrepareInstallDirectory(const char *directory);
int AcceptLocation(void);                    /* Next on the location page, on installDirectory */
void ProposeLocation(char *text, int capacity);
int RunInstallPages(void);                   /* sound test, program group, final page */

/* devicetests.cpp */
int SoundTest(void);

/* reconfigure.cpp */
int RunReconfigureFlow(void);
int RunReconfigurePages(void);               /* sound test up to the final page, by variant */
int OfferReinstall(void);                    /* installation not found: 1 after posting WM_RUN_INSTALL */

/* uninstall.cpp */
int RunUninstallFlow(void);
int HoldsInstalledGame(const char *directory);   /* the marker file or QVX.INF is in it */

/* sysinfo.cpp */
int ShowSystemInformation(void);
INT_PTR CALLBACK SystemInformationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD PhysicalMemoryKb(SIZE_T totalBytes);

/* cdmusictest.cpp */
int CdMusicTest(void);                        /* 1003 for Back on its first page, else 1 */
int TrackFromInterim(const char *value);      /* n + 1 from the digits of value, as one byte */
int CdTestTrack(void);                        /* from INTERIM; 3 without it */

/* The box for a file list or index of the CD that cannot be read (uninstall.cpp). */
void ReportUnreadableLists(const char *failedPath);

#endif
