/* The display test proper: a 640 x 480 DirectDraw mode, the two logos on
 * system-memory surfaces in the mode's pixel format, and five seconds of
 * drawing as fast as the adapter allows. */
#include "vidcheck/vidcheck.h"
#include <ddraw.h>

/* GLOBALS */
static IDirectDraw *directDraw;
static IDirectDraw2 *directDraw2;    /* only asked for: it proves DirectX 3 */
static IDirectDrawSurface *primarySurface;
static IDirectDrawSurface *logoSurface;
static IDirectDrawSurface *testSurface;
static int chosenDepth;
static PixelFormat pixelFormat;
static UINT timerResolution;

/* FUNCTIONS */
int HasDirectDraw(void)
{
    return directDraw != NULL;
}

static int FailDirectDraw(const char *text)
{
    SetPendingMessage(text, 0);
    DestroyWindow(mainWindow);
    return 0;
}

static HRESULT WINAPI OfferMode(LPDDSURFACEDESC mode, LPVOID context)
{
    char note[64];
    wsprintfA(note, "VIDCHECK: mode offered 640x480x%lu\n", mode->ddpfPixelFormat.dwRGBBitCount);
    OutputDebugStringA(note);
    return ChooseModeDepth((int *)context, (int)mode->ddpfPixelFormat.dwRGBBitCount)
               ? DDENUMRET_OK : DDENUMRET_CANCEL;
}

static int CreatePlainSurface(IDirectDrawSurface **surface, LONG width, LONG height)
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = (DWORD)width;
    description.dwHeight = (DWORD)height;
    return directDraw->CreateSurface(&description, surface, NULL) == DD_OK;
}

static int CreateSurfaces(void)
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (directDraw->CreateSurface(&description, &primarySurface, NULL) != DD_OK)
        return 0;
    if (!CreatePlainSurface(&logoSurface, gcLogoWidth, gcLogoHeight))
        return 0;
    return CreatePlainSurface(&testSurface, logoTestImage.header->biWidth,
                              logoTestImage.header->biHeight);
}

static int SetTestMode(void)
{
    DDSURFACEDESC wanted;
    ZeroMemory(&wanted, sizeof(wanted));
    wanted.dwSize = sizeof(wanted);
    wanted.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    wanted.dwWidth = 640;
    wanted.dwHeight = 480;
    chosenDepth = 0;
    if (directDraw->EnumDisplayModes(0, &wanted, &chosenDepth, OfferMode) != DD_OK)
        return FailDirectDraw("Impossible d'énumérer les modes d'affichage DirectDraw.\n\n"
                              "Programme abandonné.");
    if (chosenDepth == 0)
        return FailDirectDraw("Pas de mode d'affichage couleur 640 x 480 disponible.\n\n"
                              "Programme abandonné.");
    if (directDraw->SetDisplayMode(640, 480, (DWORD)chosenDepth) != DD_OK)
        return FailDirectDraw("Impossible de régler le mode d'affichage requis.\n\n"
                              "Programme abandonné.");
    char note[64];
    wsprintfA(note, "VIDCHECK: display mode 640x480x%d set\n", chosenDepth);
    OutputDebugStringA(note);
    return 1;
}

/* DDRAW.DLL is loaded when the test starts, not by the loader: on a Windows
 * 95 without DirectX the program must still start, say that DirectDraw is
 * missing and hand over to OPT4W95.EXE. A missing library fails as the call
 * itself would. The library stays loaded for the rest of the run. */
typedef HRESULT (WINAPI *DirectDrawCreateProc)(GUID *driver, IDirectDraw **object, IUnknown *outer);

static HRESULT CreateDirectDraw(IDirectDraw **object)
{
    HMODULE library = LoadLibraryA("DDRAW.DLL");
    if (!library)
        return DDERR_GENERIC;
    DirectDrawCreateProc create =
        (DirectDrawCreateProc)(void *)GetProcAddress(library, "DirectDrawCreate");
    if (!create)
        return DDERR_GENERIC;
    return create(NULL, object, NULL);
}

int InitDirectDraw(void)
{
    SetFocus(mainWindow);
    if (CreateDirectDraw(&directDraw) != DD_OK) {
        directDraw = NULL;
        return FailDirectDraw("Impossible de créer un objet DirectDraw.\n\nProgramme abandonné.");
    }
    /* DirectX 3 knows the capability records of 316 bytes only. */
    DDCAPS_DX3 driverCaps, emulationCaps;
    ZeroMemory(&driverCaps, sizeof(driverCaps));
    ZeroMemory(&emulationCaps, sizeof(emulationCaps));
    driverCaps.dwSize = emulationCaps.dwSize = sizeof(DDCAPS_DX3);
    if (directDraw->GetCaps((LPDDCAPS)&driverCaps, (LPDDCAPS)&emulationCaps) != DD_OK)
        return FailDirectDraw("Impossible d'obtenir les capacités DirectDraw.\n\nProgramme abandonné.");
    if (!(driverCaps.dwCaps2 & DDCAPS2_CERTIFIED))
        return FailDirectDraw(
            "Le gestionnaire d'affichage Windows actuellement chargé n'est pas certifié DirectX 3.\n\n"
            "Vous devrez demander à votre revendeur PC ou adaptateur vidéo un gestionnaire certifié "
            "pour votre machine.\n\n"
            "DirectX 3 fonctionnera sans gestionnaire certifié, mais avec une performance "
            "considérablement réduite.");
    if (directDraw->SetCooperativeLevel(mainWindow, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT |
                                                        DDSCL_NOWINDOWCHANGES | DDSCL_EXCLUSIVE) != DD_OK)
        return FailDirectDraw("Impossible de régler le niveau de coopération DirectDraw.\n\n"
                              "Programme abandonné.");
    if (directDraw->QueryInterface(IID_IDirectDraw2, (void **)&directDraw2) != DD_OK) {
        directDraw2 = NULL;
        return FailDirectDraw("DirectX 3 n'a pas été installé bien qu'une version précédente ait été "
                              "trouvée.\n\nUtilisez le programme Paramètres pour installer DirectX 3.");
    }
    if (!SetTestMode())
        return 0;
    ShowCursor(FALSE);
    if (!CreateSurfaces())
        return FailDirectDraw("Impossible de créer une surface DirectDraw.\n\nProgramme abandonné.");
    return 1;
}

