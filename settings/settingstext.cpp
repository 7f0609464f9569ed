/* The text of QVX.INF: lines of others are copied, the lines Outfitter owns
 * inside [SETUP] are generated anew, missing ones added at the end of the
 * section (or in a new section at the end of a file that had none). */
#include "settings/settingstext.h"
#include "settings/linesyntax.h"
#include "common/textformat.h"
#include <string.h>

const char *const optionKeys[OPTION_COUNT] = {
    "SHADOWS", "ANTIALIASING", "INTEREST_EFFECTS", "ACCURATE_SHADING", "SCROLLING_SKY", "SPOT_SOUNDS"
};

const char *const keyBindingKeys[KEY_COUNT] = {
    "KEY_UPONLY", "KEY_UPRIGHT", "KEY_RIGHT", "KEY_DOWNRIGHT", "KEY_DOWNONLY", "KEY_DOWNLEFT",
    "KEY_LEFT", "KEY_UPLEFT", "KEY_FIRE", "KEY_RUN", "KEY_CROUCH", "KEY_SHOOTHIGH",
    "KEY_SHOOTNORMAL", "KEY_FIGHTMODE", "KEY_PISTOL", "KEY_GRENADES", "KEY_FLAREGUN",
    "KEY_FLAMETHROWER", "KEY_MACHINEGUN", "KEY_EXPERIMENTALWEAPON", "KEY_BAZOOKA",
    "KEY_ROCKETLAUNCHER", "KEY_TARGETING", "KEY_MENU", "KEY_VUMAPPER", "KEY_MAP",
    "KEY_TOGGLE_TOOLBAR", "KEY_TOOLBAR_POSITION", "KEY_WEAPONS_TOOLS"
};

const char *const languageDirectories[8] = {
    "", "ENGLISH\\", "FRENCH\\", "GERMAN\\", "ITALIAN\\", "GREEK\\", "SPANISH\\", "JAPANESE\\"
};

enum { KEY_BASE, KEY_EXTENDED, KEY_CDROM, KEY_FIXED, KEY_SOUND, KEY_VIDEO, KEY_GAME,
       KEY_LANGUAGE, KEY_FIRST_OPTION, KEY_FIRST_BINDING = KEY_FIRST_OPTION + OPTION_COUNT };

/* How a CDROM line comes about: built from a line of the text, added to a
 * file that had no [SETUP] section, or appended at the end of the section. */
enum { CDROM_FROM_LINE, CDROM_LETTER_ONLY, CDROM_APPENDED };

/* A generated line and its CR LF in the 260-byte buffer the game reads
 * QVX.INF with. */
enum { GENERATED_LINE_MAX = 257 };

struct SettingsWriter {
    const SettingsValues *values;
    SettingsSink sink;
    void *context;
    int failed;
    char written[SETTINGS_KEY_LIST];
};

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

/* At most capacity - 1 characters of from, always ended. */
static void CopyText(char *to, const char *from, size_t capacity)
{
    size_t length = strlen(from);
    if (length > capacity - 1)
        length = capacity - 1;
    memcpy(to, from, length);
    to[length] = '\0';
}

/* A line of at most LINE_CAPACITY - 1 characters with its CR LF. */
static int WriteLine(SettingsWriter *writer, const char *text)
{
    char line[LINE_CAPACITY + 2];
    size_t length = strlen(text);
    memcpy(line, text, length);
    line[length++] = '\r';
    line[length++] = '\n';
    if (writer->sink(writer->context, line, length))
        return 1;
    writer->failed = 1;
    return 0;
}

static int WriteKeyValueLine(SettingsWriter *writer, const char *key, const char *value)
{
    char line[LINE_CAPACITY];
    FormatText(line, GENERATED_LINE_MAX + 1, "%s,%s", key, value ? value : "");
    return WriteLine(writer, line);
}

static int WriteOptionLine(SettingsWriter *writer, const char *source, int on)
{
    char line[LINE_CAPACITY];
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
    CopyText(line + length, state, sizeof(line) - length);
    return WriteLine(writer, line);
}

