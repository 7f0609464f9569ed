/* UVCONFIG.DAT and DIG.INI, the display and sound driver configurations that
 * the game keeps in its directory. Both are optional: missing means "Unknown",
 * silently. */
#include "settings/settings.h"
#include <string.h>

char videoDriverName[260] = "Unknown";
char soundDeviceName[260] = "Unknown";

enum { UVCONFIG_NAME_OFFSET = 21009, UVCONFIG_MIN_SIZE = 21024 };

char *LoadOptionalFile(const char *name, DWORD *size)
{
    char path[260];
    lstrcpynA(path, recordedDirectory, sizeof(path));
    size_t used = strlen(path);
    lstrcpynA(path + used, name, (int)(sizeof(path) - used));

    *size = 0;
    HANDLE file = OpenFileForRead(path);
    if (!file)
        return NULL;
    DWORD length = GetSizeOfFile(file);
    char *block = length ? (char *)AllocateMemory((LONG)length, 0) : NULL;
    if (!block || !ReadFromFile(file, block, length)) {
        FreeMemory(block);
        CloseFile(&file);
        return NULL;
    }
    CloseFile(&file);
    *size = length;
    return block;
}

void FreeOptionalFile(char *block)
{
    FreeMemory(block);
}

void TrimSpaces(char *text)
{
    if (!*text)
        return;
    char *first = text;
    while (*first == ' ')
        first++;
    if (!*first)
        return;   /* only spaces: left as it is */
    memmove(text, first, strlen(first) + 1);
    size_t length = strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        text[--length] = '\0';
}

/* An optional file is probed with the error boxes off: missing is silent. */
static char *LoadQuietly(const char *name, DWORD *size)
{
    ShowErrorBoxes = 0;
    char *data = LoadOptionalFile(name, size);
    ShowErrorBoxes = 1;
    return data;
}

int ReadVideoDriverName(void)
{
    lstrcpyA(videoDriverName, "Unknown");
    DWORD size;
    char *data = LoadQuietly("UVCONFIG.DAT", &size);
    if (!data)
        return 0;
    if (size > UVCONFIG_MIN_SIZE) {
        const char *name = data + UVCONFIG_NAME_OFFSET;
        DWORD room = size - UVCONFIG_NAME_OFFSET;
        const char *end = (const char *)memchr(name, '\0', room < 260 ? room : 260);
        if (end) {
            memcpy(videoDriverName, name, (size_t)(end - name) + 1);
            TrimSpaces(videoDriverName);
        }
    }
    FreeOptionalFile(data);
    return 1;
}

void ReadSoundDeviceName(void)
{
    lstrcpyA(soundDeviceName, "Unknown");
    DWORD size;
    char *data = LoadQuietly("DIG.INI", &size);
    if (!data)
        return;
    const char *text = data;
    long remaining = (long)size;
    char line[LINE_CAPACITY], upper[LINE_CAPACITY];
    while (remaining > 0) {
        int used = ReadTextLine(text, remaining, line, sizeof(line), 0);
        text += used;
        remaining -= used;
        lstrcpyA(upper, line);
        if (!MatchKeyword(upper, "DEVICE"))
            continue;
        const char *value = strchr(line, ' ');
        if (!value)
            value = line + strlen(line);
        while (*value == ' ')
            value++;
        lstrcpyA(soundDeviceName, value);
        TrimSpaces(soundDeviceName);
        break;
    }
    FreeOptionalFile(data);
}
