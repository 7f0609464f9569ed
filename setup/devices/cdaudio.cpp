/* CD audio through the MCI command interface: open the CD audio device in
 * tracks-minutes-seconds-frames time, play one whole track, stop, close. */
#include "setup/devices/devices.h"
#include <mmsystem.h>

WORD cdDeviceId;

/* Wine's winmm turns the open block into its Unicode twin and copies two
 * DWORDs past the end of it (extra fields of some device types); the block
 * carries zeroed room for them. */
struct CdOpenBlock {
    MCI_OPEN_PARMSA parms;
    DWORD extra[2];
};

int OpenCdAudio(void)
{
    CdOpenBlock open;
    ZeroMemory(&open, sizeof(open));
    open.parms.dwCallback = (DWORD_PTR)mainWindow;
    open.parms.lpstrDeviceType = (LPCSTR)(DWORD_PTR)MCI_DEVTYPE_CD_AUDIO;
    MCIERROR result = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID,
                                      (DWORD_PTR)&open.parms);
    /* A failed open may leave anything in the identifier field (Wine copies
     * it back from a block it never filled), so only a success is believed. */
    cdDeviceId = result == 0 ? (WORD)open.parms.wDeviceID : 0;
    if (result != 0)
        return 0;

    MCI_SET_PARMS set;
    ZeroMemory(&set, sizeof(set));
    set.dwTimeFormat = MCI_FORMAT_TMSF;
    return mciSendCommandA(cdDeviceId, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT,
                           (DWORD_PTR)&set) == 0;
}

DWORD GetCdTrackLength(int track)
{
    MCI_STATUS_PARMS status;
    ZeroMemory(&status, sizeof(status));
    status.dwItem = MCI_STATUS_LENGTH;
    status.dwTrack = (DWORD)track;
    if (mciSendCommandA(cdDeviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                        (DWORD_PTR)&status) != 0)
        return 0;
    return (DWORD)status.dwReturn;
}

/* In TMSF time the track's length, moved up one byte, is the position of its
 * end within the same track: track 3 of 4:10:05 plays from 3 to 0x050A0403. */
int PlayCdTrack(int track)
{
    DWORD number = (DWORD)track & 0xFF;
    DWORD length = GetCdTrackLength((int)number);
    MCI_PLAY_PARMS play;
    ZeroMemory(&play, sizeof(play));
    play.dwFrom = number;
    play.dwTo = number | (length << 8);
    return mciSendCommandA(cdDeviceId, MCI_PLAY, MCI_FROM | MCI_TO, (DWORD_PTR)&play) == 0;
}

int StopCdAudio(void)
{
    MCI_GENERIC_PARMS stop;
    ZeroMemory(&stop, sizeof(stop));
    return mciSendCommandA(cdDeviceId, MCI_STOP, MCI_WAIT, (DWORD_PTR)&stop) == 0;
}

/* The identifier is forgotten whatever the answer: winmm unloads the driver
 * even when its close fails, and the number may go to the next device. */
int CloseCdAudio(void)
{
    MCI_GENERIC_PARMS close;
    ZeroMemory(&close, sizeof(close));
    int closed = mciSendCommandA(cdDeviceId, MCI_CLOSE, MCI_WAIT, (DWORD_PTR)&close) == 0;
    cdDeviceId = 0;
    return closed;
}
