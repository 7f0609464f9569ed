/*
 * Device control: CD audio through MCI, and the game's two driver
 * configuration files.
 */
#ifndef DEVICES_H
#define DEVICES_H

#include "common/general.h"

/* soundconfig.cpp */
extern char videoDriverName[260];
extern char soundDeviceName[260];
char *LoadOptionalFile(const char *name, DWORD *size);
void FreeOptionalFile(char *block);
void TrimSpaces(char *text);
int ReadVideoDriverName(void);
void ReadSoundDeviceName(void);

/* cdaudio.cpp: the CD audio device through MCI, in track-based (TMSF) time */
extern WORD cdDeviceId;              /* 0 while no device is open */
int OpenCdAudio(void);
int PlayCdTrack(int track);          /* low 8 bits; returns while the track plays */
DWORD GetCdTrackLength(int track);   /* minutes, seconds, frames in the low bytes; 0 on failure */
int StopCdAudio(void);
int CloseCdAudio(void);

#endif
