// Watching windows and processes: which top-level windows are open, what they
// show, when they have settled, and the transcript that records them.
//
// Recording rule: every poll describes each visible top-level window that is
// not ignored as the text block the transcript would hold. A window is recorded
// when its block has stayed the same for ROBOT_SETTLE_MS and differs from the
// block recorded for it last; so a window is recorded once when it has settled,
// and again as a new block whenever its content changes while it is open. A
// window that is hidden or destroyed is forgotten; if it shows again it is a
// new window. A window that closes before it settles is never recorded.
#include "robot.h"
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

/* GLOBALS */

struct TrackedWindow {
  HWND hwnd;
  DWORD changedAt;              // when its block last changed
  DWORD seenAt;                 // when it was first seen
  int seq;                      // of the block recorded for it, 0 when none
  int box;
  char caption[ROBOT_TEXT];
  char block[ROBOT_BLOCK];      // header line, '\n', body
  char recorded[ROBOT_BLOCK];
  char recordedCaption[ROBOT_TEXT];
};

static FILE *transcript;
static TrackedWindow tracked[ROBOT_MAX_WINDOWS];
static int trackedCount;
static RecordedBlock blocks[ROBOT_MAX_BLOCKS];  // a ring, by seq
static int lastSeq;

static wchar_t ignoredClasses[ROBOT_MAX_IGNORED][128];
static int ignoredClassCount;
static wchar_t ignoredProcesses[ROBOT_MAX_IGNORED][MAX_PATH];
static int ignoredProcessCount;

// Processes of Wine itself, which run beside every program: their windows
// (the desktop, the systray, the folder window that the shell opens for a
// program group made over DDE) are not the programs' and they never end.
static const wchar_t *const systemProcesses[] = {
  L"explorer.exe", L"services.exe", L"winedevice.exe", L"plugplay.exe", L"svchost.exe",
  L"rpcss.exe", L"conhost.exe", L"winemenubuilder.exe", L"start.exe", L"wineboot.exe",
  L"tabtip.exe"
};

// Classes that never belong to a program under test: the desktop, Wine's
// systray and shell windows, tool tips, input method windows.
static const wchar_t *const systemClasses[] = {
  L"#32769", L"Shell_TrayWnd", L"ExplorerWClass", L"CabinetWClass", L"Progman", L"WorkerW",
  L"tooltips_class32", L"IME", L"Default IME", L"#32768"
};

static struct { DWORD pid; wchar_t name[MAX_PATH]; } processNames[256];
static int processNameCount;

// Processes that ran before the robot (such as a console that the test
// scripts keep open to hold Wine's own processes alive) are no program under
// test. A process is known by its identifier and file name together, since
// identifiers are reused.
static struct { DWORD pid; wchar_t name[MAX_PATH]; } baseline[64];
static int baselineCount;

/* FUNCTIONS */

int OpenTranscript(const wchar_t *path)
{
  transcript = _wfopen(path, L"wb");
  return transcript != NULL;
}

void CloseTranscript(void)
{
  if (transcript) fclose(transcript);
  transcript = NULL;
}

void WriteTranscript(const char *line)
{
  if (!transcript) return;
  fputs(line, transcript);
  fputc('\n', transcript);
  fflush(transcript);
}

void IgnoreWindowClass(const char *utf8)
{
  if (ignoredClassCount < ROBOT_MAX_IGNORED)
    FromUtf8(utf8, ignoredClasses[ignoredClassCount++], 128);
}

void IgnoreProcess(const char *utf8)
{
  if (ignoredProcessCount < ROBOT_MAX_IGNORED)
    FromUtf8(utf8, ignoredProcesses[ignoredProcessCount++], MAX_PATH);
}

int IsSystemProcess(const wchar_t *exeName)
{
  for (unsigned i = 0; i < sizeof(systemProcesses) / sizeof(systemProcesses[0]); i++)
    if (!lstrcmpiW(exeName, systemProcesses[i])) return 1;
  for (int i = 0; i < ignoredProcessCount; i++)
    if (!lstrcmpiW(exeName, ignoredProcesses[i])) return 1;
  return 0;
}

static void RefreshProcessNames(void)
{
  processNameCount = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W pe;
  pe.dwSize = sizeof(pe);
  for (BOOL ok = Process32FirstW(snap, &pe); ok && processNameCount < 256; ok = Process32NextW(snap, &pe)) {
    processNames[processNameCount].pid = pe.th32ProcessID;
    lstrcpynW(processNames[processNameCount].name, pe.szExeFile, MAX_PATH);
    processNameCount++;
  }
  CloseHandle(snap);
}

