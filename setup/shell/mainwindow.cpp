/* The full-screen main window: background picture, notice and status lines,
 * the frame of the progress bar. It owns every page and message box, and the
 * flows run inside its handling of the messages posted at start. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/resources/resource.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include <commctrl.h>
#include <string.h>

int lowColour;
HFONT titleFont;
HFONT textFont;
const char *statusText = " ";
BitmapImage primaryBackground;
BitmapImage displayedBackground;

static FlowHandler flowHandler;

/* The screen's size, kept while the main window exists: under Wine every
 * GetSystemMetrics call for it refreshes the display settings, which costs
 * about 0.1 ms, and the progress display needs it at every step. The main
 * window hears of a new display mode (WM_DISPLAYCHANGE). */
static int screenWidth, screenHeight;

int ScreenWidth(void)
{
    return screenWidth ? screenWidth : GetSystemMetrics(SM_CXSCREEN);
}

int ScreenHeight(void)
{
    return screenHeight ? screenHeight : GetSystemMetrics(SM_CYSCREEN);
}

static const char mainClassName[] = "MyMainWindow";

void SetFlowHandler(FlowHandler handler)
{
    flowHandler = handler;
}

int RegisterMainWindowClass(void)
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof(windowClass));
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_OUTFIT));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszMenuName = "MyMainMenu";
    windowClass.lpszClassName = mainClassName;
    return RegisterClassA(&windowClass) != 0;
}

