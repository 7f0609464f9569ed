/*
 * boxwatch OUTFILE SECONDS [DESKTOP]
 *
 * Answers Vidcheck's message boxes from outside the program for the
 * end-to-end tests: every 50 ms it looks for a dialog box (class #32770)
 * captioned "Réglage", appends one line to OUTFILE and clicks OK by posting
 * the button's command. A line reads
 *     BOX window=present|gone <text, line breaks as |>
 * where window tells whether Vidcheck's main window ("MyMainWindow") still
 * existed when the box was seen. With DESKTOP it works in that desktop (a
 * Wine virtual desktop started with explorer /desktop=DESKTOP,...): window
 * searches only see the desktop of the calling thread.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char boxCaption[] = "Réglage";
static HWND answered[64];
static int answeredCount;
static const char *outName;

static int WasAnswered(HWND box)
{
    for (int i = 0; i < answeredCount; i++)
        if (answered[i] == box)
            return 1;
    return 0;
}

static void RecordBox(HWND box)
{
    char text[2048];
    ZeroMemory(text, sizeof(text));
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text) - 1);
    for (char *c = text; *c; c++)
        if (*c == '\n')
            *c = '|';
        else if (*c == '\r')
            *c = ' ';
    int mainPresent = FindWindowA("MyMainWindow", NULL) != NULL;
    FILE *out = fopen(outName, "ab");
    if (out) {
        fprintf(out, "BOX window=%s %s\n", mainPresent ? "present" : "gone", text);
        fclose(out);
    }
}

static BOOL CALLBACK CheckWindow(HWND window, LPARAM)
{
    char className[64], title[64];
    if (!GetClassNameA(window, className, sizeof(className)) || strcmp(className, "#32770") != 0)
        return TRUE;
    GetWindowTextA(window, title, sizeof(title));
    if (strcmp(title, boxCaption) != 0 || !IsWindowVisible(window) || WasAnswered(window))
        return TRUE;
    RecordBox(window);
    if (answeredCount < 64)
        answered[answeredCount++] = window;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}

/* The virtual desktop exists only once explorer has made it. */
static int JoinDesktop(const char *name, DWORD deadline)
{
    while (GetTickCount() < deadline) {
        HDESK desktop = OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
        if (desktop && SetThreadDesktop(desktop))
            return 1;
        Sleep(50);
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: boxwatch OUTFILE SECONDS [DESKTOP]\n");
        return 2;
    }
    outName = argv[1];
    DWORD deadline = GetTickCount() + (DWORD)atoi(argv[2]) * 1000;
    if (argc > 3 && !JoinDesktop(argv[3], deadline))
        return 1;
    while (GetTickCount() < deadline) {
        EnumWindows(CheckWindow, 0);
        Sleep(50);
    }
    return 0;
}
