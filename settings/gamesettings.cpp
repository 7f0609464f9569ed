/* The settings record and the reading of QVX.INF, from the CD or from the
 * game directory. */
#include "settings/settings.h"
#include "settings/texts.h"
#include <string.h>

GameSettings gameSettings = { NULL, 0, {0}, {0}, {0}, 0, 10, {0}, "", buildLanguage->languageIndex };

const char *LanguageDirectory(void)
{
    LONG index = gameSettings.LanguageIndex;
    return index >= 1 && index <= 7 ? languageDirectories[index] : "";
}

long GetSettingNumber(const char *key)
{
    return LookupNumber(gameSettings.SettingsText, (long)gameSettings.SettingsTextLength, key, 1);
}

int GetSettingText(const char *key, char *field, int capacity)
{
    return LookupText(gameSettings.SettingsText, (long)gameSettings.SettingsTextLength, key,
                      field, capacity, 1);
}

int GetSettingFlag(const char *key)
{
    return LookupFlag(gameSettings.SettingsText, (long)gameSettings.SettingsTextLength, key, 1);
}

/* The whole file into one recorded block; 0 after a reported failure, or for
 * an empty file. */
static int LoadSettingsText(const char *path)
{
    HANDLE file = OpenFileForRead(path);
    if (!file)
        return 0;
    DWORD size = GetSizeOfFile(file);
    char *text = size ? (char *)AllocateMemory((LONG)size, 1) : NULL;
    if (!text || !ReadFromFile(file, text, size)) {
        FreeMemory(text);
        CloseFile(&file);
        return 0;
    }
    CloseFile(&file);
    gameSettings.SettingsText = text;
    gameSettings.SettingsTextLength = size;
    return 1;
}

int ReadSettings(int fromInstallDir)
{
    char path[260];
    lstrcpynA(path, fromInstallDir ? installDirectory : cdDataDirectory, sizeof(path) - 8);
    lstrcatA(path, "QVX.INF");

    if (gameSettings.SettingsText)
        return 1;
    if (!LoadSettingsText(path))
        return 0;

    const char *text = gameSettings.SettingsText;
    long length = (long)gameSettings.SettingsTextLength;
    for (int i = 0; i < OPTION_COUNT; i++)
        gameSettings.OptionMinSpeedMhz[i] = GetSecondNumber(text, length, optionKeys[i]);
    for (int i = 0; i < OPTION_COUNT; i++)
        gameSettings.OptionMinMemoryKb[i] = GetFirstNumber(text, length, optionKeys[i]);
    if (fromInstallDir)
        for (int i = 0; i < OPTION_COUNT; i++)
            gameSettings.OptionOn[i] = GetSettingFlag(optionKeys[i]);

    long minMemory = GetSettingNumber("MIN_MEMORY");
    gameSettings.MinMemoryKb = (DWORD)minMemory;
    if (minMemory == -1 || minMemory == 0) {
        SetupMessage(Text(TXT_NO_MIN_MEMORY), MB_ICONERROR);
        return 0;
    }
    if (!fromInstallDir) {
        gameSettings.TracksExpected = GetSettingNumber("TRACKS_EXPECTED");
        if (gameSettings.TracksExpected == -1 || gameSettings.TracksExpected == 0) {
            SetupMessage(Text(TXT_NO_TRACKS_EXPECTED), MB_ICONERROR);
            return 0;
        }
    }
    for (int i = 0; i < KEY_COUNT; i++)
        gameSettings.KeyScanCodes[i] = GetSettingNumber(keyBindingKeys[i]);
    if (!GetSettingText("INSTALLED_FILE", gameSettings.InstalledFile, sizeof(gameSettings.InstalledFile))) {
        SetupMessage(Text(TXT_NO_INSTALLED_FILE), MB_ICONERROR);
        return 0;
    }
    return 1;
}

void DiscardSettingsText(void)
{
    gameSettings.SettingsText = (char *)FreeMemory(gameSettings.SettingsText);
    gameSettings.SettingsTextLength = 0;
}
