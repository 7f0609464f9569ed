/* Vidcheck's entry point; the program itself is in vidcheck.cpp. */
#include "vidcheck/vidcheck.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)commandLine;
    return RunVidcheck(instance, previous, show);
}
