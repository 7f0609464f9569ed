/* The progress display: the bar under the background picture, the percentage
 * beside it, the grey picture turning to colour from the bottom up, and the
 * status line. The main window paints all of it from the state kept here. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "settings/texts.h"
#include <commctrl.h>
#include <string.h>

HWND progressBar;
char percentageText[16];
char timeLeftText[40];
LONG revealedRows;
LONG pictureRows;

enum { PROGRESS_BAR_ID = 1016 };
enum { TIME_LEFT_DELAY = 5000 };   /* ms before the first estimate is worth showing */

static DWORD progressOpened;       /* GetTickCount when the bar opened */
static LONG shownSecondsLeft = -1; /* the estimate on screen; -1 while none */
static ProgressHook progressHook;

ProgressHook SetProgressHook(ProgressHook hook)
{
    ProgressHook previous = progressHook;
    progressHook = hook;
    return previous;
}

/* The areas a step changed, drawn together at its end. */
enum { MAX_STEP_AREAS = 3 };
static RECT stepAreas[MAX_STEP_AREAS];
static int stepErases[MAX_STEP_AREAS];
static int stepAreaCount;

static void MarkChanged(const RECT *area, int erase)
{
    if (stepAreaCount < MAX_STEP_AREAS) {
        stepAreas[stepAreaCount] = *area;
        stepErases[stepAreaCount] = erase;
        stepAreaCount++;
    }
}

static void DrawChangedAreas(void)
{
    for (int i = 0; i < stepAreaCount; i++)
        DrawMainWindowArea(&stepAreas[i], stepErases[i]);
    stepAreaCount = 0;
    if (mainWindow)
        UpdateWindow(mainWindow);
}

static void RepaintMainWindow(const RECT *area, BOOL erase)
{
    if (!mainWindow)
        return;
    InvalidateRect(mainWindow, area, erase);
    UpdateWindow(mainWindow);
}

/* The pass starts over: no row revealed, and the bar's range is the
 * picture's height (0 when no picture could be loaded). */
void ResetProgress(void)
{
    revealedRows = 0;
    stepAreaCount = 0;
    percentageText[0] = '\0';
    timeLeftText[0] = '\0';
    shownSecondsLeft = -1;
    pictureRows = primaryBackground.header ? primaryBackground.header->biHeight : 0;
    if (pictureRows < 0)
        pictureRows = 0;
}

int OpenProgress(void)
{
    int width = ScreenWidth(), height = ScreenHeight();
    progressBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, width / 4, height - 80,
                                  width / 2, 15, mainWindow, (HMENU)(INT_PTR)PROGRESS_BAR_ID,
                                  appInstance, NULL);
    if (!progressBar)
        return 0;
    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, (WORD)pictureRows));
    SendMessageA(progressBar, PBM_SETSTEP, 1, 0);
    percentageText[0] = '\0';
    timeLeftText[0] = '\0';
    shownSecondsLeft = -1;
    progressOpened = GetTickCount();
    RepaintMainWindow(NULL, FALSE);
    return 1;
}

/* Rows of the picture that the bytes copied so far pay for. Floating point:
 * bytes times rows overflows 32 bits on any real CD. Never more than the
 * picture has, even if the copy outruns its announced total. */
static LONG RowsDue(void)
{
    if (bytesTotal <= 0 || pictureRows <= 0)
        return 0;
    double rows = (double)bytesCopied * (double)pictureRows / (double)bytesTotal;
    if (rows <= 0)
        return 0;
    if (rows >= pictureRows)
        return pictureRows;
    return (LONG)rows;
}

/* The percentage box is repainted only when its number changes. */
static void ShowPercentage(void)
{
    double percent = bytesTotal > 0 ? (double)bytesCopied * 100.0 / (double)bytesTotal : 0;
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    char text[sizeof(percentageText)];
    wsprintfA(text, "%d%%", (int)percent);
    if (strcmp(text, percentageText) == 0)
        return;
    CopyText(percentageText, sizeof(percentageText), text);
    int width = ScreenWidth(), height = ScreenHeight();
    RECT box = { 3 * (width / 4) + 8, height - 80, 3 * (width / 4) + 108, height - 62 };
    MarkChanged(&box, 1);
}

/* Seconds left, from the rows done so far and the time they took, once the
 * bar has been open long enough for the rate to mean something. The figure
 * shown only counts down: an estimate that grows replaces it only when it
 * grows by more than a tenth, so that a slow block does not make it jump. */
static void ShowTimeLeft(LONG rows)
{
    DWORD elapsed = GetTickCount() - progressOpened;
    if (elapsed <= TIME_LEFT_DELAY || rows <= 0)
        return;
    double estimate = (double)(pictureRows - rows) * (elapsed / 1000.0) / (double)rows;
    LONG seconds = estimate < 0 ? 0 : (LONG)estimate;
    if (shownSecondsLeft < 0 || seconds < shownSecondsLeft || seconds > shownSecondsLeft * 1.1)
        shownSecondsLeft = seconds;
    char text[sizeof(timeLeftText)];
    wsprintfA(text, "%s%ld:%02ld", Text(TXT_TIME_LEFT), shownSecondsLeft / 60, shownSecondsLeft % 60);
    if (strcmp(text, timeLeftText) == 0)
        return;
    CopyText(timeLeftText, sizeof(timeLeftText), text);
    int width = ScreenWidth(), height = ScreenHeight();
    RECT box = { 0, height - 80, width / 4 - 8, height - 62 };
    MarkChanged(&box, 1);
}

/* Copies rows [from, to) of the colour picture over the grey one and repaints
 * just those rows. Both records come from one file, so they share width,
 * height and depth. Only a 24-bit picture turns to colour. */
static void RevealRows(LONG from, LONG to)
{
    const BITMAPINFOHEADER *header = primaryBackground.header;
    if (!header || header->biBitCount != 24 || !primaryBackground.pixels || !displayedBackground.pixels)
        return;
    if (to > header->biHeight)
        to = header->biHeight;
    LONG rowSize = BitmapRowSize(header->biWidth, 24);
    LONG rowBytes = header->biWidth * 3;
    for (LONG row = to - 1; row >= from; row--)
        memcpy(displayedBackground.pixels + row * rowSize, primaryBackground.pixels + row * rowSize,
               (size_t)rowBytes);
    revealedRows = to;
    /* Row 0 is the bottom row of the picture on screen. */
    LONG left = (ScreenWidth() - header->biWidth) / 2;
    LONG bottom = (ScreenHeight() - header->biHeight) / 2 + header->biHeight;
    RECT rows = { left, bottom - to, left + header->biWidth, bottom - from };
    MarkChanged(&rows, 0);
}

int ProgressStep(void)
{
    LONG rows = RowsDue();
    if (rows > revealedRows) {
        ShowPercentage();
        ShowTimeLeft(rows);
        RevealRows(revealedRows, rows);
        /* What the step changed is drawn at once; the bar repaints itself
         * when its position is set. */
        DrawChangedAreas();
        if (progressBar)
            SendMessageA(progressBar, PBM_SETPOS, (WPARAM)(WORD)rows, 0);
    }
    if (progressHook)
        progressHook();
    return 1;
}

int CloseProgress(void)
{
    if (progressBar)
        DestroyWindow(progressBar);
    progressBar = NULL;
    RepaintMainWindow(NULL, FALSE);
    return 1;
}

void SetStatusText(const char *text)
{
    statusText = text;
    if (!mainWindow)
        return;
    RECT band;
    GetClientRect(mainWindow, &band);
    band.top = ScreenHeight() - 20;
    RepaintMainWindow(&band, TRUE);
}
