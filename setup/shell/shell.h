/*
 * Outfitter's shell: start-up and modes, the full-screen main window, the
 * wizard pages and the progress display.
 */
#ifndef SHELL_H
#define SHELL_H

#include "common/general.h"

/* startup.cpp */
enum { RUN_NORMAL = 0, RUN_UNINSTALL = 1, RUN_SYSTEMINFO = 2 };
enum { WM_RUN_INSTALL = WM_USER, WM_RUN_RECONFIGURE = WM_USER + 1, WM_RUN_UNINSTALL = WM_USER + 2 };
extern HINSTANCE appInstance;
extern int RunMode;
extern char uninstallDrive;
extern int installationLocated;
extern int rebootNeeded;

#endif
