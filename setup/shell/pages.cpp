/* Wizard pages: one global page description, filled before each page, and
 * the dialog procedure that every ordinary page shares. */
#include "setup/shell/shell.h"
#include "setup/resources/resource.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include <string.h>

PageDescription page = {
    0, 1, 1,
    Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_CANCEL),
    gameTitle, Text(TXT_INSTALL_QUESTION),
    IDC_NEXT, IDB_GENERAL
};

static HBITMAP pageBitmap;
static PageHook pageHook;

void SetPage(int backEnabled, int nextEnabled, int cancelEnabled, const char *backLabel,
             const char *nextLabel, const char *cancelLabel, const char *title, const char *text,
             int defaultButton, int bitmap)
{
    page.backEnabled = backEnabled;
    page.nextEnabled = nextEnabled;
    page.cancelEnabled = cancelEnabled;
    if (backLabel)
        page.backLabel = backLabel;
    if (nextLabel)
        page.nextLabel = nextLabel;
    if (cancelLabel)
        page.cancelLabel = cancelLabel;
    if (title)
        page.title = title;
    if (text)
        page.text = text;
    if (defaultButton)
        page.defaultButton = defaultButton;
    page.bitmap = bitmap ? bitmap : IDB_GENERAL;
}

PageHook SetPageHook(PageHook hook)
{
    PageHook previous = pageHook;
    pageHook = hook;
    return previous;
}

int ShowPage(void)
{
    if (pageHook) {
        if (lowColour)
            page.bitmap = LowColourBitmap(page.bitmap);
        return pageHook(&page);
    }
    return (int)DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_PAGE), mainWindow, PageDialogProc, 0);
}

/* The 16-colour edition of a page picture, for displays below 15 bits. */
int LowColourBitmap(int bitmap)
{
    switch (bitmap) {
    case IDB_GENERAL: return IDB_GENERAL16;
    case IDB_CDMUSIC: return IDB_CDMUSIC16;
    case IDB_SOUNDCARD: return IDB_SOUNDCARD16;
    case IDB_FINISHED: return IDB_FINISHED16;
    case IDB_GROUP: return IDB_GROUP16;
    }
    return bitmap;
}

void ReleasePageBitmap(void)
{
    if (pageBitmap)
        DeleteObject(pageBitmap);
    pageBitmap = NULL;
}

/* The static control takes the bitmap's size as its outer size and draws its
 * sunken edge over the picture; grow it by the edge so that the whole
 * picture shows. */
static void FitPictureControl(HWND control, HBITMAP bitmap)
{
    BITMAP size;
    RECT outer, inner;
    if (!control || !GetObjectA(bitmap, sizeof(size), &size))
        return;
    GetWindowRect(control, &outer);
    GetClientRect(control, &inner);
    int width = size.bmWidth + (outer.right - outer.left) - inner.right;
    int height = size.bmHeight + (outer.bottom - outer.top) - inner.bottom;
    SetWindowPos(control, NULL, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void SetButton(HWND dialog, int id, int enabled, const char *label)
{
    HWND button = GetDlgItem(dialog, id);
    if (!button)
        return;
    EnableWindow(button, enabled);
    SetWindowTextA(button, label);
}

void InitPageDialog(HWND dialog)
{
    SetWindowTextA(dialog, setupCaption);
    /* The shell opens a folder window for a new program group; the next page
     * must not open behind it. */
    SetForegroundWindow(dialog);
    HWND defaultButton = GetDlgItem(dialog, page.defaultButton);
    if (defaultButton)
        SendMessageA(defaultButton, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    /* The dialog manager keeps its own idea of the default button; tell it
     * too, or Enter still presses the template's first push button. */
    SendMessageA(dialog, DM_SETDEFID, (WPARAM)page.defaultButton, 0);
    SetButton(dialog, IDC_BACK, page.backEnabled, page.backLabel);
    SetButton(dialog, IDC_NEXT, page.nextEnabled, page.nextLabel);
    SetButton(dialog, IDC_CANCEL, page.cancelEnabled, page.cancelLabel);
    if (defaultButton)
        SetFocus(defaultButton);

    SetDlgItemTextA(dialog, IDC_TITLE, page.title);
    SendDlgItemMessageA(dialog, IDC_TITLE, WM_SETFONT, (WPARAM)titleFont, TRUE);
    SetDlgItemTextA(dialog, IDC_TEXT, page.text);
    SendDlgItemMessageA(dialog, IDC_TEXT, WM_SETFONT, (WPARAM)textFont, TRUE);

    if (!page.bitmap)
        page.bitmap = IDB_GENERAL;
    if (lowColour)
        page.bitmap = LowColourBitmap(page.bitmap);
    ReleasePageBitmap();
    pageBitmap = LoadBitmapA(appInstance, MAKEINTRESOURCEA(page.bitmap));
    if (pageBitmap) {
        SendDlgItemMessageA(dialog, IDC_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)pageBitmap);
        FitPictureControl(GetDlgItem(dialog, IDC_PICTURE), pageBitmap);
    }
}

int ConfirmCancel(void)
{
    return SetupMessage(Text(TXT_CONFIRM_CANCEL),
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

/* The third button asks before it leaves only while it reads "Cancelar";
 * "Pasar", "Final" and "OK" close the page at once. */
int WantsToLeave(int id)
{
    if (id == IDC_CANCEL && strcmp(page.cancelLabel, Text(TXT_CANCEL)) == 0)
        return ConfirmCancel();
    return 1;
}

INT_PTR CALLBACK PageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPageDialog(dialog);
        return FALSE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        /* IDCANCEL (2) from Esc and the close box falls through: a page is
         * left only by one of its three buttons. */
        if ((id == IDC_NEXT || id == IDC_BACK || id == IDC_CANCEL) && WantsToLeave(id))
            EndDialog(dialog, id);
        return TRUE;
    }
    case WM_DESTROY:
        ReleasePageBitmap();
        return FALSE;
    }
    return FALSE;
}
