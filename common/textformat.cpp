/* A small printf for fixed buffers: the conversions the programs use, and
 * nothing that needs a C runtime or a locale. */
#include "common/textformat.h"
#include <string.h>

struct TextSink {
    char *buffer;
    size_t size;    /* room including the terminating zero */
    size_t used;
};

static void Put(TextSink *sink, char c)
{
    if (sink->used + 1 < sink->size)
        sink->buffer[sink->used++] = c;
}

static void PutPadding(TextSink *sink, char c, int count)
{
    for (; count > 0; count--)
        Put(sink, c);
}

/* A field: padding to width on the left (or, with '-', on the right). Zero
 * padding goes after a sign. */
static void PutField(TextSink *sink, const char *text, int length, int width, int leftAlign,
                     int zeroPad)
{
    int padding = width > length ? width - length : 0;
    if (!leftAlign && zeroPad && length > 0 && text[0] == '-') {
        Put(sink, '-');
        text++;
        length--;
        PutPadding(sink, '0', padding);
    } else if (!leftAlign) {
        PutPadding(sink, zeroPad ? '0' : ' ', padding);
    }
    for (int i = 0; i < length; i++)
        Put(sink, text[i]);
    if (leftAlign)
        PutPadding(sink, ' ', padding);
}

/* Digits of value in base, most significant first, after a '-' when asked. */
static int NumberText(char *text, unsigned long value, unsigned base, int negative, int upper)
{
    const char *digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[24];
    int count = 0;
    do {
        reversed[count++] = digits[value % base];
        value /= base;
    } while (value);
    int length = 0;
    if (negative)
        text[length++] = '-';
    while (count)
        text[length++] = reversed[--count];
    return length;
}

int FormatTextList(char *buffer, size_t size, const char *format, va_list args)
{
    TextSink sink = {buffer, size, 0};
    if (!buffer || size == 0)
        return 0;
    for (const char *p = format; *p; p++) {
        if (*p != '%') {
            Put(&sink, *p);
            continue;
        }
        p++;
        int leftAlign = 0, zeroPad = 0, width = 0, precision = -1, isLong = 0;
        for (;; p++) {
            if (*p == '-')
                leftAlign = 1;
            else if (*p == '0')
                zeroPad = 1;
            else
                break;
        }
        for (; *p >= '0' && *p <= '9'; p++)
            width = width * 10 + (*p - '0');
        if (*p == '.') {
            precision = 0;
            for (p++; *p >= '0' && *p <= '9'; p++)
                precision = precision * 10 + (*p - '0');
        }
        if (*p == 'l') {
            isLong = 1;
            p++;
        }
        char number[24];
        switch (*p) {
        case 's': {
            const char *text = va_arg(args, const char *);
            if (!text)
                text = "(null)";
            int length = 0;
            while (text[length] && (precision < 0 || length < precision))
                length++;
            PutField(&sink, text, length, width, leftAlign, 0);
            break;
        }
        case 'c':
            number[0] = (char)va_arg(args, int);
            PutField(&sink, number, 1, width, leftAlign, 0);
            break;
        case 'd':
        case 'i': {
            long value = isLong ? va_arg(args, long) : va_arg(args, int);
            unsigned long magnitude = value < 0 ? 0UL - (unsigned long)value : (unsigned long)value;
            PutField(&sink, number, NumberText(number, magnitude, 10, value < 0, 0), width,
                     leftAlign, zeroPad);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned long value = isLong ? va_arg(args, unsigned long) : va_arg(args, unsigned);
            PutField(&sink, number, NumberText(number, value, *p == 'u' ? 10 : 16, 0, *p == 'X'),
                     width, leftAlign, zeroPad);
            break;
        }
        case '%':
            Put(&sink, '%');
            break;
        default:
            /* Unknown conversion (or the format ended): stop here rather
             * than guess at the arguments. */
            buffer[sink.used] = '\0';
            return (int)sink.used;
        }
    }
    buffer[sink.used] = '\0';
    return (int)sink.used;
}

int FormatText(char *buffer, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int length = FormatTextList(buffer, size, format, args);
    va_end(args);
    return length;
}

int CopyText(char *to, size_t size, const char *from)
{
    if (!size)
        return 0;
    size_t length = strlen(from);
    if (length >= size) {
        memcpy(to, from, size - 1);
        to[size - 1] = '\0';
        return 0;
    }
    memcpy(to, from, length + 1);
    return 1;
}

int AppendText(char *to, size_t size, const char *from)
{
    size_t used = strlen(to);
    if (used >= size)
        return 0;
    return CopyText(to + used, size - used, from);
}

void UpperCaseText(char *text)
{
    for (unsigned char *p = (unsigned char *)text; *p; p++) {
        unsigned char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c != 0xF7 && c != 0xFF))
            *p = (unsigned char)(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E)
            *p = (unsigned char)(c - 0x10);
        else if (c == 0xFF)
            *p = 0x9F;
    }
}
