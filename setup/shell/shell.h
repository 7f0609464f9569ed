/*
 * Outfitter's shell: start-up and modes, the full-screen main window, the
 * wizard pages and the progress display.
 */
#ifndef SHELL_H
#define SHELL_H

#include "common/general.h"
#include "settings/installstate.h"

/* startup.cpp */
enum { RUN_NORMAL = 0, RUN_UNINSTALL = 1, RUN_SYSTEMINFO = 2 };
enum { WM_RUN_INSTALL = WM_USER, WM_RUN_RECONFIGURE = WM_USER + 1, WM_RUN_UNINSTALL = WM_USER + 2 };
extern HINSTANCE appInstance;
extern int RunMode;
extern int installationLocated;
extern int rebootNeeded;
char *SkipProgramPath(char *commandLine);
int CheckWindowsVersion(void);
void ReadCommandLine(char *arguments);       /* sets RunMode, uninstallDrive and the CD drive */
int IsRelaunchedCopy(char *arguments);       /* mode 0 with FROM: the copy in the temporary directory */

/* words.cpp: SILENT, DIR:, GROUP:NO and LOG: of an unattended run */
extern int silentRun;
extern int groupWanted;                      /* 0 after GROUP:NO */
extern char givenDirectory[260];             /* DIR:, empty when not given */
extern char logPath[260];                    /* LOG:, empty when not given */
extern int directoryTooLong;                 /* a DIR: or LOG: value too long for its buffer */
extern int logPathTooLong;
int ReadUnattendedWords(char *arguments);    /* takes them out of the text; 1 when there were any */
/* The argument text of the command line, the words read and taken out of it
 * (*unattendedWords 1 when there were any). */
char *ReadArgumentText(char *commandLine, int *unattendedWords);
int ComposeUnattendedWords(char *words, size_t size);   /* the same words again, each after a blank */
char ProgramDrive(void);

/* firstquestion.cpp */
void AskFirstQuestion(void);                 /* modes 0 and 1: posts the flow message or ends the program */

/* mainwindow.cpp */
extern int lowColour;
extern HFONT titleFont;
extern HFONT textFont;
extern const char *statusText;
extern BitmapImage primaryBackground;        /* loaded in colour, the progress reveals from it */
extern BitmapImage displayedBackground;      /* the one painted; grey until revealed */
int RegisterMainWindowClass(void);
HWND CreateMainWindow(int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/* Runs the flow of a posted WM_RUN_ message; 0 asks for the main window to be
 * destroyed. Installed by the program on top of the shell (outfit.cpp), so
 * the shell does not depend on the flows it starts. */
typedef int (*FlowHandler)(UINT message);
void SetFlowHandler(FlowHandler handler);
void FreeBackground(BitmapImage *image);     /* palette, block, and the record zeroed */

/* bitmappair.cpp: Outfitter's edition of the bitmap loader */
int LoadBitmapPair(const char *name, BitmapImage *primary, BitmapImage *secondary);
int MakeMonochrome(BitmapImage *image);

/* pages.cpp */
enum { IDC_PATH = 1001, IDC_NEXT = 1002, IDC_BACK = 1003, IDC_TITLE = 1004, IDC_TEXT = 1005,
       IDC_CANCEL = 1018, IDC_PICTURE = 1019 };
struct PageDescription {
    int backEnabled, nextEnabled, cancelEnabled;
    const char *backLabel, *nextLabel, *cancelLabel;
    const char *title, *text;
    int defaultButton;
    int bitmap;
};
extern PageDescription page;
void SetPage(int backEnabled, int nextEnabled, int cancelEnabled, const char *backLabel,
             const char *nextLabel, const char *cancelLabel, const char *title, const char *text,
             int defaultButton, int bitmap);
int ShowPage(void);
/* Unit tests stand in for the user here, as BoxRecorder does for boxes: with
 * a hook installed, ShowPage returns its answer instead of opening a dialog. */
typedef int (*PageHook)(const PageDescription *shown);
PageHook SetPageHook(PageHook hook);
void InitPageDialog(HWND dialog);
int ConfirmCancel(void);                     /* 1 when the user really wants to leave */
int WantsToLeave(int id);                    /* the confirmation, when the third button reads "Cancelar" */
int LowColourBitmap(int bitmap);             /* the 16-colour edition of a page picture */
void ReleasePageBitmap(void);                /* every wizard procedure calls it at WM_DESTROY */
INT_PTR CALLBACK PageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* progress.cpp */
extern HWND progressBar;
extern char percentageText[16];
extern char timeLeftText[40];                /* empty until an estimate is shown */
extern LONG revealedRows;
extern LONG pictureRows;
void ResetProgress(void);
int OpenProgress(void);
int ProgressStep(void);
/* The least time between two drawings of the progress display, in ms; what
 * a step changes sooner is drawn by a later step. */
enum { PROGRESS_PACE = 20 };
/* Called at the end of every step, with 1 when the screen shows all of it
 * and 0 when its drawing was left to a later step, and by CloseProgress with
 * PROGRESS_CLOSING once it has drawn what the last steps left, before the bar
 * goes: tests count the steps with it, and a test run can slow the copy
 * through it to watch the display. */
enum { PROGRESS_CLOSING = -1 };
typedef void (*ProgressHook)(int drawn);
ProgressHook SetProgressHook(ProgressHook hook);
int CloseProgress(void);
void SetStatusText(const char *text);
void DrawMainWindowArea(const RECT *area, int erase);
/* The screen's width and height, as the main window last saw them. */
int ScreenWidth(void);
int ScreenHeight(void);

#endif