// The file name of a process, from a cache that is refreshed on a miss.
static const wchar_t *ProcessName(DWORD pid)
{
  for (int pass = 0; pass < 2; pass++) {
    for (int i = 0; i < processNameCount; i++)
      if (processNames[i].pid == pid) return processNames[i].name;
    if (pass == 0) RefreshProcessNames();
  }
  return L"?";
}

int WindowProcessName(HWND hwnd, char *out, int size)
{
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  ToUtf8(ProcessName(pid), out, size);
  return pid != 0;
}

void RememberEarlierProcesses(void)
{
  baselineCount = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W pe;
  pe.dwSize = sizeof(pe);
  for (BOOL ok = Process32FirstW(snap, &pe); ok && baselineCount < 64; ok = Process32NextW(snap, &pe)) {
    if (pe.th32ProcessID == GetCurrentProcessId() || IsSystemProcess(pe.szExeFile)) continue;
    baseline[baselineCount].pid = pe.th32ProcessID;
    lstrcpynW(baseline[baselineCount].name, pe.szExeFile, MAX_PATH);
    baselineCount++;
  }
  CloseHandle(snap);
}

static int IsEarlierProcess(DWORD pid, const wchar_t *name)
{
  for (int i = 0; i < baselineCount; i++)
    if (baseline[i].pid == pid && !lstrcmpiW(baseline[i].name, name)) return 1;
  return 0;
}

int ListRunningPrograms(char *out, int size)
{
  int count = 0;
  out[0] = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W pe;
  pe.dwSize = sizeof(pe);
  for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
    if (pe.th32ProcessID == GetCurrentProcessId() || IsSystemProcess(pe.szExeFile) ||
        IsEarlierProcess(pe.th32ProcessID, pe.szExeFile))
      continue;
    char name[MAX_PATH * 3 + 64];
    ToUtf8(pe.szExeFile, name, MAX_PATH * 3);
    snprintf(name + strlen(name), 64, " (pid %lu, parent %lu)", (unsigned long)pe.th32ProcessID,
             (unsigned long)pe.th32ParentProcessID);
    if ((int)(strlen(out) + strlen(name) + 2) < size) {
      if (out[0]) strcat(out, " ");
      strcat(out, name);
    }
    count++;
  }
  CloseHandle(snap);
  return count;
}

static int IsIgnoredWindow(HWND hwnd)
{
  if (!IsWindowVisible(hwnd)) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId()) return 1;
  wchar_t cls[128];
  if (!GetClassNameW(hwnd, cls, 128)) return 1;
  for (unsigned i = 0; i < sizeof(systemClasses) / sizeof(systemClasses[0]); i++)
    if (!lstrcmpW(cls, systemClasses[i])) return 1;
  for (int i = 0; i < ignoredClassCount; i++)
    if (!lstrcmpW(cls, ignoredClasses[i])) return 1;
  return IsSystemProcess(ProcessName(pid));
}

// Appends text with line breaks and tabs written as \n and \t, so that one
// control's text stays on one transcript line.
static void AppendEscaped(char *out, int size, const char *text)
{
  int n = (int)strlen(out);
  for (const char *p = text; *p && n < size - 3; p++) {
    if (*p == '\r') continue;
    if (*p == '\n' || *p == '\t') {
      out[n++] = '\\';
      out[n++] = *p == '\n' ? 'n' : 't';
    } else {
      out[n++] = *p;
    }
  }
  out[n] = 0;
}

static void Append(char *out, int size, const char *text)
{
  int n = (int)strlen(out);
  lstrcpynA(out + n, text, size - n);
}

// The text that the window manager keeps for a window: no message is sent, so
// a program that is busy and pumps no messages cannot stall the robot.
static void StoredText(HWND hwnd, char *out, int size)
{
  wchar_t w[ROBOT_TEXT];
  int n = InternalGetWindowText(hwnd, w, ROBOT_TEXT);
  if (n < 0) n = 0;
  w[n] = 0;
  ToUtf8(w, out, size);
}

// An edit control keeps its text itself, so it must be asked. Answers 0 when
// the program does not answer in time.
static int AskedText(HWND hwnd, char *out, int size)
{
  wchar_t w[ROBOT_TEXT];
  DWORD_PTR got = 0;
  w[0] = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, ROBOT_TEXT, (LPARAM)w, SMTO_ABORTIFHUNG | SMTO_BLOCK, 300, &got))
    return 0;
  w[got < ROBOT_TEXT ? got : ROBOT_TEXT - 1] = 0;
  ToUtf8(w, out, size);
  return 1;
}

