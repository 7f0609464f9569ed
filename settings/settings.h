/*
 * QVX.INF, the settings file that ties the setup to the game: the settings
 * record, the language table, reading and writing.
 */
#ifndef SETTINGS_H
#define SETTINGS_H

#include "common/general.h"
#include "settings/installstate.h"
#include "settings/linesyntax.h"
#include "settings/settingstext.h"

struct GameSettings {
    char *SettingsText;             /* the whole file as last read, not terminated */
    DWORD SettingsTextLength;
    LONG OptionMinMemoryKb[OPTION_COUNT];
    LONG OptionMinSpeedMhz[OPTION_COUNT];
    LONG OptionOn[OPTION_COUNT];
    DWORD MinMemoryKb;
    LONG TracksExpected;
    LONG KeyScanCodes[KEY_COUNT];
    char InstalledFile[260];
    LONG LanguageIndex;             /* constant of the build (its text table): 6 Spanish, 1 English... */
};

/* gamesettings.cpp */
extern GameSettings gameSettings;
const char *LanguageDirectory(void);                 /* of this build */
int ReadSettings(int fromInstallDir);
void DiscardSettingsText(void);
long GetSettingNumber(const char *key);
int GetSettingText(const char *key, char *field, int capacity);
int GetSettingFlag(const char *key);

/* setupmessage.cpp: Outfitter's own boxes, with the program's caption */
extern const char *const setupCaption;
int SetupMessage(const char *text, UINT style);

/* driverconfig.cpp: UVCONFIG.DAT and DIG.INI in the recorded directory */
extern char videoDriverName[260];
extern char soundDeviceName[260];
char *LoadOptionalFile(const char *name, DWORD *size);
void FreeOptionalFile(char *block);
void TrimSpaces(char *text);
int ReadVideoDriverName(void);
void ReadSoundDeviceName(void);

/* writesettings.cpp */
int WriteTextLine(HANDLE file, const char *text);
int WriteSettings(void);

#endif
