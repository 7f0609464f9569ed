/*
 * The text of QVX.INF as Outfitter writes it: the keys it owns in [SETUP] and
 * the generation of a new file from the old one. Needs no Win32: the values
 * come in a record and the bytes go to a sink, so that the native installer
 * writes the same file.
 */
#ifndef SETTINGSTEXT_H
#define SETTINGSTEXT_H

#include <stddef.h>

enum { OPTION_COUNT = 6, KEY_COUNT = 29, SETTINGS_KEY_LIST = 43 };

extern const char *const optionKeys[OPTION_COUNT];
extern const char *const keyBindingKeys[KEY_COUNT];
extern const char *const languageDirectories[8];   /* index 1-7; 0 has none */

/* What the generated [SETUP] lines say. */
struct SettingsValues {
    unsigned long memoryKb;     /* EXTENDED */
    char cdDrive;               /* the letter of CDROM */
    const char *gameDirectory;  /* FIXED, as Windows writes it, no trailing backslash */
    const char *soundName;      /* SOUND ("" when no device) */
    const char *videoName;      /* VIDEO */
    long languageIndex;         /* LANGUAGE */
    const long *optionOn;       /* OPTION_COUNT of them */
    const long *keyScanCodes;   /* KEY_COUNT of them */
};

/* Takes the next bytes of the new file; 1 when they were written. */
typedef int (*SettingsSink)(void *context, const char *bytes, size_t length);

/* The new QVX.INF from the old text: other lines copied, Outfitter's [SETUP]
 * lines generated, missing ones added, each line one call of sink. A failed
 * copy ends the writing; the generated lines are all offered. 1 when every
 * write of sink succeeded. */
int WriteSettingsLines(const char *text, long length, const struct SettingsValues *values,
                       SettingsSink sink, void *context);

#endif
