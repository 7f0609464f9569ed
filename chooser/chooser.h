/*
 * Chooser, the CD's autorun program: starts the Outfitter of the chosen or the
 * installed language from \DATA1\ of the current drive, or nothing when the
 * CD's autorun starts it on a machine with the game.
 */
#ifndef CHOOSER_H
#define CHOOSER_H

#include <windows.h>

enum { CHOOSER_PATH = 260 };

/* language.cpp: QVX.INF as Chooser reads it */
extern LONG languageNumber;                    /* 1 English ... 7 Japanese; -1 no LANGUAGE line */
extern char markerFile[CHOOSER_PATH];          /* INSTALLED_FILE, upper case */
extern char *settingsText;                     /* the whole file; null when none is loaded */
extern DWORD settingsLength;
extern const char chooserCaption[];            /* "Language Selector" */
int LoadLanguageSettings(const char *directory);
void DiscardLanguageSettings(void);

/* dialog.cpp */
INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ChooseLanguage(HINSTANCE instance);    /* 1 OK (languageNumber set), else not */

/* chooser.cpp */
const char *ChooserArgument(const char *commandLine);
int IsAutorunArgument(const char *argument);
int ReadGameRecord(char *directory);           /* 260 bytes; 1 when the game is recorded */
const char *LaunchEntry(LONG language);        /* English for a number outside 1-7 */
int LaunchSetup(LONG language);
LONG LookUpInstalledLanguage(const char *recorded);
int RunChooser(HINSTANCE instance, const char *commandLine);

#endif
