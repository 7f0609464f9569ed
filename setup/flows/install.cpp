/* The install flow. */
#include "setup/flows/flows.h"

int dosVariant;
int minimalInstall = 1;
char installDirectory[260];
int directoryMissing;
MEMORYSTATUS memoryStatus;
