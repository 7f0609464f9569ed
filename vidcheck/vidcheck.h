/*
 * Vidcheck: the once-per-machine DirectDraw display test that hands over to
 * OPT4W95.EXE. The frame (registry record, window, pending message) is in
 * vidcheck.cpp, the DirectDraw work in display.cpp, the multimedia timer in
 * ticktimer.cpp and the pieces that need neither in pixels.cpp.
 */
#ifndef VIDCHECK_H
#define VIDCHECK_H

#include "common/general.h"
#include <mmsystem.h>

#define WM_RUN_DISPLAY_TEST WM_USER
enum { IDI_VIDCHECK = 102 };

/* vidcheck.cpp */
extern BitmapImage logoImage;       /* "logo.bmp", the full-screen logo */
extern BitmapImage logoTestImage;   /* "logotest.bmp", the blinking picture */
extern DWORD frameCount;            /* frames drawn by the test; 0 until it runs */
extern const char *pendingText;     /* shown after the message loop; null when none */
extern UINT pendingStyle;
int IsDisplayTested(void);
void SetPendingMessage(const char *text, UINT style);
void ShowPendingMessage(void);
void StartNextProgram(void);
int LoadLogos(void);
void FreeLogos(void);
int RunVidcheck(HINSTANCE instance, HINSTANCE previous, int show);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* display.cpp */
int InitDirectDraw(void);
int RunDisplayTest(void);
void ReleaseDirectDraw(void);
int HasDirectDraw(void);

/* ticktimer.cpp */
int StartTickTimer(UINT *resolution, UINT period, LPTIMECALLBACK callback);
void StopTickTimer(UINT *resolution);
void ResetTickCount(void);
DWORD ReadTickCount(void);

/* pixels.cpp: the parts of the test that need no DirectDraw */
struct PixelFormat {
    int bytesPerPixel;   /* 2 for 15/16-bit modes, 3 or 4 for deeper ones */
    int left[3];         /* red, green, blue: where the channel sits */
    int right[3];        /* how many low bits of the 8-bit value are dropped */
};
enum { gcLogoWidth = 640, gcLogoHeight = 480, gcTestRight = 630, gcTestBottom = 470 };
/* The test lasts ten ticks of 500 ms; it gives up for certain after twice that. */
enum { gcTickPeriod = 500, gcTestTicks = 10, gcLongestTest = 2 * gcTickPeriod * gcTestTicks };
int ChooseModeDepth(int *chosen, int bitsPerPixel);
void ChannelShifts(DWORD mask, int *left, int *right);
int MakePixelFormat(PixelFormat *format, DWORD redMask, DWORD greenMask, DWORD blueMask,
                    DWORD bitsPerPixel);
DWORD ConvertPixel(const PixelFormat *format, BYTE red, BYTE green, BYTE blue);
void CopyPictureRows(BYTE *surface, LONG pitch, LONG surfaceWidth, LONG surfaceHeight,
                     const PixelFormat *format, const BYTE *pixels, LONG width, LONG height);
void ClearSurfaceRect(BYTE *surface, LONG pitch, int bytesPerPixel, const RECT *area);
int IsUsableLogo(const BitmapImage *image, LONG maxWidth, LONG maxHeight);
int ShouldWarnSlowAdapter(DWORD frames);
UINT TimerResolution(UINT minimumPeriod, UINT maximumPeriod);
DWORD TestTick(int timerRunning, DWORD timerTicks, DWORD elapsed);

#endif
