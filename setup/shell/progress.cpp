/* The progress display: the bar under the background picture, the percentage
 * beside it, the grey picture turning to colour from the bottom up, and the
 * status line. The main window paints all of it from the state kept here. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include <commctrl.h>
#include <string.h>

HWND progressBar;
char percentageText[16];
LONG revealedRows;
LONG pictureRows;

enum { PROGRESS_BAR_ID = 1016 };

static int ScreenWidth(void) { return GetSystemMetrics(SM_CXSCREEN); }
static int ScreenHeight(void) { return GetSystemMetrics(SM_CYSCREEN); }

/* InvalidateRect with a null window would repaint every window on the
 * desktop; before the main window exists there is nothing to repaint. */
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
    percentageText[0] = '\0';
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

static void ShowPercentage(void)
{
    double percent = bytesTotal > 0 ? (double)bytesCopied * 100.0 / (double)bytesTotal : 0;
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    wsprintfA(percentageText, "%d%%", (int)percent);
    int width = ScreenWidth(), height = ScreenHeight();
    RECT box = { 3 * (width / 4) + 8, height - 80, 3 * (width / 4) + 108, height - 62 };
    RepaintMainWindow(&box, TRUE);
}

/* Copies rows [from, to) of the colour picture over the grey one. Both records
 * come from one file, so they share width, height and depth. */
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
}

static void RepaintPicture(void)
{
    const BITMAPINFOHEADER *header = displayedBackground.header;
    if (!header)
        return;
    LONG left = (ScreenWidth() - header->biWidth) / 2;
    LONG top = (ScreenHeight() - header->biHeight) / 2;
    RECT picture = { left, top, left + header->biWidth, top + header->biHeight };
    RepaintMainWindow(&picture, FALSE);
}

int ProgressStep(void)
{
    LONG rows = RowsDue();
    if (rows > revealedRows) {
        ShowPercentage();
        if (progressBar)
            SendMessageA(progressBar, PBM_SETPOS, (WPARAM)(WORD)rows, 0);
        RevealRows(revealedRows, rows);
    }
    RepaintPicture();
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
