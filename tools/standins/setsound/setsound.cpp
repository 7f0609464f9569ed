/* SETSOUND.EXE stand-in: the game's DOS sound configuration program is not
 * part of the setup. This one only leaves a trace that it ran: it appends a
 * line to SETSOUND.LOG in its current directory (Outfitter starts it with the
 * game directory as the current directory), naming its command line and the
 * show command it was given (3 = maximised), then ends. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int showCommand)
{
    char line[512];
    char directory[MAX_PATH];
    DWORD got = GetCurrentDirectoryA(sizeof(directory), directory);
    if (!got || got >= sizeof(directory))
        directory[0] = '\0';
    wsprintfA(line, "SETSOUND ran in %.259s show %d args [%.200s]\r\n", directory, showCommand,
              arguments ? arguments : "");
    HANDLE log = CreateFileA("SETSOUND.LOG", FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(log, line, lstrlenA(line), &written, NULL);
    CloseHandle(log);
    return 0;
}
