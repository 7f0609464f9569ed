/* The multimedia timer that paces the display test. Its callback runs on
 * WinMM's own thread; the counter it raises is read by the drawing loop on
 * the window thread, so both sides go through interlocked operations. */
#include "vidcheck/vidcheck.h"

static volatile LONG tickCount;
static UINT timerId;
static LPTIMECALLBACK userCallback;

static void CALLBACK IgnoreTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
}

static void CALLBACK CountTick(UINT id, UINT message, DWORD_PTR user, DWORD_PTR dw1, DWORD_PTR dw2)
{
    InterlockedIncrement(&tickCount);
    userCallback(id, message, user, dw1, dw2);
}

void ResetTickCount(void)
{
    InterlockedExchange(&tickCount, 0);
}

/* A fresh read on every call: the compiler may not keep it in a register
 * across passes of the drawing loop. */
DWORD ReadTickCount(void)
{
    return (DWORD)InterlockedCompareExchange(&tickCount, 0, 0);
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