static int WriteGeneratedLine(SettingsWriter *writer, int entry, const char *line, int cdromKind)
{
    const SettingsValues *values = writer->values;
    char value[LINE_CAPACITY];
    switch (entry) {
    case KEY_BASE:
        return WriteKeyValueLine(writer, "BASE", NULL);
    case KEY_EXTENDED:
        FormatText(value, sizeof(value), "%lu", values->memoryKb);
        return WriteKeyValueLine(writer, "EXTENDED", value);
    case KEY_CDROM: {
        value[0] = values->cdDrive;
        value[1] = '\0';
        const char *colon = line ? strchr(line, ':') : NULL;
        if (cdromKind == CDROM_FROM_LINE && colon)
            CopyText(value + 1, colon, sizeof(value) - 1);
        else if (cdromKind == CDROM_APPENDED)
            CopyText(value + strlen(value), ":\\OPTIONS", sizeof(value) - strlen(value));
        return WriteKeyValueLine(writer, "CDROM", value);
    }
    case KEY_FIXED:
        return WriteKeyValueLine(writer, "FIXED", values->gameDirectory);
    case KEY_SOUND:
        return WriteKeyValueLine(writer, "SOUND", values->soundName);
    case KEY_VIDEO:
        return WriteKeyValueLine(writer, "VIDEO", values->videoName);
    case KEY_GAME:
        return WriteKeyValueLine(writer, "GAME", "ZEPH4W95.EXE");
    case KEY_LANGUAGE:
        FormatText(value, sizeof(value), "%ld", values->languageIndex);
        return WriteKeyValueLine(writer, "LANGUAGE", value);
    default:
        if (entry < KEY_FIRST_BINDING) {
            int option = entry - KEY_FIRST_OPTION;
            return WriteOptionLine(writer, line ? line : optionKeys[option], values->optionOn[option] != 0);
        }
        FormatText(value, sizeof(value), "%ld", values->keyScanCodes[entry - KEY_FIRST_BINDING]);
        return WriteKeyValueLine(writer, KeyListName(entry), value);
    }
}

static void WriteUnwrittenLines(SettingsWriter *writer, int cdromKind)
{
    for (int entry = 0; entry < SETTINGS_KEY_LIST; entry++)
        if (!writer->written[entry])
            WriteGeneratedLine(writer, entry, NULL, cdromKind);
}

/* Copies lines of the text as they stand: count of them, or all that remain
 * when count is -1. Advances the text past them. */
static int CopyTextLines(SettingsWriter *writer, const char **text, long *remaining, int count)
{
    char line[LINE_CAPACITY];
    for (; *remaining > 0 && count != 0; count--) {
        int used = ReadTextLine(*text, *remaining, line, sizeof(line), 0);
        *text += used;
        *remaining -= used;
        if (!WriteLine(writer, line))
            return 0;
    }
    return 1;
}

int WriteSettingsLines(const char *text, long remaining, const SettingsValues *values,
                       SettingsSink sink, void *context)
{
    SettingsWriter writer;
    writer.values = values;
    writer.sink = sink;
    writer.context = context;
    writer.failed = 0;
    memset(writer.written, 0, sizeof(writer.written));
    char line[LINE_CAPACITY];

    int section = FindSettingsSection(text, remaining);
    if (section < 0) {
        if (!CopyTextLines(&writer, &text, &remaining, -1) || !WriteLine(&writer, "[SETUP]"))
            return 0;
        WriteUnwrittenLines(&writer, CDROM_LETTER_ONLY);
        return !writer.failed;
    }

    if (!CopyTextLines(&writer, &text, &remaining, section + 1))
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
                WriteGeneratedLine(&writer, entry, line, CDROM_FROM_LINE);
                writer.written[entry] = 1;
                matched = 1;
            }
        }
        if (!matched && !WriteLine(&writer, line))
            return 0;
    }

    WriteUnwrittenLines(&writer, CDROM_APPENDED);
    if (heldBack && (!WriteLine(&writer, line) || !CopyTextLines(&writer, &text, &remaining, -1)))
        return 0;
    return !writer.failed;
}
