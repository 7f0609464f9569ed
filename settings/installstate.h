/*
 * Where the game goes and where the CD is: the state that the settings file,
 * the engine, the shell and the flows all read and set.
 */
#ifndef INSTALLSTATE_H
#define INSTALLSTATE_H

#include "common/general.h"

/* The game directory and the choices of the installation. */
extern char installDirectory[260];   /* ends with a backslash between pages */
extern int directoryMissing;
extern int dosVariant;
extern int minimalInstall;
extern MEMORYSTATUS memoryStatus;    /* filled by the memory check */

/* The CD paths: every one starts with the CD's drive letter, D until set. */
extern char activeListPath[260];      /* the file list the copy engine reads */
extern char dosListPath[260];
extern char cdDataDirectory[260];
extern char cdRoot[260];
extern char backgroundPath[260];      /* VRNBLACK.BMP */
extern char background256Path[260];   /* VRN256.BMP */
extern char directXPath[260];
extern char sourceDriveText[2];       /* the letter alone */
#define sourceDrive (cdDataDirectory[0])
extern char uninstallDrive;           /* the drive the uninstall command line named, 0 without */
extern char recordedDirectory[260];   /* from the install record; empty when none */
/* Points every CD path at the drive letter; with 0, at uninstallDrive, or else
 * at the current directory's drive. */
void SetSourceDrive(char letter);

#endif
