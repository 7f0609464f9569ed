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

#endif
