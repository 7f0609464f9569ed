/*
 * Unattended installation and uninstallation (SILENT on the command line):
 * the default road's answers, no page and no box, a log, an end status.
 */
#ifndef SILENT_H
#define SILENT_H

int RunSilentInstall(void);     /* the run's end status, END_DONE when installed */
int RunSilentUninstall(void);   /* the same, END_DONE when uninstalled */
/* Why DIR: cannot name a directory to make (a wildcard, a character that no
 * name holds, a device, a file along the path), as a log line's beginning;
 * NULL when it can. */
const char *RefusedDirectoryText(const char *directory);

#endif