/* The pixel format of the mode as the logo surface has it. 15- and 16-bit
 * modes get the logos as 16-bit pixels; a deeper mode, taken when the
 * adapter offers nothing else, gets them in its own 24- or 32-bit format. */
static int ReadPixelFormat(void)
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_PIXELFORMAT;
    if (logoSurface->GetSurfaceDesc(&description) != DD_OK)
        return 0;
    const DDPIXELFORMAT *format = &description.ddpfPixelFormat;
    return MakePixelFormat(&pixelFormat, format->dwRBitMask, format->dwGBitMask, format->dwBBitMask,
                           format->dwRGBBitCount);
}

static int LockSurface(IDirectDrawSurface *surface, DDSURFACEDESC *description)
{
    ZeroMemory(description, sizeof(*description));
    description->dwSize = sizeof(*description);
    return surface->Lock(NULL, description, DDLOCK_WAIT, NULL) == DD_OK;
}

static int CopyPictureToSurface(IDirectDrawSurface *surface, const BitmapImage *image)
{
    DDSURFACEDESC locked;
    if (!LockSurface(surface, &locked))
        return 0;
    CopyPictureRows((BYTE *)locked.lpSurface, locked.lPitch, (LONG)locked.dwWidth,
                    (LONG)locked.dwHeight, &pixelFormat, image->pixels, image->header->biWidth,
                    image->header->biHeight);
    surface->Unlock(NULL);
    return 1;
}

static int ClearPrimaryRect(const RECT *area)
{
    DDSURFACEDESC locked;
    if (!LockSurface(primarySurface, &locked))
        return 0;
    RECT inside;
    RECT whole = { 0, 0, (LONG)locked.dwWidth, (LONG)locked.dwHeight };
    if (IntersectRect(&inside, area, &whole))
        ClearSurfaceRect((BYTE *)locked.lpSurface, locked.lPitch, pixelFormat.bytesPerPixel, &inside);
    primarySurface->Unlock(NULL);
    return 1;
}

static DWORD CurrentTick(int timerRunning, DWORD startTime)
{
    return TestTick(timerRunning, timerRunning ? ReadTickCount() : 0, timeGetTime() - startTime);
}

/* What one phase of the blinking drew, for whoever follows the debug channel. */
static void NoteBlinkPhase(DWORD tick, int shown, const RECT *corner, DWORD frames)
{
    char note[96];
    wsprintfA(note, "VIDCHECK: tick %lu small picture %s at %ld,%ld in %lu frames\n", (unsigned long)tick,
              shown ? "shown" : "cleared", corner->left, corner->top, (unsigned long)frames);
    OutputDebugStringA(note);
}

static void DrawFrames(void)
{
    LONG testWidth = logoTestImage.header->biWidth;
    LONG testHeight = logoTestImage.header->biHeight;
    RECT logoArea = { 0, 0, logoImage.header->biWidth, logoImage.header->biHeight };
    RECT testArea = { 0, 0, testWidth, testHeight };
    RECT corner = { gcTestRight - testWidth, gcTestBottom - testHeight, gcTestRight, gcTestBottom };
    int shown = 0;
    DWORD lastTick = 0;
    DWORD phaseFrames = 0;
    DWORD startTime = timeGetTime();
    ResetTickCount();
    int timerRunning = StartTickTimer(&timerResolution, gcTickPeriod, NULL);
    for (DWORD tick = 0; tick < gcTestTicks; tick = CurrentTick(timerRunning, startTime)) {
        primarySurface->BltFast(0, 0, logoSurface, &logoArea, DDBLTFAST_WAIT);
        if (shown)
            primarySurface->BltFast(corner.left, corner.top, testSurface, &testArea, DDBLTFAST_WAIT);
        else
            ClearPrimaryRect(&corner);
        phaseFrames++;
        if (tick != lastTick) {
            NoteBlinkPhase(lastTick, shown, &corner, phaseFrames);
            phaseFrames = 0;
            lastTick = tick;
            shown = !shown;
        }
        frameCount++;
    }
    StopTickTimer(&timerResolution);
    if (phaseFrames)
        NoteBlinkPhase(lastTick, shown, &corner, phaseFrames);
}

int RunDisplayTest(void)
{
    if (!ReadPixelFormat())
        return 0;
    CopyPictureToSurface(logoSurface, &logoImage);
    CopyPictureToSurface(testSurface, &logoTestImage);
    DrawFrames();
    char note[64];
    wsprintfA(note, "VIDCHECK: frames drawn %lu\n", (unsigned long)frameCount);
    OutputDebugStringA(note);
    return 1;
}

static void ReleaseObject(IUnknown **object)
{
    if (*object) {
        (*object)->Release();
        *object = NULL;
    }
}

void ReleaseDirectDraw(void)
{
    ReleaseObject((IUnknown **)&directDraw2);
    ReleaseObject((IUnknown **)&primarySurface);
    ReleaseObject((IUnknown **)&logoSurface);
    ReleaseObject((IUnknown **)&testSurface);
    ReleaseObject((IUnknown **)&directDraw);
}
