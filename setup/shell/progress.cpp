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
enum { TIME_LEFT_DELAY = 2000 };   /* ms before the first estimate is worth showing */

static DWORD progressOpened;       /* GetTickCount when the bar opened */
static LONG shownSecondsLeft = -1; /* the estimate on screen; -1 while none */
static int loggedMark;             /* marks of the copy whose time left is in the run's log */
static ProgressHook progressHook;
static void StartRateSamples(void);

ProgressHook SetProgressHook(ProgressHook hook)
{
    ProgressHook previous = progressHook;
    progressHook = hook;
    return previous;
}

/* What the steps changed since the screen was last drawn: the percentage
 * box, the time-left box, the revealed rows and the status line, each kept
 * as one rectangle that grows over folded steps, and the bar position not
 * yet sent. */
enum { AREA_PERCENTAGE, AREA_TIME_LEFT, AREA_ROWS, AREA_STATUS, AREA_KINDS };
static const int areaErases[AREA_KINDS] = { 1, 1, 0, 1 };
static RECT changedAreas[AREA_KINDS];
static int areaChanged[AREA_KINDS];
static LONG barRows, shownBarRows;
static DWORD lastDrawn;            /* GetTickCount when a step last drew the screen */

static void MarkChanged(int kind, const RECT *area)
{
    if (areaChanged[kind]) {
        RECT both;
        UnionRect(&both, &changedAreas[kind], area);
        changedAreas[kind] = both;
    } else {
        changedAreas[kind] = *area;
        areaChanged[kind] = 1;
    }
}

static int DrawingPending(void)
{
    for (int i = 0; i < AREA_KINDS; i++)
        if (areaChanged[i])
            return 1;
    return barRows != shownBarRows;
}

static void ForgetChanges(void)
{
    for (int i = 0; i < AREA_KINDS; i++)
        areaChanged[i] = 0;
    barRows = shownBarRows = 0;
    /* The first step of a pass is drawn whenever it comes. */
    lastDrawn = GetTickCount() - PROGRESS_PACE;
}

/* Everything changed since the last drawing, at once; the bar repaints
 * itself when its position is set. */
static void DrawChanges(void)
{
    for (int i = 0; i < AREA_KINDS; i++)
        if (areaChanged[i]) {
            DrawMainWindowArea(&changedAreas[i], areaErases[i]);
            areaChanged[i] = 0;
        }
    if (mainWindow)
        UpdateWindow(mainWindow);
    if (progressBar && barRows != shownBarRows)
        SendMessageA(progressBar, PBM_SETPOS, (WPARAM)(WORD)barRows, 0);
    shownBarRows = barRows;
    lastDrawn = GetTickCount();
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
    ForgetChanges();
    percentageText[0] = '\0';
    timeLeftText[0] = '\0';
    shownSecondsLeft = -1;
    pictureRows = primaryBackground.header ? primaryBackground.header->biHeight : 0;
    if (pictureRows < 0)
        pictureRows = 0;
}

/* An unattended run has no main window, and so no bar: a child window
 * without a parent would stand alone on the desktop. The figures count all
 * the same. */
int OpenProgress(void)
{
    /* The time left counts from here, bar or no bar. */
    progressOpened = GetTickCount();
    loggedMark = 0;
    StartRateSamples();
    if (mainWindow) {
        int width = ScreenWidth(), height = ScreenHeight();
        progressBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, width / 4, height - 80,
                                      width / 2, 15, mainWindow, (HMENU)(INT_PTR)PROGRESS_BAR_ID,
                                      appInstance, NULL);
        if (!progressBar)
            return 0;
        SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, (WORD)pictureRows));
        SendMessageA(progressBar, PBM_SETSTEP, 1, 0);
    }
    percentageText[0] = '\0';
    timeLeftText[0] = '\0';
    shownSecondsLeft = -1;
    ForgetChanges();
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
    MarkChanged(AREA_PERCENTAGE, &box);
}

/* Samples of the pass, (ms since the bar opened, bytes copied), spread over
 * all of it: when the table is full every other sample goes and the spacing
 * doubles, so a pass of an hour keeps as many as one of ten seconds. */
enum { RATE_SAMPLES = 32 };
static DWORD sampleTime[RATE_SAMPLES];
static LONG sampleBytes[RATE_SAMPLES];
static int samples;
static DWORD sampleSpacing;

static void StartRateSamples(void)
{
    sampleTime[0] = 0;
    sampleBytes[0] = 0;
    samples = 1;
    sampleSpacing = 50;
}

static void NoteRateSample(DWORD elapsed)
{
    if (!samples)
        StartRateSamples();
    if (elapsed - sampleTime[samples - 1] < sampleSpacing)
        return;
    if (samples == RATE_SAMPLES) {
        for (int i = 0; i < RATE_SAMPLES / 2; i++) {
            sampleTime[i] = sampleTime[2 * i];
            sampleBytes[i] = sampleBytes[2 * i];
        }
        samples = RATE_SAMPLES / 2;
        sampleSpacing *= 2;
    }
    sampleTime[samples] = elapsed;
    sampleBytes[samples++] = bytesCopied;
}

