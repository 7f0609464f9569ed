// A small wizard for the robot's own test, built like Outfitter's: a
// full-screen main window that owns modal pages (buttons 1003, 1002, 1018,
// title 1004, text 1005, edit 1001) and message boxes of the four kinds.
// Its texts are Spanish, so that they reach the API as Windows-1252 and the
// robot has to convert them. At the end it writes C:\<directory>\ROBOT.TXT and
// HKCU\Software\Vornhollow Entertainment\Robot Demo, Directory = <directory>.
#include <windows.h>
#include <string.h>

#define IDC_PATH 1001
#define IDC_NEXT 1002
#define IDC_BACK 1003
#define IDC_TITLE 1004
#define IDC_TEXT 1005
#define IDC_CANCEL 1018
#define WM_RUN_DEMO (WM_APP + 1)

/* GLOBALS */

static HINSTANCE instance;
static HWND mainWindow;
static int page;                     // 1 the question, 2 the directory
static char directory[MAX_PATH] = "C:\\ZEPH";
static const char caption[] = "Configuración";

/* FUNCTIONS */

static int Box(const char *text, UINT type)
{
  return MessageBoxA(mainWindow, text, caption, type);
}

static void AddControl(HWND dlg, const char *cls, const char *text, DWORD style, int x, int y, int w, int h, int id)
{
  CreateWindowExA(cls[0] == 'E' ? WS_EX_CLIENTEDGE : 0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg,
                  (HMENU)(INT_PTR)id, instance, NULL);
}

