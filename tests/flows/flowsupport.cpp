#include "tests/flows/flowsupport.h"
#include "setup/shell/shell.h"
#include "setup/windows/integration.h"
#include <gtest/gtest.h>

static ScriptedUser *activeUser;
static const char answeredProperty[] = "tt-flow-answered";

static std::string ControlText(HWND dialog, int id)
{
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

static int ControlEnabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

static int HookedPage(const PageDescription *p)
{
    SeenPage seen{ p->title, p->text, p->backLabel, p->nextLabel, p->cancelLabel, p->backEnabled,
                   p->nextEnabled, p->cancelEnabled, p->defaultButton, p->bitmap, "", false, NULL, {} };
    return activeUser ? activeUser->Answer(seen) : IDC_CANCEL;
}

static BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char className[16];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof(className)) &&
        lstrcmpA(className, "#32770") == 0 && GetDlgItem(window, IDC_CANCEL) && !GetPropA(window, answeredProperty)) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR, DWORD)
{
    ScriptedUser *user = activeUser;
    HWND dialog = NULL;
    if (!user)
        return;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, (LPARAM)&dialog);
    if (!dialog)
        return;
    SetPropA(dialog, answeredProperty, (HANDLE)1);   /* dies with the window */
    SeenPage seen{ ControlText(dialog, IDC_TITLE), ControlText(dialog, IDC_TEXT), ControlText(dialog, IDC_BACK),
                   ControlText(dialog, IDC_NEXT), ControlText(dialog, IDC_CANCEL),
                   ControlEnabled(dialog, IDC_BACK), ControlEnabled(dialog, IDC_NEXT),
                   ControlEnabled(dialog, IDC_CANCEL), page.defaultButton, page.bitmap,
                   ControlText(dialog, IDC_PATH), true, dialog, {} };
    static const int rowControls[] = { 1021, 1027, 1022, 1028, 1024, 1030, 1025, 1031, 1029, 1032 };
    for (int id : rowControls)
        if (GetDlgItem(dialog, id))
            seen.rows.push_back(ControlText(dialog, id));
    size_t step = user->next;
    int id = user->Answer(seen);
    if (step < user->steps.size() && user->steps[step].typeText)
        SetDlgItemTextA(dialog, IDC_PATH, user->steps[step].text.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

ScriptedUser::ScriptedUser()
{
    activeUser = this;
    previousHook = (void *)SetPageHook(HookedPage);
    timer = SetTimer(NULL, 0, 20, AnswerDialog);
}

ScriptedUser::~ScriptedUser()
{
    KillTimer(NULL, timer);
    SetPageHook((PageHook)previousHook);
    activeUser = NULL;
}

ScriptedUser &ScriptedUser::Press(int id)
{
    steps.push_back(Step{ id, false, "" });
    return *this;
}

ScriptedUser &ScriptedUser::Type(const std::string &text, int id)
{
    steps.push_back(Step{ id, true, text });
    return *this;
}

int ScriptedUser::Answer(const SeenPage &page)
{
    seen.push_back(page);
    if (onPage)
        onPage(page);
    if (next >= steps.size()) {
        ADD_FAILURE() << "a page beyond the script: " << page.title << ": " << page.text;
        return IDC_CANCEL;
    }
    return steps[next++].id;
}

std::vector<std::string> ScriptedUser::Titles() const
{
    std::vector<std::string> titles;
    for (const SeenPage &page : seen)
        titles.push_back(page.title);
    return titles;
}

MainWindowStandIn::MainWindowStandIn()
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "TTFlowMain";
    RegisterClassA(&windowClass);
    window = CreateWindowA("TTFlowMain", "Configuración", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
    mainWindow = window;
}

MainWindowStandIn::~MainWindowStandIn()
{
    if (IsWindow(window))
        DestroyWindow(window);
    mainWindow = NULL;
}

static const char gameSubdirectories[][4] = { "G0", "G1", "G2", "G3", "G4", "G5",
                                              "G6", "G7", "G8", "G9", "G10" };

void MakeGameDirectory(const std::string &directory, const char *marker, bool dos)
{
    CreateDirectoryA(directory.substr(0, directory.size() - 1).c_str(), NULL);
    WriteWholeFile(directory + marker, "game");
    WriteWholeFile(directory + "QVX.INF",
                   "[SETUP]\r\nMIN_MEMORY,8192\r\nINSTALLED_FILE," + std::string(marker) +
                       "\r\nINTERIM,4\r\nSHADOWS,8000,75,ON\r\nFIXED,C:\\OLD\r\n");
    if (dos)
        WriteWholeFile(directory + "ZEPH.BAT", "@ZEPHDOS\r\n");
    for (const char *name : gameSubdirectories) {
        CreateDirectoryA((directory + name).c_str(), NULL);
        WriteWholeFile(directory + name + "\\DATOS.DAT", name);
    }
}

void WriteCdLists(const std::string &cd, const char *marker)
{
    std::string dos = std::string(marker) + "," + marker + "\r\nZEPH.BAT,ZEPH.BAT\r\nMENUS.CFL,G7\\X\r\n";
    for (const char *name : gameSubdirectories)
        if (lstrcmpA(name, "G7") != 0)
            dos += std::string("DATOS.DAT,") + name + "\\DATOS.DAT\r\n";
    WriteWholeFile(cd + "FILELIST.WD", dos);
    WriteWholeFile(cd + "FILELIST.WIN", std::string(marker) + "," + marker + "\r\n");
    std::string record(268, '\0');
    record.replace(0, 9, "DATOS.DAT");
    record[264] = 8;
    WriteWholeFile(cd + "MENUS.CFI", record);
}

std::string CdSettings(const char *marker)
{
    return "[SETUP]\r\nMIN_MEMORY,8192\r\nTRACKS_EXPECTED,10\r\nINSTALLED_FILE," + std::string(marker) +
           "\r\nINTERIM,4\r\nSHADOWS,8000,75,OFF\r\n";
}

bool IsDirectory(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PublisherKeyExists(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, publisherKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