static int ControlId(HWND child)
{
  return (int)(GetWindowLongPtrW(child, GWLP_ID) & 0xFFFF);
}

// A message box: a dialog whose text is the static 0xFFFF and whose visible
// buttons all carry the IDOK to IDCONTINUE identifiers.
static int IsMessageBox(HWND hwnd, const wchar_t *cls)
{
  if (lstrcmpW(cls, L"#32770")) return 0;
  int text = 0;
  for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cc[64];
    GetClassNameW(c, cc, 64);
    int id = ControlId(c);
    if (!lstrcmpiW(cc, L"Static") && id == 0xFFFF) text = 1;
    if (!lstrcmpiW(cc, L"Button") && IsWindowVisible(c) && (id < IDOK || id > 11)) return 0;
    if (id == 1004 || id == 1005) return 0;
  }
  return text;
}

static void DescribeOwner(HWND hwnd, char *out, int size)
{
  HWND owner = GetWindow(hwnd, GW_OWNER);
  if (!owner) {
    lstrcpynA(out, "owner=none", size);
    return;
  }
  char caption[ROBOT_TEXT], cls[256];
  wchar_t wcls[128];
  StoredText(owner, caption, sizeof(caption));
  GetClassNameW(owner, wcls, 128);
  ToUtf8(wcls, cls, sizeof(cls));
  lstrcpynA(out, "owner=\"", size);
  AppendEscaped(out, size, caption);
  Append(out, size, "\" (");
  Append(out, size, cls);
  Append(out, size, ")");
}

// One line for one child control, or nothing for controls that show no text
// of their own (frames, rectangles, progress bars). Answers 0 when a control
// could not be read this time.
static int DescribeControl(HWND c, int box, DWORD seenAt, char *out, int size)
{
  wchar_t wcls[64];
  char text[ROBOT_TEXT], line[ROBOT_TEXT + 128];
  GetClassNameW(c, wcls, 64);
  int id = ControlId(c);
  LONG style = (LONG)GetWindowLongPtrW(c, GWL_STYLE);
  line[0] = 0;
  if (!lstrcmpiW(wcls, L"Static")) {
    int type = style & SS_TYPEMASK;
    if (type == SS_ICON) {
      // A box that has just appeared may still lie under the window it was
      // raised over for a moment (seen on a loaded machine): read it again
      // at the next poll rather than record what covered it. One that stays
      // covered is recorded so, and the transcript shows it.
      const char *icon = ClassifyIcon(c);
      if (!strcmp(icon, "covered") && Now() - seenAt < ROBOT_COVERED_MS) return 0;
      snprintf(line, sizeof(line), "icon: %s", icon);
    } else if (type == SS_BITMAP || type == SS_ENHMETAFILE) {
      snprintf(line, sizeof(line), "picture %d", id);
    } else if (type <= SS_SIMPLE || type == SS_LEFTNOWORDWRAP || type == SS_OWNERDRAW) {
      StoredText(c, text, sizeof(text));
      if (!text[0]) return 1;
      if (id == 1004) lstrcpyA(line, "title: ");
      else if (id == 1005 || (box && id == 0xFFFF)) lstrcpyA(line, "text: ");
      else snprintf(line, sizeof(line), "static %d: ", id == 0xFFFF ? -1 : id);
      AppendEscaped(line, sizeof(line), text);
    } else {
      return 1;
    }
  } else if (!lstrcmpiW(wcls, L"Button")) {
    int type = style & BS_TYPEMASK;
    const char *kind = "button";
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE) kind = "checkbox";
    else if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) kind = "radio";
    else if (type == BS_GROUPBOX) kind = "group";
    StoredText(c, text, sizeof(text));
    snprintf(line, sizeof(line), "%s %d \"", kind, id);
    AppendEscaped(line, sizeof(line), text);
    Append(line, sizeof(line), "\"");
    if (type != BS_GROUPBOX) Append(line, sizeof(line), IsWindowEnabled(c) ? " enabled" : " disabled");
    if (type == BS_DEFPUSHBUTTON) Append(line, sizeof(line), " default");
    if (!lstrcmpA(kind, "checkbox") || !lstrcmpA(kind, "radio")) {
      DWORD_PTR state = 0;
      if (!SendMessageTimeoutW(c, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 300, &state)) return 0;
      Append(line, sizeof(line), state == BST_CHECKED ? " checked" : " unchecked");
    }
  } else if (!lstrcmpiW(wcls, L"Edit") || !lstrcmpiW(wcls, L"ComboBox")) {
    if (!AskedText(c, text, sizeof(text))) return 0;
    snprintf(line, sizeof(line), "%s %d \"", lstrcmpiW(wcls, L"Edit") ? "combo" : "edit", id);
    AppendEscaped(line, sizeof(line), text);
    Append(line, sizeof(line), "\"");
    if (!IsWindowEnabled(c)) Append(line, sizeof(line), " disabled");
  } else if (!lstrcmpiW(wcls, L"msctls_progress32")) {
    return 1;
  } else {
    StoredText(c, text, sizeof(text));
    if (!text[0]) return 1;
    char cls[128];
    ToUtf8(wcls, cls, sizeof(cls));
    snprintf(line, sizeof(line), "control %s %d \"", cls, id);
    AppendEscaped(line, sizeof(line), text);
    Append(line, sizeof(line), "\"");
  }
  Append(out, size, line);
  Append(out, size, "\n");
  return 1;
}

