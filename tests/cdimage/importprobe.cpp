/* Linked as the programs of the CD are, but importing two functions that a
 * Windows 95 as it comes lacks: GetFileAttributesExA (later releases of
 * KERNEL32) and strtok from the C runtime DLL. The import check must name
 * both. Never run. */
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!strtok(commandLine, " "))
        return 1;
    return GetFileAttributesExA(commandLine, GetFileExInfoStandard, &data) ? 0 : 2;
}
