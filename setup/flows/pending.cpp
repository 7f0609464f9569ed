/* Stand-ins so that OUTFIT.EXE links; replaced by the real flows. Each shows
 * nothing and returns 0, which ends the program. */
#include "setup/flows/flows.h"

int RunReconfigureFlow(void) { return 0; }
int RunUninstallFlow(void) { return 0; }
int ShowSystemInformation(void) { return 0; }
