/* The programs on the CD link no C runtime library: Windows 95 as it comes
 * has none that a program may rely on (MSVCRT.DLL arrived later with other
 * software). This is what they would otherwise take from one: the start of
 * the process and the string and memory functions that the code and the
 * compiler call. Linked into the shipped programs only; the test programs
 * keep mingw's runtime, so these must behave as the C library's do.
 * Compiled with -fno-builtin -fno-tree-loop-distribute-patterns, so that the
 * loops below stay loops. */
#include <windows.h>
#include <limits.h>
#include <stddef.h>

extern "C" {

void *memcpy(void *to, const void *from, size_t count)
{
    unsigned char *d = (unsigned char *)to;
    const unsigned char *s = (const unsigned char *)from;
    while (count--)
        *d++ = *s++;
    return to;
}

void *memmove(void *to, const void *from, size_t count)
{
    unsigned char *d = (unsigned char *)to;
    const unsigned char *s = (const unsigned char *)from;
    if (d <= s || d >= s + count) {
        while (count--)
            *d++ = *s++;
    } else {
        while (count--)
            d[count] = s[count];
    }
    return to;
}

void *memset(void *to, int value, size_t count)
{
    unsigned char *d = (unsigned char *)to;
    while (count--)
        *d++ = (unsigned char)value;
    return to;
}

int memcmp(const void *first, const void *second, size_t count)
{
    const unsigned char *a = (const unsigned char *)first;
    const unsigned char *b = (const unsigned char *)second;
    for (; count; count--, a++, b++) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
    }
    return 0;
}

void *memchr(const void *block, int value, size_t count)
{
    const unsigned char *p = (const unsigned char *)block;
    for (; count; count--, p++) {
        if (*p == (unsigned char)value)
            return (void *)p;
    }
    return NULL;
}

size_t strlen(const char *text)
{
    const char *p = text;
    while (*p)
        p++;
    return (size_t)(p - text);
}

int strcmp(const char *first, const char *second)
{
    const unsigned char *a = (const unsigned char *)first;
    const unsigned char *b = (const unsigned char *)second;
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int strncmp(const char *first, const char *second, size_t count)
{
    const unsigned char *a = (const unsigned char *)first;
    const unsigned char *b = (const unsigned char *)second;
    for (; count; count--, a++, b++) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (!*a)
            break;
    }
    return 0;
}

char *strchr(const char *text, int value)
{
    for (;; text++) {
        if (*text == (char)value)
            return (char *)text;
        if (!*text)
            return NULL;
    }
}

char *strstr(const char *text, const char *wanted)
{
    if (!*wanted)
        return (char *)text;
    for (; *text; text++) {
        size_t i = 0;
        while (wanted[i] && text[i] == wanted[i])
            i++;
        if (!wanted[i])
            return (char *)text;
    }
    return NULL;
}

char *strrchr(const char *text, int value)
{
    const char *found = NULL;
    for (;; text++) {
        if (*text == (char)value)
            found = text;
        if (!*text)
            return (char *)found;
    }
}

char *strpbrk(const char *text, const char *set)
{
    for (; *text; text++) {
        for (const char *s = set; *s; s++) {
            if (*text == *s)
                return (char *)text;
        }
    }
    return NULL;
}

static int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 36;
}

/* As the C library's: leading white space, a sign, a 0x prefix for base 16
 * (or 0 for base 0), digits; out of range gives LONG_MAX or LONG_MIN; no
 * digits gives 0 with *end at the start. errno is not set. */
long strtol(const char *text, char **end, int base)
{
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        p++;
    int negative = 0;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        DigitValue(p[2]) < 16) {
        p += 2;
        base = 16;
    } else if (base == 0) {
        base = p[0] == '0' ? 8 : 10;
    }
    unsigned long limit = negative ? (unsigned long)LONG_MAX + 1 : (unsigned long)LONG_MAX;
    unsigned long value = 0;
    int digits = 0, overflow = 0;
    if (base >= 2 && base <= 36) {
        for (; DigitValue(*p) < base; p++, digits++) {
            unsigned long digit = (unsigned long)DigitValue(*p);
            if (value > (limit - digit) / (unsigned long)base)
                overflow = 1;
            else
                value = value * (unsigned long)base + digit;
        }
    }
    if (end)
        *end = (char *)(digits ? p : text);
    if (overflow)
        return negative ? LONG_MIN : LONG_MAX;
    return negative ? (long)(0UL - value) : (long)value;
}

/* Initialisers of globals that are not constants (a text looked up at
 * start, for one) are functions the compiler lists in .ctors; the linker
 * frames the list as __CTOR_LIST__: a count, or -1 when the list ends with a
 * null, then the functions, called last first. */
typedef void (*Initialiser)(void);
extern Initialiser __CTOR_LIST__[];

static void RunInitialisers(void)
{
    size_t count = (size_t)__CTOR_LIST__[0];
    if (count == (size_t)-1) {
        for (count = 0; __CTOR_LIST__[count + 1]; count++)
            ;
    }
    for (; count > 0; count--)
        __CTOR_LIST__[count]();
}

/* The process starts here instead of in a C runtime: the globals'
 * initialisers, the command line after the program's own name, the show
 * command that the starter asked for, WinMain, and the end of the process
 * with its answer. Windows 95 hands the entry point a stack aligned to 4
 * bytes only. */
#ifdef __i386__
__attribute__((force_align_arg_pointer))
#endif
void WinMainCRTStartup(void)
{
    RunInitialisers();
    char *line = GetCommandLineA();
    if (*line == '"') {
        for (line++; *line && *line != '"'; line++)
            ;
        if (*line == '"')
            line++;
    } else {
        while ((unsigned char)*line > ' ')
            line++;
    }
    while (*line && (unsigned char)*line <= ' ')
        line++;

    STARTUPINFOA startup;
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, line, show));
}

}
