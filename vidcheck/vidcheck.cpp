/* Vidcheck's frame: the "Display Tested" record, the full-screen window that
 * DirectDraw takes over, the message left for after the window has gone and
 * the hand-over to OPT4W95.EXE. */
#include "vidcheck/vidcheck.h"
#include <string.h>

/* GLOBALS */
BitmapImage logoImage;
BitmapImage logoTestImage;
DWORD frameCount;
const char *pendingText;
UINT pendingStyle;

static const char caption[] = "Réglage";
static const char className[] = "MyMainWindow";
static const char recordKey[] = "SOFTWARE\\Vornhollow Entertainment";
static const char recordValue[] = "Display Tested";

/* FUNCTIONS */

/* The record is written before the test runs, so that the test is offered
 * once per machine whatever its outcome. */
int IsDisplayTested(void)
{
    char answer[10 + 1];   /* one spare byte: a value stored without its zero still ends */
    ZeroMemory(answer, sizeof(answer));
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE, recordKey, recordValue, answer, 10) &&
        strcmp(answer, "Yes") == 0)
        return 1;
    WriteRegistryString(HKEY_LOCAL_MACHINE, recordKey, recordValue, "Yes", 4);
    return 0;
}

void SetPendingMessage(const char *text, UINT style)
{
    pendingText = text;
    pendingStyle = style ? style : MB_ICONEXCLAMATION;
}

void ShowPendingMessage(void)
{
    if (pendingText)
        ShowMessageBox(NULL, pendingText, caption, pendingStyle | MB_SETFOREGROUND);
}

void StartNextProgram(void)
{
    WinExec("OPT4W95.EXE", SW_SHOWNORMAL);
}

/* Both pictures must be there and be what the test draws: 24-bit pictures,
 * the logo no larger than the screen, the small one no larger than the
 * place it blinks in. LoadBitmapFile has reported a file it could not read. */
int LoadLogos(void)
{
    int logoLoaded = LoadBitmapFile("logo.bmp", &logoImage);
    int testLoaded = LoadBitmapFile("logotest.bmp", &logoTestImage);
    if (logoLoaded && !IsUsableLogo(&logoImage, gcLogoWidth, gcLogoHeight)) {
        ShowError("L'image logo.bmp ne convient pas au test d'affichage.");
        return 0;
    }
    if (testLoaded && !IsUsableLogo(&logoTestImage, gcTestRight, gcTestBottom)) {
        ShowError("L'image logotest.bmp ne convient pas au test d'affichage.");
        return 0;
    }
    return logoLoaded && testLoaded;
}

void FreeLogos(void)
{
    FreeMemory(logoTestImage.header);
    if (logoTestImage.palette)
        DeleteObject(logoTestImage.palette);
    FreeMemory(logoImage.header);
    if (logoImage.palette)
        DeleteObject(logoImage.palette);
    ZeroMemory(&logoTestImage, sizeof(logoTestImage));
    ZeroMemory(&logoImage, sizeof(logoImage));
}

static void CleanUpWindow(void)
{
    FreeLogos();
    if (HasDirectDraw())
        ReleaseDirectDraw();
    ShowCursor(TRUE);
    if (ShouldWarnSlowAdapter(frameCount))
        ShowMessageBox(NULL,
                       "Votre adaptateur vidéo semble être un ancien modèle.\n\n"
                       "Bien que vous puissiez utiliser le jeu, la performance sera moindre tant que "
                       "vous n'aurez pas acheté un adaptateur vidéo plus moderne.",
                       caption, MB_ICONEXCLAMATION);
    mainWindow = NULL;
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        /* The library's error boxes for the pictures belong to this window. */
        mainWindow = window;
        LoadLogos();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_RUN_DISPLAY_TEST:
        RunDisplayTest();
        DestroyWindow(window);
        return 1;
    case WM_DESTROY:
        CleanUpWindow();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VIDCHECK));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

static HWND CreateMainWindow(HINSTANCE instance, int show)
{
    HWND window = CreateWindowExA(WS_EX_TOPMOST, className, caption, WS_POPUP, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  NULL, NULL, instance, NULL);
    if (!window)
        return NULL;
    ShowWindow(window, show);
    UpdateWindow(window);
    return window;
}

static void RunMessageLoop(void)
{
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (mainWindow && IsDialogMessageA(mainWindow, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

/* The test needs both pictures: without them the window goes at once, with
 * no DirectDraw set-up, and the run ends as every other one does. */
static int RunTestWindow(HINSTANCE instance, HINSTANCE previous, int show)
{
    if (!previous && !RegisterMainClass(instance))
        return 0;
    HWND window = CreateMainWindow(instance, show);
    if (!window)
        return 0;
    mainWindow = window;
    if (!IsUsableLogo(&logoImage, gcLogoWidth, gcLogoHeight) ||
        !IsUsableLogo(&logoTestImage, gcTestRight, gcTestBottom))
        DestroyWindow(window);
    else if (InitDirectDraw())
        PostMessageA(window, WM_RUN_DISPLAY_TEST, 0, 0);
    RunMessageLoop();
    return 1;
}

int RunVidcheck(HINSTANCE instance, HINSTANCE previous, int show)
{
    programCaption = caption;
    InitMemoryBlocks();
    if (!IsDisplayTested() && !RunTestWindow(instance, previous, show))
        return 0;
    ShowPendingMessage();
    StartNextProgram();
    FreeAllMemoryBlocks();
    return 0;
}