// Fills w's caption, block and box flag. Answers 0, leaving w as it was, when
// some control could not be read.
static int DescribeWindow(TrackedWindow *w)
{
  static char header[ROBOT_BLOCK], body[ROBOT_BLOCK];
  char caption[ROBOT_TEXT], cls[256], owner[ROBOT_TEXT + 300], process[MAX_PATH * 3];
  wchar_t wcls[128];
  GetClassNameW(w->hwnd, wcls, 128);
  ToUtf8(wcls, cls, sizeof(cls));
  StoredText(w->hwnd, caption, sizeof(caption));
  DescribeOwner(w->hwnd, owner, sizeof(owner));
  WindowProcessName(w->hwnd, process, sizeof(process));
  int box = IsMessageBox(w->hwnd, wcls);

  body[0] = 0;
  for (HWND c = GetWindow(w->hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    if (!DescribeControl(c, box, w->seenAt, body, sizeof(body))) return 0;
  }
  snprintf(header, sizeof(header), "[%s] %s \"", box ? "box" : "window", cls);
  AppendEscaped(header, sizeof(header), caption);
  Append(header, sizeof(header), "\" ");
  Append(header, sizeof(header), owner);
  Append(header, sizeof(header), " process=");
  Append(header, sizeof(header), process);
  Append(header, sizeof(header), "\n");
  Append(header, sizeof(header), body);

  lstrcpynA(w->caption, caption, sizeof(w->caption));
  w->box = box;
  if (strcmp(w->block, header)) {
    lstrcpynA(w->block, header, sizeof(w->block));
    w->changedAt = Now();
  }
  return 1;
}

static void RecordWindow(TrackedWindow *w)
{
  lastSeq++;
  w->seq = lastSeq;
  lstrcpynA(w->recorded, w->block, sizeof(w->recorded));
  lstrcpynA(w->recordedCaption, w->caption, sizeof(w->recordedCaption));
  RecordedBlock *b = &blocks[lastSeq % ROBOT_MAX_BLOCKS];
  b->seq = lastSeq;
  b->hwnd = w->hwnd;
  b->box = w->box;
  lstrcpynA(b->caption, w->caption, sizeof(b->caption));
  const char *nl = strchr(w->block, '\n');
  lstrcpynA(b->body, nl ? nl + 1 : "", sizeof(b->body));
  if (transcript) {
    fputs(w->block, transcript);   // ends with '\n'
    fputc('\n', transcript);
    fflush(transcript);
  }
}

struct WindowList { HWND h[ROBOT_MAX_WINDOWS * 4]; int n; };

static BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM data)
{
  WindowList *list = (WindowList *)data;
  if (list->n < ROBOT_MAX_WINDOWS * 4 && !IsIgnoredWindow(hwnd)) list->h[list->n++] = hwnd;
  return TRUE;
}

static TrackedWindow *FindTracked(HWND hwnd)
{
  for (int i = 0; i < trackedCount; i++)
    if (tracked[i].hwnd == hwnd) return &tracked[i];
  return NULL;
}

void PollWindows(void)
{
  LookAtWindows(1);
}

