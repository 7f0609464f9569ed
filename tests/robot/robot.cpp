// The GUI test robot's start-up and scenario steps.
//
//   robot.exe SCENARIO OUTDIR
//
// Runs the steps of SCENARIO (UTF-8, see SCENARIOS.md) and writes
// OUTDIR\transcript.txt and the screenshots OUTDIR\NAME.bmp. Exit code 0 when
// every step passed, 1 when one failed (the robot stops at the first failure),
// 2 when the command line or the scenario's syntax is wrong.
#include "robot.h"
#include <shellapi.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_LINES 2000
#define LINE_SIZE 2048

/* GLOBALS */

static char scenario[MAX_LINES][LINE_SIZE];
static int lineCount;
static wchar_t outDir[MAX_PATH];
static DWORD timeoutMs = 10000;
static int mark;                 // the last block recorded before the last action
static HWND current;             // the window that the last expect chose
static int failedLine;

/* FUNCTIONS */

void ToUtf8(const wchar_t *in, char *out, int size)
{
  if (!WideCharToMultiByte(CP_UTF8, 0, in, -1, out, size, NULL, NULL)) out[0] = 0;
  out[size - 1] = 0;
}

void FromUtf8(const char *in, wchar_t *out, int size)
{
  if (!MultiByteToWideChar(CP_UTF8, 0, in, -1, out, size)) out[0] = 0;
  out[size - 1] = 0;
}

DWORD Now(void)
{
  return GetTickCount();
}

static void Log(const char *format, ...)
{
  char line[LINE_SIZE + 256];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  WriteTranscript(line);
}

// Reports a failed step in the transcript and on stderr, with what was open
// and a screenshot failure.bmp, and ends the run.
static void Fail(int lineNo, const char *format, ...)
{
  char reason[LINE_SIZE + 256];
  va_list args;
  va_start(args, format);
  vsnprintf(reason, sizeof(reason), format, args);
  va_end(args);
  fprintf(stderr, "robot: scenario line %d: %s\n", lineNo, reason);
  Log("! line %d: %s", lineNo, reason);
  PollWindows();
  DumpOpenWindows();
  wchar_t path[MAX_PATH];
  _snwprintf(path, MAX_PATH, L"%ls\\failure.bmp", outDir);
  path[MAX_PATH - 1] = 0;
  SaveScreenBitmap(path);
  failedLine = lineNo;
}

// Waits ms milliseconds while watching the windows.
static void Watch(DWORD ms)
{
  DWORD start = Now();
  do {
    PollWindows();
    Sleep(ROBOT_POLL_MS);
  } while (Now() - start < ms);
  PollWindows();
}

static int ReadScenario(const wchar_t *path)
{
  FILE *f = _wfopen(path, L"rb");
  if (!f) return 0;
  char line[LINE_SIZE];
  while (lineCount < MAX_LINES && fgets(line, sizeof(line), f)) {
    char *p = line;
    if (lineCount == 0 && !strncmp(p, "\xEF\xBB\xBF", 3)) p += 3;
    size_t n = strlen(p);
    while (n && (p[n - 1] == '\n' || p[n - 1] == '\r' || p[n - 1] == ' ' || p[n - 1] == '\t')) p[--n] = 0;
    while (*p == ' ' || *p == '\t') p++;
    lstrcpynA(scenario[lineCount++], p, LINE_SIZE);
  }
  fclose(f);
  return 1;
}

// Splits "command rest" in place: answers the rest (without the blanks that
// follow the command), "" when there is none.
static char *SplitCommand(char *line)
{
  char *p = line;
  while (*p && *p != ' ' && *p != '\t') p++;
  if (!*p) return p;
  *p++ = 0;
  while (*p == ' ' || *p == '\t') p++;
  return p;
}

// An argument in double quotes loses them, so that it may carry blanks at
// its ends or look like a number.
static int Unquote(char *arg)
{
  size_t n = strlen(arg);
  if (n >= 2 && arg[0] == '"' && arg[n - 1] == '"') {
    memmove(arg, arg + 1, n - 2);
    arg[n - 2] = 0;
    return 1;
  }
  return 0;
}

