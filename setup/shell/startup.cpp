/* Outfitter's start-up state and the reading of its command line. */
#include "setup/shell/shell.h"

HINSTANCE appInstance;
int RunMode;
char uninstallDrive;
int installationLocated;
int rebootNeeded;
