/*
 * The file installation engine: CD paths and the search for an installed game,
 * file lists and containers, copying, LZSS decoding, deletion.
 */
#ifndef ENGINE_H
#define ENGINE_H

#include "common/general.h"

/* drives.cpp: every CD path starts with the CD's drive letter, D until set. */
extern char activeListPath[260];      /* the file list the copy engine reads */
extern char dosListPath[260];
extern char cdDataDirectory[260];
extern char cdRoot[260];
extern char backgroundPath[260];      /* VRNBLACK.BMP */
extern char background256Path[260];   /* VRN256.BMP */
extern char directXPath[260];
extern char sourceDriveText[2];       /* the letter alone */
extern char recordedDirectory[260];   /* from the install record; empty when none */
#define sourceDrive (cdDataDirectory[0])
void SetSourceDrive(char letter);

#endif