static int ParseNumber(const char *arg, long *value)
{
  char *end;
  if (!*arg) return 0;
  *value = strtol(arg, &end, 10);
  return *end == 0;
}

// A button named by its identifier, by a message box's symbolic one, or by
// its label; *id is -1 for a label.
static void ParseButton(char *arg, long *id)
{
  static const struct { const char *name; long id; } names[] = {
    { "IDOK", IDOK }, { "IDCANCEL", IDCANCEL }, { "IDABORT", IDABORT }, { "IDRETRY", IDRETRY },
    { "IDIGNORE", IDIGNORE }, { "IDYES", IDYES }, { "IDNO", IDNO },
  };
  if (Unquote(arg)) {
    *id = -1;
    return;
  }
  if (ParseNumber(arg, id)) return;
  for (unsigned i = 0; i < sizeof(names) / sizeof(names[0]); i++)
    if (!lstrcmpA(arg, names[i].name)) {
      *id = names[i].id;
      return;
    }
  *id = -1;
}

static void StripMnemonic(const char *in, char *out, int size)
{
  int n = 0;
  for (const char *p = in; *p && n < size - 1; p++) {
    if (*p == '&' && p[1] == '&') out[n++] = *++p;
    else if (*p != '&') out[n++] = *p;
  }
  out[n] = 0;
}

// The visible button of window win with identifier id, or with label (its
// mnemonic ampersands ignored) when id is -1.
static HWND FindButton(HWND win, long id, const char *label)
{
  char want[LINE_SIZE];
  StripMnemonic(label, want, sizeof(want));
  for (HWND c = GetWindow(win, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[32], wtext[512];
    GetClassNameW(c, cls, 32);
    if (lstrcmpiW(cls, L"Button") || !IsWindowVisible(c)) continue;
    if (id >= 0) {
      if ((GetWindowLongPtrW(c, GWLP_ID) & 0xFFFF) == id) return c;
      continue;
    }
    char text[LINE_SIZE], plain[LINE_SIZE];
    int n = InternalGetWindowText(c, wtext, 512);
    wtext[n > 0 ? n : 0] = 0;
    ToUtf8(wtext, text, sizeof(text));
    StripMnemonic(text, plain, sizeof(plain));
    if (!strcmp(plain, want)) return c;
  }
  return NULL;
}

static HWND FindEdit(HWND win, long id)
{
  HWND c = GetDlgItem(win, (int)id);
  wchar_t cls[32];
  if (!c || !GetClassNameW(c, cls, 32)) return NULL;
  return (!lstrcmpiW(cls, L"Edit") || !lstrcmpiW(cls, L"ComboBox")) ? c : NULL;
}

// The window that a click, answer or type addresses, and its control: the
// current window when one was chosen by expect (it must still be open),
// otherwise the first settled window that appeared or changed since the last
// action and holds such a control. Waits up to the time-out.
static int FindTarget(int lineNo, int boxOnly, int edit, long id, const char *label, HWND *win, HWND *control)
{
  DWORD start = Now();
  if (current && !IsWindow(current)) {
    Fail(lineNo, "the window chosen by the last expect has closed");
    return 0;
  }
  if (current && boxOnly && !IsTrackedBox(current)) current = NULL;
  int sawDisabled = 0;
  for (;;) {
    PollWindows();
    HWND list[ROBOT_MAX_WINDOWS];
    int box[ROBOT_MAX_WINDOWS];
    int n;
    if (current) {
      n = IsWindowSettled(current) ? 1 : 0;
      list[0] = current;
      box[0] = IsTrackedBox(current);
    } else {
      n = OpenWindows(list, box, ROBOT_MAX_WINDOWS, mark);
    }
    for (int i = 0; i < n; i++) {
      if (boxOnly && !box[i]) continue;
      HWND c = edit ? FindEdit(list[i], id) : FindButton(list[i], id, label);
      if (c && IsWindowEnabled(c)) {
        *win = list[i];
        *control = c;
        return 1;
      }
      if (c) sawDisabled = 1;
    }
    if (Now() - start > timeoutMs) break;
    Sleep(ROBOT_POLL_MS);
  }
  const char *what = edit ? "edit control" : "button";
  const char *where = current ? "in the window chosen by the last expect" :
                      boxOnly ? "in a message box that appeared since the last action" :
                                "in a window that appeared since the last action";
  char name[LINE_SIZE + 32];
  if (id >= 0) snprintf(name, sizeof(name), "%s %ld", what, id);
  else snprintf(name, sizeof(name), "%s \"%s\"", what, label);
  if (sawDisabled) Fail(lineNo, "%s %s stays disabled (waited %lu s)", name, where, timeoutMs / 1000);
  else Fail(lineNo, "no %s %s (waited %lu s)", name, where, timeoutMs / 1000);
  return 0;
}

static int StepExpect(int lineNo, char *arg, int boxOnly, int openOnly)
{
  Unquote(arg);
  if (!*arg) {
    Fail(lineNo, "expect needs a text");
    return 0;
  }
  Log("> %s \"%s\"", openOnly ? "window" : boxOnly ? "expect-box" : "expect", arg);
  DWORD start = Now();
  for (;;) {
    PollWindows();
    const RecordedBlock *b = FindBlock(openOnly ? 0 : mark, arg, boxOnly, openOnly);
    if (b) {
      current = b->hwnd;
      return 1;
    }
    if (Now() - start > timeoutMs) break;
    Sleep(ROBOT_POLL_MS);
  }
  Fail(lineNo, "no %s showing \"%s\" %s(waited %lu s)", boxOnly ? "message box" : "window", arg,
       openOnly ? "is open " : "appeared since the last action ", timeoutMs / 1000);
  return 0;
}

static int StepClick(int lineNo, char *arg, int boxOnly)
{
  long id;
  ParseButton(arg, &id);
  HWND win, button;
  if (!FindTarget(lineNo, boxOnly, 0, id, arg, &win, &button)) return 0;
  char text[LINE_SIZE];
  wchar_t wtext[512];
  int n = InternalGetWindowText(button, wtext, 512);
  wtext[n > 0 ? n : 0] = 0;
  ToUtf8(wtext, text, sizeof(text));
  int bid = (int)(GetWindowLongPtrW(button, GWLP_ID) & 0xFFFF);
  Log("> %s %d \"%s\"", boxOnly ? "answer" : "click", bid, text);

  // Posted, never sent: the click may open a modal loop or start a long copy,
  // and a sent message would not come back until that ends.
  LONG type = (LONG)GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(bid, BN_CLICKED), (LPARAM)button);
  else
    PostMessageW(button, BM_CLICK, 0, 0);
  mark = LastBlockSeq();
  current = NULL;
  return 1;
}