void LookAtWindows(int record)
{
  static WindowList list;
  list.n = 0;
  EnumWindows(CollectWindow, (LPARAM)&list);

  // Forget the windows that went away, keeping the order of the rest.
  int kept = 0;
  for (int i = 0; i < trackedCount; i++) {
    int present = 0;
    for (int j = 0; j < list.n && !present; j++) present = list.h[j] == tracked[i].hwnd;
    if (!present) continue;
    if (kept != i) tracked[kept] = tracked[i];
    kept++;
  }
  trackedCount = kept;

  // New windows join at the end; EnumWindows lists the topmost first, so
  // walk backwards to have owners before the windows they own.
  for (int j = list.n - 1; j >= 0; j--) {
    if (FindTracked(list.h[j]) || trackedCount >= ROBOT_MAX_WINDOWS) continue;
    TrackedWindow *w = &tracked[trackedCount++];
    w->hwnd = list.h[j];
    w->seq = 0;
    w->block[0] = w->recorded[0] = w->caption[0] = 0;
    w->changedAt = w->seenAt = Now();
  }

  for (int i = 0; i < trackedCount; i++) DescribeWindow(&tracked[i]);

  if (!record)
    return;
  DWORD now = Now();
  for (int i = 0; i < trackedCount; i++) {
    TrackedWindow *w = &tracked[i];
    if (w->block[0] && now - w->changedAt >= ROBOT_SETTLE_MS && strcmp(w->block, w->recorded))
      RecordWindow(w);
  }
}

int AllWindowsStill(void)
{
  DWORD now = Now();
  for (int i = 0; i < trackedCount; i++)
    if (tracked[i].block[0] && now - tracked[i].changedAt < ROBOT_SETTLE_MS) return 0;
  return 1;
}

int LastBlockSeq(void)
{
  return lastSeq;
}

int IsWindowSettled(HWND hwnd)
{
  TrackedWindow *w = FindTracked(hwnd);
  return w && w->seq && !strcmp(w->block, w->recorded) && IsWindow(hwnd);
}

int AllWindowsSettled(void)
{
  for (int i = 0; i < trackedCount; i++)
    if (strcmp(tracked[i].block, tracked[i].recorded)) return 0;
  return 1;
}

static int BlockMatches(const RecordedBlock *b, const char *text, int boxOnly)
{
  if (boxOnly && !b->box) return 0;
  return strstr(b->caption, text) || strstr(b->body, text);
}

// With openOnly: the first open, settled window (in the order they appeared)
// whose recorded block is newer than afterSeq and contains text in its
// caption or lines. Without: the earliest block recorded after afterSeq that
// contains it, whether its window is still open or not.
const RecordedBlock *FindBlock(int afterSeq, const char *text, int boxOnly, int openOnly)
{
  if (openOnly) {
    static RecordedBlock found;
    for (int i = 0; i < trackedCount; i++) {
      TrackedWindow *w = &tracked[i];
      if (w->seq <= afterSeq || !IsWindowSettled(w->hwnd)) continue;
      const char *nl = strchr(w->recorded, '\n');
      found.seq = w->seq;
      found.hwnd = w->hwnd;
      found.box = w->box;
      lstrcpynA(found.caption, w->recordedCaption, sizeof(found.caption));
      lstrcpynA(found.body, nl ? nl + 1 : "", sizeof(found.body));
      if (BlockMatches(&found, text, boxOnly)) return &found;
    }
    return NULL;
  }
  int first = lastSeq - ROBOT_MAX_BLOCKS + 1;
  if (first <= afterSeq) first = afterSeq + 1;
  if (first < 1) first = 1;
  for (int seq = first; seq <= lastSeq; seq++) {
    const RecordedBlock *b = &blocks[seq % ROBOT_MAX_BLOCKS];
    if (BlockMatches(b, text, boxOnly)) return b;
  }
  return NULL;
}

int OpenWindows(HWND *out, int *box, int max, int afterSeq)
{
  int n = 0;
  for (int i = 0; i < trackedCount && n < max; i++) {
    if (tracked[i].seq <= afterSeq || !IsWindowSettled(tracked[i].hwnd)) continue;
    out[n] = tracked[i].hwnd;
    box[n] = tracked[i].box;
    n++;
  }
  return n;
}

int IsTrackedBox(HWND hwnd)
{
  TrackedWindow *w = FindTracked(hwnd);
  return w && w->box;
}

void DumpOpenWindows(void)
{
  WriteTranscript("! windows open at the failure, as last seen:");
  for (int i = 0; i < trackedCount; i++) {
    char line[ROBOT_BLOCK + 4];
    snprintf(line, sizeof(line), "%s", tracked[i].block);
    if (line[0] == '[') line[0] = '(';           // not a recorded block
    char *close = strchr(line, ']');
    if (close) *close = ')';
    WriteTranscript(line);
  }
}
