#include "tests/devices/pagedriver.h"
#include "setup/shell/shell.h"
#include <gtest/gtest.h>

static PageDriver *activeDriver;
static const char answeredProperty[] = "tt-page-answered";

static std::string ControlText(HWND dialog, int id)
{
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

static bool ControlEnabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

static BOOL CALLBACK FindPage(HWND window, LPARAM found)
{
    char className[16];
    if (GetClassNameA(window, className, sizeof(className)) && lstrcmpA(className, "#32770") == 0 &&
        GetDlgItem(window, IDC_NEXT) && !GetPropA(window, answeredProperty)) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK AnswerPage(HWND, UINT, UINT_PTR, DWORD)
{
    PageDriver *driver = activeDriver;
    HWND dialog = NULL;
    if (!driver)
        return;
    EnumThreadWindows(GetCurrentThreadId(), FindPage, (LPARAM)&dialog);
    if (!dialog)
        return;
    /* A handle may come back for the next page; the mark dies with the window. */
    SetPropA(dialog, answeredProperty, (HANDLE)1);

    ShownPage shown;
    shown.title = ControlText(dialog, IDC_TITLE);
    shown.text = ControlText(dialog, IDC_TEXT);
    shown.backLabel = ControlText(dialog, IDC_BACK);
    shown.nextLabel = ControlText(dialog, IDC_NEXT);
    shown.cancelLabel = ControlText(dialog, IDC_CANCEL);
    shown.backEnabled = ControlEnabled(dialog, IDC_BACK);
    shown.nextEnabled = ControlEnabled(dialog, IDC_NEXT);
    shown.cancelEnabled = ControlEnabled(dialog, IDC_CANCEL);
    shown.bitmap = page.bitmap;
    driver->pages.push_back(shown);

    if (driver->nextAnswer >= driver->answers.size()) {
        ADD_FAILURE() << "page beyond the script: " << shown.text;
        EndDialog(dialog, IDC_CANCEL);
        return;
    }
    int id = driver->answers[driver->nextAnswer++];
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

PageDriver::PageDriver(std::initializer_list<int> script) : answers(script)
{
    activeDriver = this;
    timer = SetTimer(NULL, 0, 20, AnswerPage);
}

PageDriver::~PageDriver()
{
    KillTimer(NULL, timer);
    activeDriver = NULL;
}
