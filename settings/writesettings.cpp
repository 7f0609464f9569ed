/* Writing QVX.INF into the game directory: lines of others are copied, the
 * lines Outfitter owns inside [SETUP] are generated anew, missing ones added.
 *
 * The new file is written completely beside the old one and only then put in
 * its place: during a reconfiguration the file read is the file written, and a
 * failed write must not cost the player the settings the game had. */
#include "settings/settings.h"
#include <mmsystem.h>
#include "common/textformat.h"
#include <string.h>

enum { KEY_BASE, KEY_EXTENDED, KEY_CDROM, KEY_FIXED, KEY_SOUND, KEY_VIDEO, KEY_GAME,
       KEY_LANGUAGE, KEY_FIRST_OPTION, KEY_FIRST_BINDING = KEY_FIRST_OPTION + OPTION_COUNT };

/* How a CDROM line comes about: built from a line of the text, added to a
 * file that had no [SETUP] section, or appended at the end of the section. */
enum { CDROM_FROM_LINE, CDROM_LETTER_ONLY, CDROM_APPENDED };

static int writeFailed;
static char writtenMarks[SETTINGS_KEY_LIST];

static const char *KeyListName(int entry)
{
    static const char *const fixed[KEY_FIRST_OPTION] = {
        "BASE", "EXTENDED", "CDROM", "FIXED", "SOUND", "VIDEO", "GAME", "LANGUAGE"
    };
    if (entry < KEY_FIRST_OPTION)
        return fixed[entry];
    if (entry < KEY_FIRST_BINDING)
        return optionKeys[entry - KEY_FIRST_OPTION];
    return keyBindingKeys[entry - KEY_FIRST_BINDING];
}

static int WriteBytes(HANDLE file, const char *text, size_t length)
{
    if (WriteToFile(file, text, (DWORD)length))
        return 1;
    writeFailed = 1;
    return 0;
}

int WriteTextLine(HANDLE file, const char *text)
{
    char buffer[512];
    lstrcpynA(buffer, text, sizeof(buffer) - 2);
    lstrcatA(buffer, "\r\n");
    return WriteToFile(file, buffer, (DWORD)strlen(buffer));
}

/* A generated line and its CR LF in the 260-byte buffer the game reads
 * QVX.INF with. */
enum { GENERATED_LINE_MAX = 257 };

int WriteKeyValueLine(HANDLE file, const char *key, const char *value)
{
    char line[260];
    FormatText(line, GENERATED_LINE_MAX + 1, "%s,%s", key, value ? value : "");
    lstrcatA(line, "\r\n");
    return WriteBytes(file, line, strlen(line));
}

