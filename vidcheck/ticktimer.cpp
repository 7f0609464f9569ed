/* The multimedia timer that paces the display test. Its callback runs on
 * WinMM's own thread; the counter it raises is read by the drawing loop on
 * the window thread. Only the callback writes the counter and only the
 * window thread writes the base a reset sets: each is one aligned 32-bit
 * store, whole to the other thread on every x86, so neither needs a locked
 * instruction (the i386 has no compare-and-exchange, and Windows 95's
 * InterlockedIncrement answers only the sign). */
#include "vidcheck/vidcheck.h"

static volatile LONG tickCount;
static volatile LONG tickBase;
static UINT timerId;
static LPTIMECALLBACK userCallback;

static void CALLBACK IgnoreTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
}

static void CALLBACK CountTick(UINT id, UINT message, DWORD_PTR user, DWORD_PTR dw1, DWORD_PTR dw2)
{
    tickCount = tickCount + 1;
    userCallback(id, message, user, dw1, dw2);
}

void ResetTickCount(void)
{
    tickBase = tickCount;
}

/* Volatile: a fresh read on every call, never kept in a register across
 * passes of the drawing loop. */
DWORD ReadTickCount(void)
{
    return (DWORD)tickCount - (DWORD)tickBase;
}

int StartTickTimer(UINT *resolution, UINT period, LPTIMECALLBACK callback)
{
    userCallback = callback ? callback : IgnoreTick;
    TIMECAPS caps;
    if (timeGetDevCaps(&caps, sizeof(caps)) != TIMERR_NOERROR)
        return 0;
    *resolution = TimerResolution(caps.wPeriodMin, caps.wPeriodMax);
    if (timeBeginPeriod(*resolution) != TIMERR_NOERROR) {
        *resolution = 0;
        return 0;
    }
    timerId = timeSetEvent(period, *resolution, CountTick, 0, TIME_PERIODIC);
    if (!timerId) {
        timeEndPeriod(*resolution);
        *resolution = 0;
        return 0;
    }
    return 1;
}

void StopTickTimer(UINT *resolution)
{
    if (timerId) {
        timeKillEvent(timerId);
        timerId = 0;
    }
    if (*resolution) {
        timeEndPeriod(*resolution);
        *resolution = 0;
    }
}
