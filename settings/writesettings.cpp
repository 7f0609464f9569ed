/* Writing QVX.INF into the game directory, with the text of settingstext.cpp
 * and the values of this machine.
 *
 * The new file is written completely beside the old one and only then put in
 * its place: during a reconfiguration the file read is the file written, and a
 * failed write must not cost the player the settings the game had. */
#include "settings/settings.h"
#include <mmsystem.h>
#include <string.h>

int WriteTextLine(HANDLE file, const char *text)
{
    char buffer[512];
    lstrcpynA(buffer, text, sizeof(buffer) - 2);
    lstrcatA(buffer, "\r\n");
    return WriteToFile(file, buffer, (DWORD)strlen(buffer));
}

static int WriteToSettingsFile(void *file, const char *bytes, size_t length)
{
    return WriteToFile((HANDLE)file, bytes, (DWORD)length);
}

static void SoundDeviceName(char *name)
{
    name[0] = '\0';
    if (waveOutGetNumDevs() == 0)
        return;
    WAVEOUTCAPSA caps;
    if (waveOutGetDevCapsA(0, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
        lstrcpynA(name, caps.szPname, 32);
}

/* Writes the new text into an open file; 0 as soon as a write failed. */
static int WriteSettingsText(HANDLE file)
{
    char directory[260], sound[32];
    lstrcpynA(directory, installDirectory, sizeof(directory));
    size_t length = strlen(directory);
    if (length)
        directory[length - 1] = '\0';   /* its backslash */
    SoundDeviceName(sound);
    ReadVideoDriverName();

    SettingsValues values;
    values.memoryKb = (unsigned long)(memoryStatus.dwTotalPhys / 1024);
    values.cdDrive = sourceDrive;
    values.gameDirectory = directory;
    values.soundName = sound;
    values.videoName = videoDriverName;
    values.languageIndex = gameSettings.LanguageIndex;
    values.optionOn = gameSettings.OptionOn;
    values.keyScanCodes = gameSettings.KeyScanCodes;
    return WriteSettingsLines(gameSettings.SettingsText, (long)gameSettings.SettingsTextLength,
                              &values, WriteToSettingsFile, file);
}

static void SettingsPath(char *path, const char *name)
{
    lstrcpynA(path, installDirectory, 260 - 8);
    lstrcatA(path, name);
}

int WriteSettings(void)
{
    char path[260], newPath[260], asidePath[260];
    SettingsPath(path, "QVX.INF");
    SettingsPath(newPath, "QVX.NEW");
    SettingsPath(asidePath, "QVX.OLD");

    /* A read-only QVX.INF is not overwritten: the failure is reported as
     * creating it in place would be. (Asking CreateFile is no test: Wine run
     * by root opens read-only files for writing.) Every failure to make the
     * file names QVX.INF, the file the user knows. */
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        NoteRunFailure(END_WRITE_FAILED);
        ShowFileError("Could not create a file that was asked for.", path);
        return 0;
    }

    ShowErrorBoxes = 0;
    HANDLE file = CreateFileForWrite(newPath);
    ShowErrorBoxes = 1;
    if (!file) {
        NoteRunFailure(END_WRITE_FAILED);
        ShowFileError("Could not create a file that was asked for.", path);
        return 0;
    }
    int written = WriteSettingsText(file);
    CloseFile(&file);
    if (!written || !ReplaceWithNewFile(newPath, path, asidePath)) {
        DeleteFileA(newPath);
        NoteRunFailure(END_WRITE_FAILED);
        if (written)   /* another program holds QVX.INF */
            ShowFileError("Could not create a file that was asked for.", path);
        return 0;
    }
    LogText("settings file written: ", path);
    LogFileLines("  QVX.INF: ", path);
    return 1;
}