/* Seconds left, once the bar has been open long enough for the rate to mean
 * something: the bytes still to copy at the rate of the later half of the
 * time so far. The start of a copy (small files, each a seek of the CD
 * drive) says little about the rest of it. The figure shown only counts
 * down: an estimate that grows replaces it only when it grows by more than
 * a tenth, so that a slow block does not make it jump. */
static void ShowTimeLeft(void)
{
    DWORD elapsed = GetTickCount() - progressOpened;
    if (elapsed <= TIME_LEFT_DELAY || bytesCopied <= 0 || bytesTotal <= 0)
        return;
    int from = 0;
    while (from + 1 < samples && sampleTime[from + 1] <= elapsed / 2)
        from++;
    LONG bytes = bytesCopied - sampleBytes[from];
    DWORD time = elapsed - sampleTime[from];
    if (bytes <= 0 || time == 0) {
        bytes = bytesCopied;
        time = elapsed;
    }
    double estimate = (double)(bytesTotal - bytesCopied) * (time / 1000.0) / (double)bytes;
    LONG seconds = estimate < 0 ? 0 : (LONG)(estimate + 0.5);
    if (shownSecondsLeft < 0 || seconds < shownSecondsLeft || seconds > shownSecondsLeft * 1.1)
        shownSecondsLeft = seconds;
    char text[sizeof(timeLeftText)];
    wsprintfA(text, "%s%ld:%02ld", Text(TXT_TIME_LEFT), shownSecondsLeft / 60, shownSecondsLeft % 60);
    if (strcmp(text, timeLeftText) == 0)
        return;
    CopyText(timeLeftText, sizeof(timeLeftText), text);
    int width = ScreenWidth(), height = ScreenHeight();
    RECT box = { 0, height - 80, width / 4 - 8, height - 62 };
    MarkChanged(AREA_TIME_LEFT, &box);
}

/* The run's log has the time left as shown at each tenth of the copy and at
 * its quarters, with the time since the copy began, so that it can be held
 * to the time that really remained (CloseProgress logs when it ended). */
static void LogTimeLeft(void)
{
    static const int marks[] = { 10, 20, 25, 30, 40, 50, 60, 70, 75, 80, 90 };
    enum { MARKS = sizeof(marks) / sizeof(marks[0]) };
    if (bytesTotal <= 0)
        return;
    double percent = (double)bytesCopied * 100.0 / (double)bytesTotal;
    while (loggedMark < MARKS && percent >= marks[loggedMark]) {
        char text[120];
        ShowTimeLeft();
        DWORD elapsed = GetTickCount() - progressOpened;
        if (shownSecondsLeft < 0)
            wsprintfA(text, "time left at %d%%: none shown, after %lu ms", marks[loggedMark], elapsed);
        else
            wsprintfA(text, "time left at %d%%: %ld:%02ld, after %lu ms", marks[loggedMark],
                      shownSecondsLeft / 60, shownSecondsLeft % 60, elapsed);
        LogText(text, NULL);
        loggedMark++;
    }
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
    MarkChanged(AREA_ROWS, &rows);
}

/* A screen shows no more than its refresh rate, and nobody sees a bar drawn
 * 50 times a second differ from one drawn at every step; drawing at every
 * step of a fast copy costs more than the copy. So a step that comes less
 * than PROGRESS_PACE ms after the last drawing only notes what it changed,
 * and the next step that is drawn draws all of it. The last step (all bytes
 * copied) is always drawn, and CloseProgress draws what is left. A slow
 * source, whose steps are further apart, has every step drawn. */
int ProgressStep(void)
{
    NoteRateSample(GetTickCount() - progressOpened);
    LONG rows = RowsDue();
    if (rows > revealedRows) {
        ShowPercentage();
        ShowTimeLeft();
        RevealRows(revealedRows, rows);
        barRows = rows;
    }
    LogTimeLeft();
    if (DrawingPending() && (bytesCopied >= bytesTotal || GetTickCount() - lastDrawn >= PROGRESS_PACE))
        DrawChanges();
    if (progressHook)
        progressHook(!DrawingPending());
    return 1;
}

int CloseProgress(void)
{
    LogNumber("copy ended after ", (long)(GetTickCount() - progressOpened), " ms");
    if (DrawingPending())
        DrawChanges();
    if (progressHook)
        progressHook(PROGRESS_CLOSING);
    if (progressBar)
        DestroyWindow(progressBar);
    progressBar = NULL;
    RepaintMainWindow(NULL, FALSE);
    return 1;
}

/* While the progress display is open the status line keeps the pace of the
 * steps: a new file named less than PROGRESS_PACE ms after a step was last
 * drawn is drawn with the next step that is. Drawing it does not count as a
 * step's drawing, so the step after it is judged by the pace alone. */
void SetStatusText(const char *text)
{
    statusText = text;
    if (!mainWindow)
        return;
    RECT band;
    GetClientRect(mainWindow, &band);
    band.top = ScreenHeight() - 20;
    if (!progressBar) {
        RepaintMainWindow(&band, TRUE);
        return;
    }
    MarkChanged(AREA_STATUS, &band);
    if (GetTickCount() - lastDrawn >= PROGRESS_PACE) {
        DWORD stepDrawn = lastDrawn;
        DrawChanges();
        lastDrawn = stepDrawn;
    }
}