HWND CreateMainWindow(int showCommand)
{
    HWND window = CreateWindowExA(0, mainClassName, setupCaption, WS_POPUP, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  NULL, NULL, appInstance, NULL);
    if (!window)
        return NULL;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

static HFONT CreateSetupFont(int height)
{
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    font.lfHeight = height;
    font.lfWeight = FW_BOLD;
    font.lfOutPrecision = 3;
    font.lfClipPrecision = 2;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfCharSet = ANSI_CHARSET;
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

static void DeleteFonts(void)
{
    if (titleFont)
        DeleteObject(titleFont);
    if (textFont)
        DeleteObject(textFont);
    titleFont = textFont = NULL;
}

void FreeBackground(BitmapImage *image)
{
    if (image->palette)
        DeleteObject(image->palette);
    FreeMemory(image->header);
    memset(image, 0, sizeof(*image));
}

static void CreateMainWindowContents(HWND window)
{
    /* Boxes shown while the window is being created (a palette that cannot
     * be made) already need their owner. */
    mainWindow = window;
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(window);
    lowColour = GetDeviceCaps(screen, BITSPIXEL) < 15;
    ReleaseDC(window, screen);

    DeleteFonts();
    titleFont = CreateSetupFont(24);
    textFont = CreateSetupFont(12);

    /* Without its picture the window stays black; the wizard works as well. */
    if (!LoadBitmapPair(lowColour ? background256Path : backgroundPath, &primaryBackground,
                        &displayedBackground)) {
        FreeBackground(&primaryBackground);
        FreeBackground(&displayedBackground);
    }
    InitCommonControls();
}

/* Only the rows of the picture that the repainted area crosses are handed to
 * GDI, as a picture of their own: SetDIBitsToDevice converts every row it is
 * given, clipped or not, and the progress display repaints a few rows at a
 * time. Row 0 of the bottom-up picture is its bottom row on screen. */
static void PaintBackground(HDC dc, int width, int height, const RECT *area)
{
    const BITMAPINFOHEADER *header = displayedBackground.header;
    HPALETTE previous = NULL;
    if (displayedBackground.palette) {
        previous = SelectPalette(dc, displayedBackground.palette, FALSE);
        RealizePalette(dc);
    }
    if (header && displayedBackground.pixels) {
        int left = (width - header->biWidth) / 2, top = (height - header->biHeight) / 2;
        int first = top + header->biHeight - area->bottom;   /* lowest row crossed */
        int last = top + header->biHeight - area->top;       /* one above the highest */
        if (first < 0)
            first = 0;
        if (last > header->biHeight)
            last = header->biHeight;
        if (first < last) {
            struct {
                BITMAPINFOHEADER header;
                RGBQUAD colours[256];
            } band;
            memset(&band, 0, sizeof(band));
            memcpy(&band.header, header, sizeof(BITMAPINFOHEADER));
            band.header.biHeight = last - first;
            band.header.biSizeImage = 0;
            /* The loaded colour table goes with the band; deeper pictures
             * draw without theirs, which only lists suggested colours. */
            LONG colours = displayedBackground.colourCount;
            if (header->biBitCount > 8 || colours < 0 || colours > 256 || !displayedBackground.colours)
                colours = 0;
            if (colours)
                memcpy(band.colours, displayedBackground.colours, (size_t)colours * sizeof(RGBQUAD));
            band.header.biClrUsed = (DWORD)colours;
            band.header.biClrImportant = 0;
            /* Only the columns the area crosses, too. */
            int from = area->left > left ? area->left : left;
            int to = area->right < left + header->biWidth ? area->right : left + header->biWidth;
            LONG rowSize = BitmapRowSize(header->biWidth, header->biBitCount);
            if (from < to)
                SetDIBitsToDevice(dc, from, top + header->biHeight - last, (DWORD)(to - from),
                                  (DWORD)(last - first), from - left, 0, 0, (UINT)(last - first),
                                  displayedBackground.pixels + (LONG)first * rowSize,
                                  (const BITMAPINFO *)&band, DIB_RGB_COLORS);
        }
    }
    if (previous)
        SelectPalette(dc, previous, FALSE);
}

/* Text costs a glyph run even where the clip hides all of it: each piece is
 * drawn only where the area being painted crosses its rectangle. */
static int Crosses(const RECT *area, const RECT *piece)
{
    RECT common;
    return IntersectRect(&common, area, piece);
}

static void PaintTextLines(HDC dc, const RECT *client, int height, const RECT *area)
{
    HGDIOBJ previous = SelectObject(dc, textFont);
    SetBkMode(dc, TRANSPARENT);
    RECT line = *client;
    line.top = height - 47;
    SetTextColor(dc, RGB(200, 200, 150));
    if (Crosses(area, &line))
        DrawTextA(dc, Text(TXT_COPYRIGHT_NOTICE), -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    line.top = height - 20;
    SetTextColor(dc, RGB(200, 200, 200));
    if (Crosses(area, &line))
        DrawTextA(dc, statusText ? statusText : " ", -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}

static void PaintProgressBand(HDC dc, int width, int height, const RECT *area)
{
    RECT frame;
    frame.top = height - 83;
    frame.bottom = height - 62;
    frame.left = width / 4 - 3;
    frame.right = frame.left + width / 2 + 6;
    if (!progressBar) {
        RECT band = { 0, frame.top, width, frame.bottom };
        FillRect(dc, &band, (HBRUSH)GetStockObject(BLACK_BRUSH));
        return;
    }
    if (Crosses(area, &frame))
        DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    HGDIOBJ previous = SelectObject(dc, textFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(200, 200, 200));
    RECT box = { frame.right + 5, frame.top + 3, frame.right + 45, frame.bottom };
    if (Crosses(area, &box))
        DrawTextA(dc, percentageText, -1, &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    /* The time left ends 5 pixels short of the frame, in the box kept for it. */
    RECT left = { 0, frame.top + 3, frame.left - 5, frame.bottom };
    if (Crosses(area, &left))
        DrawTextA(dc, timeLeftText, -1, &left, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}

/* Everything of the window that crosses area, on a DC clipped to what is
 * to be repainted. */
static void PaintArea(HWND window, HDC dc, const RECT *area)
{
    RECT client;
    GetClientRect(window, &client);
    int width = ScreenWidth(), height = ScreenHeight();
    PaintBackground(dc, width, height, area);
    PaintTextLines(dc, &client, height, area);
    PaintProgressBand(dc, width, height, area);
}

static void PaintMainWindow(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintArea(window, dc, &paint.rcPaint);
    EndPaint(window, &paint);
}

/* Draws area at once, as invalidating it and updating the window would,
 * but through a window DC: under Wine every invalidate-and-paint round
 * costs several round trips to the server, and the progress display
 * repaints at every step of the copy. Erasing fills with the class brush
 * first, as WM_ERASEBKGND would. The bar is left out: it is a child that
 * this window does not clip, and it repaints itself. Callers update the
 * window afterwards, so that whatever else waits to be repainted (the hole
 * a closed page left) is painted as the update after an invalidation would
 * paint it. */
void DrawMainWindowArea(const RECT *area, int erase)
{
    if (!mainWindow || area->left >= area->right || area->top >= area->bottom)
        return;
    HDC dc = GetDC(mainWindow);
    if (!dc)
        return;
    IntersectClipRect(dc, area->left, area->top, area->right, area->bottom);
    if (progressBar) {
        RECT bar;
        GetWindowRect(progressBar, &bar);
        MapWindowPoints(NULL, mainWindow, (POINT *)&bar, 2);
        ExcludeClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    }
    if (erase)
        FillRect(dc, area, (HBRUSH)GetStockObject(BLACK_BRUSH));
    PaintArea(mainWindow, dc, area);
    ReleaseDC(mainWindow, dc);
}

static void DestroyMainWindowContents(void)
{
    DeleteFonts();
    FreeBackground(&primaryBackground);
    FreeBackground(&displayedBackground);
    DiscardSettingsText();
    FreeAllMemoryBlocks();
    mainWindow = NULL;
    screenWidth = screenHeight = 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateMainWindowContents(window);
        return 0;
    case WM_DESTROY:
        DestroyMainWindowContents();
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        PaintMainWindow(window);
        return 0;
    case WM_DISPLAYCHANGE:
        screenWidth = GetSystemMetrics(SM_CXSCREEN);
        screenHeight = GetSystemMetrics(SM_CYSCREEN);
        break;
    case WM_RUN_INSTALL:
    case WM_RUN_RECONFIGURE:
    case WM_RUN_UNINSTALL:
        /* A flow that ends normally has destroyed the window itself. */
        if (flowHandler && !flowHandler(message) && IsWindow(window))
            DestroyWindow(window);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