static int StepType(int lineNo, char *arg)
{
  char *text = SplitCommand(arg);
  long id;
  if (!ParseNumber(arg, &id)) {
    Fail(lineNo, "type needs an edit control's identifier");
    return 0;
  }
  Unquote(text);
  HWND win, edit;
  if (!FindTarget(lineNo, 0, 1, id, "", &win, &edit)) return 0;
  Log("> type %ld \"%s\"", id, text);
  wchar_t wide[LINE_SIZE], expanded[LINE_SIZE];
  FromUtf8(text, wide, LINE_SIZE);
  if (!ExpandEnvironmentStringsW(wide, expanded, LINE_SIZE)) lstrcpynW(expanded, wide, LINE_SIZE);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(edit, WM_SETTEXT, 0, (LPARAM)expanded, SMTO_ABORTIFHUNG, 5000, &result)) {
    Fail(lineNo, "the program did not take the text within 5 s");
    return 0;
  }
  // Wait until the window shows the new text, so that the transcript has it
  // before a click closes the window.
  mark = LastBlockSeq();
  current = win;
  DWORD start = Now();
  while (Now() - start < timeoutMs) {
    PollWindows();
    if (!IsWindow(win)) break;
    if (IsWindowSettled(win)) {
      HWND list[ROBOT_MAX_WINDOWS];
      int box[ROBOT_MAX_WINDOWS];
      int n = OpenWindows(list, box, ROBOT_MAX_WINDOWS, mark);
      for (int i = 0; i < n; i++)
        if (list[i] == win) return 1;
      // The text was already there: nothing changed and nothing is recorded.
      if (Now() - start > 2 * ROBOT_SETTLE_MS + 2 * ROBOT_POLL_MS) return 1;
    }
    Sleep(ROBOT_POLL_MS);
  }
  return 1;
}

