/* The copy pass against a plain copy of the same expanded bytes, in one run:
 * the pass reads the sample CD's file list and containers and expands the
 * chunks, once without a window and once with the program's own full-screen
 * main window and progress display; the plain copy reads the installed files
 * and writes them again in 1 MiB blocks. Rounds interleave the three; each
 * pass is set against the plain copy of its round, and the medians of those
 * ratios are reported.
 *
 *   COPYBENCH.EXE GAMEDIR COPYDIR [ROUNDS]    (the CD in drive D:)
 *   COPYBENCH.EXE GAMEDIR SLOW MS             one pass with the window, MS
 *                                             longer at every step, to watch
 *   COPYBENCH.EXE GAMEDIR FAST                one pass with the window at full
 *                                             speed: the steps drawn, the last screen */
#include "common/general.h"
#include "settings/settings.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

static void RemoveFiles(const std::string &directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveFiles(directory + name + "\\");
        else
            DeleteFileA((directory + name).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static void MakeGameDirectories(const std::string &directory)
{
    CreateDirectoryPath(directory.substr(0, directory.size() - 1).c_str());
    for (int i = 0; i <= 10; i++) {
        char name[8];
        sprintf(name, "G%d", i);
        CreateDirectoryA((directory + name).c_str(), NULL);
    }
}

/* Copies every file under from into the same place under to; the bytes moved. */
static double PlainCopy(const std::string &from, const std::string &to, std::vector<char> &buffer)
{
    double bytes = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA((to + name).c_str(), NULL);
            bytes += PlainCopy(from + name + "\\", to + name + "\\", buffer);
            continue;
        }
        HANDLE in = CreateFileA((from + name).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        HANDLE out = CreateFileA((to + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        DWORD got, put;
        while (ReadFile(in, buffer.data(), (DWORD)buffer.size(), &got, NULL) && got) {
            WriteFile(out, buffer.data(), got, &put, NULL);
            bytes += got;
        }
        CloseHandle(in);
        CloseHandle(out);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return bytes;
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

static double Now(void)
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

static void PumpMessages(void)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

/* The program's main window with its background picture from the CD, and a
 * copy of the grey picture so that every pass starts from grey. */
static HWND window;
static std::vector<BYTE> greyPicture;

static int OpenMainWindow(void)
{
    appInstance = GetModuleHandleA(NULL);
    if (!RegisterMainWindowClass() || !(window = CreateMainWindow(SW_SHOWNORMAL)))
        return 0;
    PumpMessages();
    if (displayedBackground.pixels)
        greyPicture.assign(displayedBackground.pixels, displayedBackground.pixels + displayedBackground.imageSize);
    return 1;
}

/* One pass with the window on, or as without one (no window, no picture);
 * its seconds, or a negative number when it failed. */
static double TimedPass(int withWindow, const std::string &gameDirectory)
{
    RemoveFiles(gameDirectory);
    MakeGameDirectories(gameDirectory);
    BitmapImage primary = primaryBackground, displayed = displayedBackground;
    if (withWindow) {
        if (!greyPicture.empty())
            memcpy(displayedBackground.pixels, greyPicture.data(), greyPicture.size());
        mainWindow = window;
        RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        PumpMessages();
    } else {
        mainWindow = NULL;
        memset(&primaryBackground, 0, sizeof(primaryBackground));
        memset(&displayedBackground, 0, sizeof(displayedBackground));
    }
    double start = Now();
    int copied = CopyListedFiles();
    double seconds = Now() - start;
    primaryBackground = primary;
    displayedBackground = displayed;
    mainWindow = window;
    PumpMessages();
    return copied ? seconds : -1;
}

/* What the screen shows, as 32-bit pixels, once pending output has reached
 * the X server. */
static std::vector<BYTE> ScreenPixels(void)
{
    PumpMessages();
    Sleep(20);
    PumpMessages();
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFOHEADER info = { sizeof(info), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    std::vector<BYTE> pixels((size_t)width * height * 4);
    GetDIBits(memory, bitmap, 0, (UINT)height, pixels.data(), (BITMAPINFO *)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return pixels;
}

/* Whether the screen is what a repaint of the whole window leaves; says
 * where it first differs when not. */
static int LikeAWholeRepaint(const char *when, int step)
{
    std::vector<BYTE> shown = ScreenPixels();
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<BYTE> whole = ScreenPixels();
    if (whole == shown)
        return 1;
    size_t first = 0;
    while (first < whole.size() && whole[first] == shown[first])
        first++;
    int width = GetSystemMetrics(SM_CXSCREEN);
    fprintf(stderr, "%s %d: the screen differs from a whole repaint from (%d, %d) on\n", when, step,
            (int)(first / 4 % width), (int)(first / 4 / width));
    return 0;
}

/* The slowed pass waits at every step, and checks that every step was drawn
 * and left the screen as a repaint of the whole window would; the fast pass
 * only counts the steps drawn and checks the screen the last ones left. The
 * opening of the bar repaints the window without erasing, which draws the
 * text lines over themselves; the first step starts from a clean screen. */
static DWORD stepDelay;
static int stepsSeen, stepsDrawn, stepsDiffering, lastScreenRight;

static void WatchStep(int drawn)
{
    if (drawn == PROGRESS_CLOSING) {
        if (!stepDelay)
            lastScreenRight = LikeAWholeRepaint("after step", stepsSeen - 1);
        return;
    }
    Sleep(stepDelay);
    if (!stepsSeen)
        RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    stepsDrawn += drawn;
    if (stepDelay && !LikeAWholeRepaint("step", stepsSeen))
        stepsDiffering++;
    stepsSeen++;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: COPYBENCH GAMEDIR\\ COPYDIR\\ [ROUNDS] | GAMEDIR\\ SLOW MS | GAMEDIR\\ FAST\n");
        return 2;
    }
    std::string gameDirectory = argv[1], copyDirectory = argv[2];
    int slow = copyDirectory == "SLOW", fast = copyDirectory == "FAST";
    int rounds = argc > 3 ? atoi(argv[3]) : 5;
    if (rounds < 1)
        rounds = 1;
    programCaption = setupCaption;
    InitMemoryBlocks();
    lstrcpyA(activeListPath, dosListPath);
    lstrcpynA(installDirectory, gameDirectory.c_str(), sizeof(installDirectory));
    if (!OpenMainWindow()) {
        fprintf(stderr, "copybench: no main window\n");
        return 1;
    }

    if (slow || fast) {
        stepDelay = slow ? (DWORD)rounds : 0;
        SetProgressHook(WatchStep);
        double seconds = TimedPass(1, gameDirectory);
        int right = slow ? stepsDrawn == stepsSeen && !stepsDiffering : lastScreenRight;
        if (slow)
            printf("slowed pass: %.1f s, %d steps, %d of them drawn, %d left the screen unlike a whole repaint\n",
                   seconds, stepsSeen, stepsDrawn, stepsDiffering);
        else
            printf("fast pass: %.1f s, %d steps, %d of them drawn, the last screen %s a whole repaint\n", seconds,
                   stepsSeen, stepsDrawn, lastScreenRight ? "equal to" : "unlike");
        DestroyWindow(window);
        return seconds < 0 || !right;
    }

    std::vector<char> buffer(1 << 20);
    std::vector<double> passRatios, windowRatios;
    double bytes = 0;
    for (int round = 0; round < rounds; round++) {
        double passSeconds = TimedPass(0, gameDirectory);
        double windowSeconds = TimedPass(1, gameDirectory);
        if (passSeconds < 0 || windowSeconds < 0) {
            fprintf(stderr, "copybench: the copy pass failed\n");
            return 1;
        }
        RemoveFiles(copyDirectory);
        MakeGameDirectories(copyDirectory);
        double start = Now();
        bytes = PlainCopy(gameDirectory, copyDirectory, buffer);
        double plainSeconds = Now() - start;

        passRatios.push_back(plainSeconds / passSeconds);
        windowRatios.push_back(plainSeconds / windowSeconds);
        printf("round %d: %.1f MB expanded, copy pass %.1f MB/s, with window %.1f MB/s, plain copy %.1f MB/s\n",
               round + 1, bytes / 1e6, bytes / passSeconds / 1e6, bytes / windowSeconds / 1e6,
               bytes / plainSeconds / 1e6);
    }
    printf("medians of %d rounds, each pass against the plain copy of its round\n", rounds);
    printf("copy: %.0f%% of plain copy speed\n", 100.0 * Median(passRatios));
    printf("copy with window: %.0f%% of plain copy speed\n", 100.0 * Median(windowRatios));
    DestroyWindow(window);
    return 0;
}
