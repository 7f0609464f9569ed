/*
 * Windows integration: the install records in the registry, the program group
 * over DDE, DirectX installation and the relaunch from the temporary directory.
 */
#ifndef INTEGRATION_H
#define INTEGRATION_H

#include "common/general.h"

/* records.cpp */
extern const char publisherKey[];     /* SOFTWARE\Vornhollow Entertainment */
extern const char uninstallKey[];
extern const char gameTitle[];        /* "Tinfoil Tango" */
void WriteInstallRecords(void);
int ReadInstallRecord(void);
void DeleteInstallRecords(void);

/* progman.cpp */
int ProgramGroupPage(void);
int DeleteProgramGroup(void);
int OpenProgramManager(void);
int CloseProgramManager(void);
int SendProgramManagerCommand(const char *command);
int AddGroupItem(const char *text, const char *name, const char *icon, int prefixKind);
int CreateProgramGroup(void);         /* the group and its five items; the page's "Siguiente >" */

/* relaunch.cpp */
int RelaunchFromTemp(void);
/* The same with the words of an unattended run or a log behind FROM:; with
 * status, the copy is waited for and its exit code put there. 1 when the
 * copy was started. */
int RelaunchFromTempWith(const char *words, DWORD *status);
int CopyToTemp(const char *name, const char *temp, int fromLanguageDirectory);
int ScheduleTempCleanup(void);

#endif