static void SetDefaultButton(HWND dlg, int id)
{
  int ids[3] = { IDC_BACK, IDC_NEXT, IDC_CANCEL };
  for (int i = 0; i < 3; i++)
    SendDlgItemMessageA(dlg, ids[i], BM_SETSTYLE, ids[i] == id ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  SendMessageA(dlg, DM_SETDEFID, id, 0);
}

static void FillPage(HWND dlg)
{
  SetWindowTextA(dlg, caption);
  AddControl(dlg, "STATIC", "", SS_LEFT, 20, 10, 400, 30, IDC_TITLE);
  AddControl(dlg, "STATIC", "", SS_LEFT, 20, 50, 400, 60, IDC_TEXT);
  AddControl(dlg, "BUTTON", "", BS_PUSHBUTTON | WS_TABSTOP, 150, 200, 80, 25, IDC_BACK);
  AddControl(dlg, "BUTTON", "", BS_PUSHBUTTON | WS_TABSTOP, 240, 200, 80, 25, IDC_NEXT);
  AddControl(dlg, "BUTTON", "", BS_PUSHBUTTON | WS_TABSTOP, 340, 200, 80, 25, IDC_CANCEL);
  if (page == 1) {
    SetDlgItemTextA(dlg, IDC_TITLE, "Tinfoil Tango");
    SetDlgItemTextA(dlg, IDC_TEXT, "¿Quieres instalar Tinfoil Tango en tu ordenador?");
    SetDlgItemTextA(dlg, IDC_BACK, "No");
    SetDlgItemTextA(dlg, IDC_NEXT, "Sí");
    SetDlgItemTextA(dlg, IDC_CANCEL, "Cancelar");
  } else {
    SetDlgItemTextA(dlg, IDC_TITLE, "Directorio");
    SetDlgItemTextA(dlg, IDC_TEXT, "Elige el directorio de instalación:");
    SetDlgItemTextA(dlg, IDC_BACK, "< Atrás");
    SetDlgItemTextA(dlg, IDC_NEXT, "Siguiente >");
    SetDlgItemTextA(dlg, IDC_CANCEL, "Cancelar");
    AddControl(dlg, "EDIT", directory, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 20, 150, 400, 22, IDC_PATH);
  }
  SetDefaultButton(dlg, IDC_NEXT);
  SetFocus(GetDlgItem(dlg, IDC_NEXT));
}

// The directory page's Next: an empty directory is refused with an error box;
// otherwise the same page turns into the last step, with its text changed.
static void AcceptDirectory(HWND dlg)
{
  char text[MAX_PATH];
  GetDlgItemTextA(dlg, IDC_PATH, text, MAX_PATH);
  if (!text[0]) {
    Box("Escribe un directorio, por favor.", MB_OK | MB_ICONERROR);
    return;
  }
  lstrcpynA(directory, text, MAX_PATH);
  char message[MAX_PATH + 64];
  lstrcpyA(message, "Todo listo para instalar en ");
  lstrcatA(message, directory);
  lstrcatA(message, ".");
  ShowWindow(GetDlgItem(dlg, IDC_PATH), SW_HIDE);
  SetDlgItemTextA(dlg, IDC_TITLE, "Instalación");
  SetDlgItemTextA(dlg, IDC_TEXT, message);
  SetDlgItemTextA(dlg, IDC_CANCEL, "Final");
  EnableWindow(GetDlgItem(dlg, IDC_BACK), FALSE);
  EnableWindow(GetDlgItem(dlg, IDC_NEXT), FALSE);
  SetDefaultButton(dlg, IDC_CANCEL);
  SetFocus(GetDlgItem(dlg, IDC_CANCEL));
}

static INT_PTR CALLBACK PageProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_INITDIALOG) {
    FillPage(dlg);
    return FALSE;
  }
  if (msg != WM_COMMAND) return FALSE;
  int id = LOWORD(wParam);
  char label[32];
  GetDlgItemTextA(dlg, IDC_CANCEL, label, sizeof(label));
  if (id == IDC_CANCEL && !strcmp(label, "Cancelar") &&
      Box("¿Seguro que quieres cancelar y salir?", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return TRUE;
  if (id == IDC_NEXT && page == 2) {
    AcceptDirectory(dlg);
    return TRUE;
  }
  if (id == IDC_NEXT || id == IDC_BACK || id == IDC_CANCEL) EndDialog(dlg, id);
  return TRUE;
}

static INT_PTR ShowPage(int number)
{
  // An empty dialog template; PageProc makes the controls.
  static DWORD templ[16];
  DLGTEMPLATE *t = (DLGTEMPLATE *)templ;
  memset(templ, 0, sizeof(templ));
  t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  t->cx = 300;
  t->cy = 160;
  page = number;
  return DialogBoxIndirectParamA(instance, t, mainWindow, PageProc, 0);
}

static void Finish(void)
{
  Box("Atención: el ñandú no está en el CD.", MB_OK | MB_ICONEXCLAMATION);
  Box("Instalación terminada.", MB_OK | MB_ICONINFORMATION);
  char path[MAX_PATH + 16];
  CreateDirectoryA(directory, NULL);
  lstrcpyA(path, directory);
  lstrcatA(path, "\\ROBOT.TXT");
  HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD written;
    WriteFile(f, directory, lstrlenA(directory), &written, NULL);
    CloseHandle(f);
  }
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vornhollow Entertainment\\Robot Demo", 0, NULL, 0,
                      KEY_WRITE, NULL, &key, NULL) == ERROR_SUCCESS) {
    RegSetValueExA(key, "Directory", 0, REG_SZ, (const BYTE *)directory, lstrlenA(directory) + 1);
    RegCloseKey(key);
  }
}

static void RunDemo(void)
{
  int number = 1;
  for (;;) {
    INT_PTR answer = ShowPage(number);
    if (number == 1 && answer == IDC_NEXT) number = 2;
    else if (number == 2 && answer == IDC_BACK) number = 1;
    else break;
  }
  if (number == 2) Finish();
}

static LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_RUN_DEMO:
    RunDemo();
    DestroyWindow(hwnd);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int show)
{
  instance = hInstance;
  WNDCLASSA wc;
  memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = MainProc;
  wc.hInstance = hInstance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = "RoboDemoMain";
  if (!RegisterClassA(&wc)) return 1;
  mainWindow = CreateWindowExA(0, "RoboDemoMain", caption, WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN), NULL, NULL, hInstance, NULL);
  if (!mainWindow) return 1;
  ShowWindow(mainWindow, show);
  UpdateWindow(mainWindow);
  PostMessageA(mainWindow, WM_RUN_DEMO, 0, 0);
  MSG m;
  while (GetMessageA(&m, NULL, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
