/* Started by the relaunch test in place of Outfitter's copy: writes its own
 * command line, as Windows hands it over, into RELAUNCH.TXT beside itself. */
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    char *slash = strrchr(path, '\\');
    if (!length || !slash || (size_t)(slash - path) + 14 > sizeof(path))
        return 1;
    strcpy(slash + 1, "RELAUNCH.TXT");
    const char *line = GetCommandLineA();
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, line, (DWORD)strlen(line), &written, NULL);
    CloseHandle(file);
    return 0;
}
