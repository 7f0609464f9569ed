/*
 * The page sequences of installation, reconfiguration and uninstallation, the
 * device test pages and the system information page.
 */
#ifndef FLOWS_H
#define FLOWS_H

#include "common/general.h"

/* install.cpp */
extern int dosVariant;
extern int minimalInstall;
extern char installDirectory[260];   /* ends with a backslash between pages */
extern int directoryMissing;
extern MEMORYSTATUS memoryStatus;    /* filled by the memory check */
enum { MINIMAL_INSTALL_KB = 79000 };
int RunInstallFlow(void);
int CheckProcessor(void);
int CheckMemory(void);
int CheckFreeSpace(const char *directory);
int LocationPage(void);

/* devicetests.cpp */
int SoundTest(void);

#endif