static int StepRun(int lineNo, char *arg)
{
  wchar_t cwd[MAX_PATH], line[LINE_SIZE], expanded[LINE_SIZE];
  int haveCwd = 0;
  if (!strncmp(arg, "--cwd ", 6)) {
    char *rest = arg + 6;
    while (*rest == ' ') rest++;
    char dir[LINE_SIZE];
    int n = 0;
    if (*rest == '"') {
      rest++;
      while (*rest && *rest != '"' && n < LINE_SIZE - 1) dir[n++] = *rest++;
      if (*rest == '"') rest++;
    } else {
      while (*rest && *rest != ' ' && n < LINE_SIZE - 1) dir[n++] = *rest++;
    }
    dir[n] = 0;
    while (*rest == ' ') rest++;
    FromUtf8(dir, line, LINE_SIZE);
    if (!ExpandEnvironmentStringsW(line, cwd, MAX_PATH)) lstrcpynW(cwd, line, MAX_PATH);
    haveCwd = 1;
    arg = rest;
  }
  if (!*arg) {
    Fail(lineNo, "run needs a command line");
    return 0;
  }
  Log("> run %s", arg);
  FromUtf8(arg, line, LINE_SIZE);
  if (!ExpandEnvironmentStringsW(line, expanded, LINE_SIZE)) lstrcpynW(expanded, line, LINE_SIZE);
  STARTUPINFOW si;
  PROCESS_INFORMATION pi;
  memset(&si, 0, sizeof(si));
  si.cb = sizeof(si);
  mark = LastBlockSeq();
  current = NULL;
  if (!CreateProcessW(NULL, expanded, NULL, NULL, FALSE, 0, NULL, haveCwd ? cwd : NULL, &si, &pi)) {
    Fail(lineNo, "could not start the program (error %lu)", GetLastError());
    return 0;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1;
}

static int StepWaitEnd(int lineNo, char *arg)
{
  long seconds = (long)(timeoutMs / 1000);
  if (*arg && !ParseNumber(arg, &seconds)) {
    Fail(lineNo, "wait-end takes a number of seconds");
    return 0;
  }
  Log("> wait-end");
  char names[1024];
  DWORD start = Now();
  for (;;) {
    PollWindows();
    if (ListRunningPrograms(names, sizeof(names)) == 0) break;
    if (Now() - start > (DWORD)seconds * 1000) {
      Fail(lineNo, "programs still running after %ld s: %s", seconds, names);
      return 0;
    }
    Sleep(ROBOT_POLL_MS);
  }
  current = NULL;
  return 1;
}

static int StepScreenshot(int lineNo, char *arg)
{
  Unquote(arg);
  if (!*arg || strpbrk(arg, "\\/:*?\"<>| ")) {
    Fail(lineNo, "screenshot needs a plain file name without extension");
    return 0;
  }
  // Half-drawn windows make poor pictures: wait until everything is still.
  // A window that appears meanwhile is recorded by the next step, so that
  // the transcript reads the same whether it came before the picture or
  // after (a copy that ends first brings its next page during the wait).
  DWORD start = Now();
  do {
    LookAtWindows(0);
    if (AllWindowsStill()) break;
    Sleep(ROBOT_POLL_MS);
  } while (Now() - start < 3000);
  Log("> screenshot %s", arg);
  wchar_t name[MAX_PATH], path[MAX_PATH];
  FromUtf8(arg, name, MAX_PATH);
  _snwprintf(path, MAX_PATH, L"%ls\\%ls.bmp", outDir, name);
  path[MAX_PATH - 1] = 0;
  if (!SaveScreenBitmap(path)) {
    Fail(lineNo, "could not save the screenshot");
    return 0;
  }
  return 1;
}

// Carries out one line; answers 0 when it failed. With checkOnly, only
// tells whether the command is known.
static int RunLine(int lineNo, const char *text, int checkOnly)
{
  char line[LINE_SIZE];
  lstrcpynA(line, text, LINE_SIZE);
  if (!line[0] || line[0] == '#') return 1;
  char *arg = SplitCommand(line);
  static const char *const known[] = {
    "run", "expect", "expect-box", "window", "click", "answer", "type", "wait-end",
    "screenshot", "timeout", "sleep", "ignore-class", "ignore-process", "note",
  };
  int isKnown = 0;
  for (unsigned i = 0; i < sizeof(known) / sizeof(known[0]); i++) isKnown |= !strcmp(line, known[i]);
  if (checkOnly) return isKnown;

  if (!strcmp(line, "run")) return StepRun(lineNo, arg);
  if (!strcmp(line, "expect")) return StepExpect(lineNo, arg, 0, 0);
  if (!strcmp(line, "expect-box")) return StepExpect(lineNo, arg, 1, 0);
  if (!strcmp(line, "window")) return StepExpect(lineNo, arg, 0, 1);
  if (!strcmp(line, "click")) return StepClick(lineNo, arg, 0);
  if (!strcmp(line, "answer")) return StepClick(lineNo, arg, 1);
  if (!strcmp(line, "type")) return StepType(lineNo, arg);
  if (!strcmp(line, "wait-end")) return StepWaitEnd(lineNo, arg);
  if (!strcmp(line, "screenshot")) return StepScreenshot(lineNo, arg);
  if (!strcmp(line, "note")) {
    Log("# %s", arg);
    return 1;
  }
  if (!strcmp(line, "ignore-class")) {
    Unquote(arg);
    IgnoreWindowClass(arg);
    return 1;
  }
  if (!strcmp(line, "ignore-process")) {
    Unquote(arg);
    IgnoreProcess(arg);
    return 1;
  }
  if (!strcmp(line, "timeout") || !strcmp(line, "sleep")) {
    char *end;
    double value = strtod(arg, &end);
    if (!*arg || *end || value < 0) {
      Fail(lineNo, "%s needs a number", line);
      return 0;
    }
    if (line[0] == 't') timeoutMs = (DWORD)(value * 1000);
    else Watch((DWORD)value);
    return 1;
  }
  Fail(lineNo, "unknown command \"%s\"", line);
  return 0;
}

int main(void)
{
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) {
    fprintf(stderr, "usage: robot SCENARIO OUTDIR\n");
    return 2;
  }
  lstrcpynW(outDir, argv[2], MAX_PATH);
  CreateDirectoryW(outDir, NULL);
  if (!ReadScenario(argv[1])) {
    fprintf(stderr, "robot: cannot read the scenario %ls\n", argv[1]);
    return 2;
  }
  int syntaxErrors = 0;
  for (int i = 0; i < lineCount; i++)
    if (!RunLine(i + 1, scenario[i], 1)) {
      fprintf(stderr, "robot: scenario line %d: unknown command: %s\n", i + 1, scenario[i]);
      syntaxErrors++;
    }
  if (syntaxErrors) return 2;

  wchar_t path[MAX_PATH];
  _snwprintf(path, MAX_PATH, L"%ls\\transcript.txt", outDir);
  path[MAX_PATH - 1] = 0;
  if (!OpenTranscript(path)) {
    fprintf(stderr, "robot: cannot write %ls\n", path);
    return 2;
  }
  RememberEarlierProcesses();
  PollWindows();
  for (int i = 0; i < lineCount && !failedLine; i++) RunLine(i + 1, scenario[i], 0);

  if (!failedLine) {
    // Let what is still open settle, so that the transcript ends complete.
    DWORD start = Now();
    do {
      PollWindows();
      if (AllWindowsSettled()) break;
      Sleep(ROBOT_POLL_MS);
    } while (Now() - start < 2000);
    Log("[end] passed");
  } else {
    Log("[end] failed at line %d", failedLine);
  }
  CloseTranscript();
  LocalFree(argv);
  return failedLine ? 1 : 0;
}
