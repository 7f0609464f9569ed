/* The full-screen main window: background picture, notice and status lines,
 * the frame of the progress bar. It owns every page and message box, and the
 * flows run inside its handling of the messages posted at start. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/resources/resource.h"
#include "settings/settings.h"
#include "setup/resources/lang/texts.h"
#include <commctrl.h>
#include <string.h>

int lowColour;
HFONT titleFont;
HFONT textFont;
const char *statusText = " ";
BitmapImage primaryBackground;
BitmapImage displayedBackground;

static FlowHandler flowHandler;

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
            LONG rowSize = BitmapRowSize(header->biWidth, header->biBitCount);
            SetDIBitsToDevice(dc, left, top + header->biHeight - last, (DWORD)header->biWidth,
                              (DWORD)(last - first), 0, 0, 0, (UINT)(last - first),
                              displayedBackground.pixels + (LONG)first * rowSize, (const BITMAPINFO *)&band,
                              DIB_RGB_COLORS);
        }
    }
    if (previous)
        SelectPalette(dc, previous, FALSE);
}

static void PaintTextLines(HDC dc, const RECT *client, int height)
{
    HGDIOBJ previous = SelectObject(dc, textFont);
    SetBkMode(dc, TRANSPARENT);
    RECT line = *client;
    line.top = height - 47;
    SetTextColor(dc, RGB(200, 200, 150));
    DrawTextA(dc, Text(TXT_COPYRIGHT_NOTICE), -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    line.top = height - 20;
    SetTextColor(dc, RGB(200, 200, 200));
    DrawTextA(dc, statusText ? statusText : " ", -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}

static void PaintProgressBand(HDC dc, int width, int height)
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
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    HGDIOBJ previous = SelectObject(dc, textFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(200, 200, 200));
    RECT box = { frame.right + 5, frame.top + 3, frame.right + 45, frame.bottom };
    DrawTextA(dc, percentageText, -1, &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    /* The time left ends 5 pixels short of the frame, in the box kept for it. */
    RECT left = { 0, frame.top + 3, frame.left - 5, frame.bottom };
    DrawTextA(dc, timeLeftText, -1, &left, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}

static void PaintMainWindow(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    PaintBackground(dc, width, height, &paint.rcPaint);
    PaintTextLines(dc, &client, height);
    PaintProgressBand(dc, width, height);
    EndPaint(window, &paint);
}

static void DestroyMainWindowContents(void)
{
    DeleteFonts();
    FreeBackground(&primaryBackground);
    FreeBackground(&displayedBackground);
    DiscardSettingsText();
    FreeAllMemoryBlocks();
    mainWindow = NULL;
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
