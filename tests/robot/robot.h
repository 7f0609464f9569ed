// The GUI test robot: watches the top-level windows of the programs under
// test, writes what it sees into a transcript and acts on a scenario file.
// See tests/robot/SCENARIOS.md for the scenario language and the transcript.
#ifndef TT_ROBOT_H
#define TT_ROBOT_H

#include <windows.h>

#define ROBOT_POLL_MS 50        // how often windows and processes are looked at
#define ROBOT_SETTLE_MS 150     // a window is recorded when unchanged this long
#define ROBOT_COVERED_MS 3000   // how long a new box's covered icon is read again
#define ROBOT_BLOCK 8192        // one window block of the transcript, UTF-8
#define ROBOT_TEXT 1024         // one control's text, UTF-8
#define ROBOT_MAX_WINDOWS 64    // windows watched at one time
#define ROBOT_MAX_BLOCKS 128    // recorded blocks kept for matching
#define ROBOT_MAX_IGNORED 32

/* watch.cpp */
// A window block as recorded: seq counts the blocks of the run from 1.
struct RecordedBlock {
  int seq;
  HWND hwnd;
  int box;                      // a message box
  char caption[ROBOT_TEXT];
  char body[ROBOT_BLOCK];       // the block's lines after the header
};

int OpenTranscript(const wchar_t *path);
void CloseTranscript(void);
void WriteTranscript(const char *line);          // one line, '\n' added
void IgnoreWindowClass(const char *utf8);
void IgnoreProcess(const char *utf8);
int IsSystemProcess(const wchar_t *exeName);
void PollWindows(void);                          // one look at every window
void LookAtWindows(int record);                  // the same, recording settled ones only if record
int AllWindowsStill(void);                       // none changed within the settling time
int LastBlockSeq(void);
const RecordedBlock *FindBlock(int afterSeq, const char *text, int boxOnly, int openOnly);
int IsWindowSettled(HWND hwnd);                  // open, recorded and unchanged since
int AllWindowsSettled(void);
int OpenWindows(HWND *out, int *box, int max, int afterSeq);  // settled, newer than afterSeq
int IsTrackedBox(HWND hwnd);
void DumpOpenWindows(void);                      // for failure reports
void RememberEarlierProcesses(void);             // at start: what runs is not under test
int ListRunningPrograms(char *out, int size);    // programs under test still running; their count
int WindowProcessName(HWND hwnd, char *out, int size);

/* screen.cpp */
const char *ClassifyIcon(HWND iconStatic);       // "error", "warning", ... or "unknown"
int SaveScreenBitmap(const wchar_t *path);

/* robot.cpp */
void ToUtf8(const wchar_t *in, char *out, int size);
void FromUtf8(const char *in, wchar_t *out, int size);
DWORD Now(void);

#endif
