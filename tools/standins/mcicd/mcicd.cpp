/* A stand-in CD audio MCI driver for test prefixes: it plays nothing, reports
 * configurable track lengths and writes every MCI command it receives, with
 * its flags and parameters, to a log. See README.md for the contract. */
#include <windows.h>
#include "tools/standins/standinlog.h"
#include <mmsystem.h>
#include <mmddk.h>

/* In winmm but in no mingw header. */
extern "C" BOOL WINAPI mciDriverNotify(HANDLE callback, MCIDEVICEID device, UINT status);

enum { DEFAULT_LENGTH = 3 };   /* minutes, for tracks the configuration does not name */

static DWORD timeFormat = MCI_FORMAT_MILLISECONDS;
static MCIDEVICEID deviceId;

static void LogLine(const char *line)
{
    AppendStandInLog("TT_MCICD_LOG", "ttmcicd.log", line);
}

/* TT_MCICD_FAIL: names of commands to refuse, separated by commas. */
static int ShouldFail(const char *command)
{
    char list[256];
    DWORD length = GetEnvironmentVariableA("TT_MCICD_FAIL", list, sizeof(list));
    if (length == 0 || length >= sizeof(list))
        return 0;
    int size = lstrlenA(command);
    for (char *p = list; *p;) {
        char *end = p;
        while (*end && *end != ',')
            end++;
        if (end - p == size && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, p, size, command, size) == CSTR_EQUAL)
            return 1;
        p = *end ? end + 1 : end;
    }
    return 0;
}

static DWORD ParseNumber(const char **text)
{
    DWORD value = 0;
    while (**text >= '0' && **text <= '9')
        value = value * 10 + (DWORD)(*(*text)++ - '0');
    return value;
}

/* "m:s:f" into the MSF packing: minutes in the low byte, then seconds, frames. */
static DWORD ParseLength(const char **text)
{
    DWORD minutes = ParseNumber(text), seconds = 0, frames = 0;
    if (**text == ':') {
        (*text)++;
        seconds = ParseNumber(text);
        if (**text == ':') {
            (*text)++;
            frames = ParseNumber(text);
        }
    }
    return (minutes & 0xFF) | (seconds & 0xFF) << 8 | (frames & 0xFF) << 16;
}

/* TT_MCICD_LENGTHS: "3=4:10:05,5=2:00:00,*=3:00:00"; a track named nowhere
 * and with no "*" entry lasts three minutes. 0 for a track the disc lacks
 * (a length given as 0:00:00 or a track of 0). */
static DWORD TrackLength(DWORD track)
{
    char list[512];
    DWORD fallback = DEFAULT_LENGTH;
    DWORD length = GetEnvironmentVariableA("TT_MCICD_LENGTHS", list, sizeof(list));
    if (length > 0 && length < sizeof(list)) {
        const char *p = list;
        while (*p) {
            int any = *p == '*';
            DWORD number = any ? (p++, 0) : ParseNumber(&p);
            if (*p != '=')
                break;
            p++;
            DWORD value = ParseLength(&p);
            if (any)
                fallback = value;
            else if (number == track)
                return value;
            while (*p && *p != ',')
                p++;
            if (*p == ',')
                p++;
        }
    }
    return track == 0 ? 0 : fallback;
}

static void Notify(DWORD flags, DWORD_PTR callback, DWORD result)
{
    if (flags & MCI_NOTIFY)
        mciDriverNotify((HANDLE)callback, deviceId,
                        result ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL);
}

static LRESULT OpenDevice(DWORD flags, MCI_OPEN_PARMSW *parms)
{
    char line[160];
    DWORD_PTR type = parms ? (DWORD_PTR)parms->lpstrDeviceType : 0;
    if (!(flags & MCI_OPEN_TYPE_ID) || type > 0xFFFF)
        type = 0;   /* a name, not an identifier: logged as 0 */
    wsprintfA(line, "open flags=0x%08lX type=%lu", flags, (unsigned long)type);
    LogLine(line);
    if (!parms)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (ShouldFail("open"))
        return MCIERR_HARDWARE;
    deviceId = parms->wDeviceID;
    timeFormat = MCI_FORMAT_MILLISECONDS;
    return 0;
}

