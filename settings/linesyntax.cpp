/* Line reader, comma fields, keyword matching and key lookups over a text in
 * memory. */
#include "settings/linesyntax.h"
#include <stdlib.h>
#include <string.h>

/* The message about an over-long line is shown once per text and run, not
 * once per line and lookup: a settings file full of such lines would
 * otherwise bring up box after box. Every walk over a text, from whichever
 * line, ends at the same last bytes, so a text is known by them. */
enum { REMEMBERED_TEXTS = 16, TEXT_MARK_BYTES = 64 };
static unsigned long reportedTexts[REMEMBERED_TEXTS];
static int reportedCount;

static int FirstReportForText(const char *text, long remaining)
{
    long count = remaining < TEXT_MARK_BYTES ? remaining : TEXT_MARK_BYTES;
    unsigned long mark = 2166136261UL;
    for (const char *p = text + remaining - count; p < text + remaining; p++)
        mark = ((mark ^ (unsigned char)*p) * 16777619UL) & 0xFFFFFFFFUL;
    int known = reportedCount < REMEMBERED_TEXTS ? reportedCount : REMEMBERED_TEXTS;
    for (int i = 0; i < known; i++)
        if (reportedTexts[i] == mark)
            return 0;
    reportedTexts[reportedCount++ % REMEMBERED_TEXTS] = mark;
    return 1;
}

int ReadTextLine(const char *text, long remaining, char *line, int capacity, int skipBlank)
{
    long length = 0;
    while (length < remaining && text[length] != '\r')
        length++;

    if (length + 1 > capacity) {
        if (FirstReportForText(text, remaining))
            ReportLongLine();
        /* The line is consumed but not delivered: an empty line matches no key. */
        if (capacity > 0)
            line[0] = '\0';
    } else {
        memcpy(line, text, (size_t)length);
        line[length] = '\0';
    }

    long used = length;
    if (skipBlank) {
        /* Every byte below 32 as a signed char: CR, LF, blank lines, control
         * characters and bytes 128-255 at the start of the next line. */
        while (used < remaining && (signed char)text[used] < 32)
            used++;
    } else {
        if (remaining - used >= 2 && text[used] == '\r' && text[used + 1] == '\n')
            used += 2;
        else if (used == 0 && remaining > 0)
            used = 1;   /* a lone CR is an empty line of its own */
    }
    return (int)used;
}

int GetLineField(const char *line, char *field, int capacity)
{
    const char *comma = strchr(line, ',');
    if (!comma)
        return -1;
    const char *start = comma + 1;
    const char *end = strchr(start, ',');
    size_t length = end ? (size_t)(end - start) : strlen(start);
    if ((long)length + 1 > capacity) {
        ReportLongLine();
        return -1;
    }
    int out = 0;
    for (size_t i = 0; i < length; i++) {
        signed char c = (signed char)start[i];
        if (c >= 32 && c <= 122)
            field[out++] = (char)c;
    }
    field[out] = '\0';
    return (int)(start - line);
}

int MatchKeyword(char *line, const char *key)
{
    size_t lineLength = strlen(line), keyLength = strlen(key);
    size_t n = lineLength < keyLength ? lineLength : keyLength;
    if (n == 0)
        return 0;
    for (char *p = line; *p; p++)
        if (*p >= 'a' && *p <= 'z')
            *p = (char)(*p - 'a' + 'A');
    return strncmp(line, key, n) == 0;
}

long TextToNumber(const char *text)
{
    return strtol(text, NULL, 10);
}

int FindKeyLine(const char *text, long length, const char *key, char *line, int skipBlank)
{
    while (length > 0) {
        int used = ReadTextLine(text, length, line, LINE_CAPACITY, skipBlank);
        text += used;
        length -= used;
        if (MatchKeyword(line, key))
            return 1;
    }
    return 0;
}

long LookupNumber(const char *text, long length, const char *key, int skipBlank)
{
    char line[LINE_CAPACITY], field[LINE_CAPACITY];
    if (!FindKeyLine(text, length, key, line, skipBlank))
        return -1;
    if (GetLineField(line, field, sizeof(field)) < 0)
        return 0;
    return TextToNumber(field);
}

int LookupText(const char *text, long length, const char *key, char *field, int capacity, int skipBlank)
{
    char line[LINE_CAPACITY];
    if (!FindKeyLine(text, length, key, line, skipBlank))
        return 0;
    return GetLineField(line, field, capacity) >= 0;
}

int LookupFlag(const char *text, long length, const char *key, int skipBlank)
{
    char line[LINE_CAPACITY];
    if (!FindKeyLine(text, length, key, line, skipBlank))
        return 0;
    return strstr(line, ",ON") != NULL;
}

int FindSettingsSection(const char *text, long length)
{
    char line[LINE_CAPACITY];
    int index = 0;
    while (length > 0) {
        int used = ReadTextLine(text, length, line, LINE_CAPACITY, 0);
        text += used;
        length -= used;
        if (MatchKeyword(line, "[SETUP]"))
            return index;
        index++;
    }
    return -1;
}

long GetFirstNumber(const char *text, long length, const char *key)
{
    char line[LINE_CAPACITY], field[LINE_CAPACITY];
    if (!FindKeyLine(text, length, key, line, 1))
        return 0;
    if (GetLineField(line, field, sizeof(field)) < 0)
        return 0;
    return TextToNumber(field);
}

long GetSecondNumber(const char *text, long length, const char *key)
{
    char line[LINE_CAPACITY], field[LINE_CAPACITY];
    if (!FindKeyLine(text, length, key, line, 1))
        return 0;
    int first = GetLineField(line, field, sizeof(field));
    if (first < 0)
        return 0;
    if (GetLineField(line + first, field, sizeof(field)) < 0)
        return 0;
    return TextToNumber(field);
}
