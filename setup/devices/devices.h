/*
 * Device control: CD audio through MCI. (The game's two driver configuration
 * files are read in settings/driverconfig.cpp.)
 */
#ifndef DEVICES_H
#define DEVICES_H

#include "common/general.h"

/* cdaudio.cpp: the CD audio device through MCI, in track-based (TMSF) time */
extern WORD cdDeviceId;              /* 0 while no device is open */
int OpenCdAudio(void);
int PlayCdTrack(int track);          /* low 8 bits; returns while the track plays */
DWORD GetCdTrackLength(int track);   /* minutes, seconds, frames in the low bytes; 0 on failure */
int StopCdAudio(void);
int CloseCdAudio(void);

#endif