static LRESULT SetDevice(DWORD flags, MCI_SET_PARMS *parms)
{
    char line[160];
    wsprintfA(line, "set flags=0x%08lX timeformat=%lu", flags, parms ? parms->dwTimeFormat : 0);
    LogLine(line);
    if (!parms)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (ShouldFail("set"))
        return MCIERR_HARDWARE;
    if (flags & MCI_SET_TIME_FORMAT)
        timeFormat = parms->dwTimeFormat;
    Notify(flags, parms->dwCallback, 0);
    return 0;
}

static LRESULT DeviceStatus(DWORD flags, MCI_STATUS_PARMS *parms)
{
    char line[160];
    if (!parms) {
        LogLine("status (no parameters)");
        return MCIERR_NULL_PARAMETER_BLOCK;
    }
    DWORD result = 0;
    parms->dwReturn = 0;
    if (ShouldFail("status"))
        result = MCIERR_HARDWARE;
    else if (parms->dwItem == MCI_STATUS_LENGTH && (flags & MCI_TRACK)) {
        parms->dwReturn = TrackLength(parms->dwTrack);
        if (parms->dwReturn == 0)
            result = MCIERR_OUTOFRANGE;
    } else if (parms->dwItem == MCI_STATUS_TIME_FORMAT) {
        parms->dwReturn = timeFormat;
    }
    wsprintfA(line, "status flags=0x%08lX item=%lu track=%lu return=0x%08lX", flags,
              parms->dwItem, parms->dwTrack, (DWORD)parms->dwReturn);
    LogLine(line);
    Notify(flags, parms->dwCallback, result);
    return result;
}

static LRESULT PlayDevice(DWORD flags, MCI_PLAY_PARMS *parms)
{
    char line[160];
    wsprintfA(line, "play flags=0x%08lX from=0x%08lX to=0x%08lX", flags,
              parms ? parms->dwFrom : 0, parms ? parms->dwTo : 0);
    LogLine(line);
    if (!parms)
        return MCIERR_NULL_PARAMETER_BLOCK;
    DWORD result = ShouldFail("play") ? MCIERR_HARDWARE : 0;
    Notify(flags, parms->dwCallback, result);
    return result;
}

/* Stop, close and anything else: the name and the flags. */
static LRESULT PlainCommand(const char *name, DWORD flags, MCI_GENERIC_PARMS *parms)
{
    char line[160];
    wsprintfA(line, "%s flags=0x%08lX", name, flags);
    LogLine(line);
    DWORD result = ShouldFail(name) ? MCIERR_HARDWARE : 0;
    if (parms)
        Notify(flags, parms->dwCallback, result);
    return result;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverProc(DWORD_PTR driverId, HDRVR driver,
                                                            UINT message, LPARAM first, LPARAM second)
{
    DWORD flags = (DWORD)first;
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_CLOSE:
        return 1;
    case DRV_OPEN: {
        /* The first open of a module is its session instance (no block);
         * the second carries the block that tells winmm what we are. */
        MCI_OPEN_DRIVER_PARMS *open = (MCI_OPEN_DRIVER_PARMS *)second;
        if (!open)
            return 1;
        open->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
        open->wType = MCI_DEVTYPE_CD_AUDIO;
        return open->wDeviceID ? open->wDeviceID : 1;
    }
    case MCI_OPEN_DRIVER:
        return OpenDevice(flags, (MCI_OPEN_PARMSW *)second);
    case MCI_CLOSE_DRIVER:
        return PlainCommand("close", flags, (MCI_GENERIC_PARMS *)second);
    case MCI_SET:
        return SetDevice(flags, (MCI_SET_PARMS *)second);
    case MCI_STATUS:
        return DeviceStatus(flags, (MCI_STATUS_PARMS *)second);
    case MCI_PLAY:
        return PlayDevice(flags, (MCI_PLAY_PARMS *)second);
    case MCI_STOP:
        return PlainCommand("stop", flags, (MCI_GENERIC_PARMS *)second);
    case MCI_PAUSE:
        return PlainCommand("pause", flags, (MCI_GENERIC_PARMS *)second);
    case MCI_SEEK:
        return PlainCommand("seek", flags, (MCI_GENERIC_PARMS *)second);
    }
    if (message >= DRV_MCI_FIRST && message <= DRV_MCI_LAST) {
        char name[32];
        wsprintfA(name, "mci-0x%04X", message);
        PlainCommand(name, flags, NULL);
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
    return DefDriverProc(driverId, driver, message, first, second);
}
