/*
 * Text formatting into a fixed buffer, for code that must not depend on a C
 * runtime's printf (the shipped programs link none) and that also builds
 * natively. Needs no Win32.
 */
#ifndef TEXTFORMAT_H
#define TEXTFORMAT_H

#include <stdarg.h>
#include <stddef.h>

/* textformat.cpp: %s %c %d %i %u %x %X %% with the flags '-' and '0', a
 * width, a precision (for %s: at most that many characters) and the length
 * modifier l. The text is cut to size - 1 characters and always ends; the
 * answer is the number of characters stored. */
int FormatText(char *buffer, size_t size, const char *format, ...);
int FormatTextList(char *buffer, size_t size, const char *format, va_list args);

/* Bounded copies into fixed buffers: 1 when the whole text fit, 0 when it was
 * cut (the result is terminated either way). */
int CopyText(char *to, size_t size, const char *from);
int AppendText(char *to, size_t size, const char *from);

/* Upper-cases a Windows-1252 text in place, letter for letter as CharUpperA
 * does in that code page (ß and µ have no capital and stay). */
void UpperCaseText(char *text);

#endif
