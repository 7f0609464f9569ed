/* Stand-in for OPT4W95.EXE, the program that Vidcheck hands over to: it
 * appends its command line to OPT4W95.LOG in its current directory, so that
 * a test can see that (and how often) it was started, and ends. */
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    HANDLE log = CreateFileA("OPT4W95.LOG", GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    SetFilePointer(log, 0, NULL, FILE_END);
    const char *line = GetCommandLineA();
    DWORD written;
    WriteFile(log, line, (DWORD)strlen(line), &written, NULL);
    WriteFile(log, "\r\n", 2, &written, NULL);
    CloseHandle(log);
    return 0;
}
