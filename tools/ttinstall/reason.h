/* The short English reasons that the CD readers write into a caller's
 * buffer (which may be NULL) when they answer 0 or -1. No Win32. */
#ifndef TT_REASON_H
#define TT_REASON_H

#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>

/* Formats the reason; answers 0, for "return Refuse(...)". */
static inline int Refuse(char *reason, size_t reasonSize, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
static inline int Refuse(char *reason, size_t reasonSize, const char *format, ...)
{
    if (reason && reasonSize) {
        va_list args;
        va_start(args, format);
        vsnprintf(reason, reasonSize, format, args);
        va_end(args);
    }
    return 0;
}

#endif
