/*
 * The line syntax of every text file the suite reads: lines end at CR (the LF
 * after it is consumed), a line is a key followed by comma-separated fields,
 * keys are compared case-insensitively by upper-casing the line in place.
 * Needs no Win32: the texts are in memory.
 */
#ifndef LINESYNTAX_H
#define LINESYNTAX_H

enum { LINE_CAPACITY = 260 };

/* Provided by each program: the message for a line or field that does not fit
 * its buffer (Outfitter and Chooser word it differently). */
void ReportLongLine(void);

int ReadTextLine(const char *text, long remaining, char *line, int capacity, int skipBlank);
int GetLineField(const char *line, char *field, int capacity);
int MatchKeyword(char *line, const char *key);
long TextToNumber(const char *text);

/* Lookups over a whole text, first matching line wins. skipBlank chooses how
 * the lines are read (Outfitter's lookups skip blank lines, Chooser's don't). */
int FindKeyLine(const char *text, long length, const char *key, char *line, int skipBlank);
long LookupNumber(const char *text, long length, const char *key, int skipBlank);
int LookupText(const char *text, long length, const char *key, char *field, int capacity, int skipBlank);
int LookupFlag(const char *text, long length, const char *key, int skipBlank);

int FindSettingsSection(const char *text, long length);
long GetFirstNumber(const char *text, long length, const char *key);
long GetSecondNumber(const char *text, long length, const char *key);

#endif