int WriteOptionLine(HANDLE file, const char *source, int on)
{
    char line[260];
    const char *state = on ? "ON" : "OFF";
    size_t length = 0;
    int commas = 0;
    /* Up to the end or up to and including the third comma: the two
     * thresholds stay as they stood, the rest is replaced. */
    while (source[length] && commas < 3) {
        if (source[length] == ',')
            commas++;
        length++;
    }
    /* A line too long for the game is cut before its commas and state, so
     * that it still ends in three fields and ON or OFF. */
    while (length + (size_t)(3 - commas) + strlen(state) > GENERATED_LINE_MAX) {
        length--;
        if (source[length] == ',')
            commas--;
    }
    memcpy(line, source, length);
    for (; commas < 3; commas++)
        line[length++] = ',';
    line[length] = '\0';
    lstrcatA(line, state);
    lstrcatA(line, "\r\n");
    return WriteBytes(file, line, strlen(line));
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

static int WriteGeneratedLine(HANDLE file, int entry, const char *line, int cdromKind)
{
    char value[260];
    switch (entry) {
    case KEY_BASE:
        return WriteKeyValueLine(file, "BASE", NULL);
    case KEY_EXTENDED:
        FormatText(value, sizeof(value), "%lu", (unsigned long)(memoryStatus.dwTotalPhys / 1024));
        return WriteKeyValueLine(file, "EXTENDED", value);
    case KEY_CDROM: {
        value[0] = sourceDrive;
        value[1] = '\0';
        const char *colon = line ? strchr(line, ':') : NULL;
        if (cdromKind == CDROM_FROM_LINE && colon)
            lstrcpynA(value + 1, colon, sizeof(value) - 1);
        else if (cdromKind == CDROM_APPENDED)
            lstrcatA(value, ":\\OPTIONS");
        return WriteKeyValueLine(file, "CDROM", value);
    }
    case KEY_FIXED: {
        lstrcpynA(value, installDirectory, sizeof(value));
        size_t length = strlen(value);
        if (length)
            value[length - 1] = '\0';
        return WriteKeyValueLine(file, "FIXED", value);
    }
    case KEY_SOUND:
        SoundDeviceName(value);
        return WriteKeyValueLine(file, "SOUND", value);
    case KEY_VIDEO:
        ReadVideoDriverName();
        return WriteKeyValueLine(file, "VIDEO", videoDriverName);
    case KEY_GAME:
        return WriteKeyValueLine(file, "GAME", "ZEPH4W95.EXE");
    case KEY_LANGUAGE:
        FormatText(value, sizeof(value), "%ld", (long)gameSettings.LanguageIndex);
        return WriteKeyValueLine(file, "LANGUAGE", value);
    default:
        if (entry < KEY_FIRST_BINDING) {
            int option = entry - KEY_FIRST_OPTION;
            return WriteOptionLine(file, line ? line : optionKeys[option], gameSettings.OptionOn[option]);
        }
        FormatText(value, sizeof(value), "%ld", (long)gameSettings.KeyScanCodes[entry - KEY_FIRST_BINDING]);
        return WriteKeyValueLine(file, KeyListName(entry), value);
    }
}

static void WriteUnmarkedLines(HANDLE file, int cdromKind)
{
    for (int entry = 0; entry < SETTINGS_KEY_LIST; entry++)
        if (!writtenMarks[entry])
            WriteGeneratedLine(file, entry, NULL, cdromKind);
}

static int CopyLine(HANDLE file, const char *line)
{
    if (WriteTextLine(file, line))
        return 1;
    writeFailed = 1;
    return 0;
}

/* Copies lines of the text as they stand: count of them, or all that remain
 * when count is -1. Advances the text past them. */
static int CopyTextLines(HANDLE file, const char **text, long *remaining, int count)
{
    char line[LINE_CAPACITY];
    for (; *remaining > 0 && count != 0; count--) {
        int used = ReadTextLine(*text, *remaining, line, sizeof(line), 0);
        *text += used;
        *remaining -= used;
        if (!CopyLine(file, line))
            return 0;
    }
    return 1;
}

/* Writes the new text into an open file; 0 as soon as a write failed. */
static int WriteSettingsText(HANDLE file)
{
    const char *text = gameSettings.SettingsText;
    long remaining = (long)gameSettings.SettingsTextLength;
    char line[LINE_CAPACITY];

    memset(writtenMarks, 0, sizeof(writtenMarks));
    int section = FindSettingsSection(text, remaining);
    if (section < 0) {
        if (!CopyTextLines(file, &text, &remaining, -1) || !CopyLine(file, "[SETUP]"))
            return 0;
        WriteUnmarkedLines(file, CDROM_LETTER_ONLY);
        return !writeFailed;
    }

    if (!CopyTextLines(file, &text, &remaining, section + 1))
        return 0;

    int heldBack = 0;
    while (remaining > 0) {
        int used = ReadTextLine(text, remaining, line, sizeof(line), 0);
        text += used;
        remaining -= used;
        if (remaining > 0 && text[0] == '[') {
            heldBack = 1;   /* the section's last line, written after the added keys */
            break;
        }
        int matched = 0;
        for (int entry = 0; entry < SETTINGS_KEY_LIST; entry++) {
            if (MatchKeyword(line, KeyListName(entry))) {
                WriteGeneratedLine(file, entry, line, CDROM_FROM_LINE);
                writtenMarks[entry] = 1;
                matched = 1;
            }
        }
        if (!matched && !CopyLine(file, line))
            return 0;
    }

    WriteUnmarkedLines(file, CDROM_APPENDED);
    if (heldBack && (!CopyLine(file, line) || !CopyTextLines(file, &text, &remaining, -1)))
        return 0;
    return !writeFailed;
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
    writeFailed = 0;
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
