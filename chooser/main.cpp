/* CHOOSER.EXE: no window of its own, one dialog or none, one start of
 * Outfitter, and always the exit code 1. */
#include "chooser/chooser.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunChooser(instance, GetCommandLineA());
}
