/* The system information page of the SYSTEMINFO start: display driver, sound
 * device, physical memory, CD drive and DirectX, one row each. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/devices/devices.h"
#include "settings/settings.h"
#include "setup/windows/directx.h"
#include "setup/resources/resource.h"
#include "settings/texts.h"

/* GlobalMemoryStatus reports up to 4 GB in 32 bits and more in 64: taken as
 * an unsigned count, so that a machine with 2 GB or more shows its memory
 * instead of a negative number. */
DWORD PhysicalMemoryKb(SIZE_T totalBytes)
{
    ULONGLONG kilobytes = (ULONGLONG)totalBytes >> 10;
    return kilobytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : (DWORD)kilobytes;
}

static void ShowMemoryRow(HWND dialog)
{
    char text[16];
    memoryStatus.dwLength = sizeof(memoryStatus);
    GlobalMemoryStatus(&memoryStatus);
    wsprintfA(text, "%lu", PhysicalMemoryKb(memoryStatus.dwTotalPhys));
    SetDlgItemTextA(dialog, IDC_VALUE_MEMORY, text);
}

static void FillSystemRows(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_LABEL_VIDEO, Text(TXT_LABEL_VIDEO));
    SetDlgItemTextA(dialog, IDC_LABEL_SOUND, Text(TXT_LABEL_SOUND));
    SetDlgItemTextA(dialog, IDC_LABEL_MEMORY, Text(TXT_LABEL_MEMORY));
    SetDlgItemTextA(dialog, IDC_LABEL_CDROM, Text(TXT_LABEL_CDROM));
    SetDlgItemTextA(dialog, IDC_LABEL_DIRECTX, Text(TXT_LABEL_DIRECTX));

    ReadVideoDriverName();
    SetDlgItemTextA(dialog, IDC_VALUE_VIDEO, videoDriverName);
    ReadSoundDeviceName();
    SetDlgItemTextA(dialog, IDC_VALUE_SOUND, soundDeviceName);
    ShowMemoryRow(dialog);
    SetDlgItemTextA(dialog, IDC_VALUE_CDROM, sourceDriveText);
    SetDlgItemTextA(dialog, IDC_VALUE_DIRECTX, Text(DirectXPresent() ? TXT_DETECTED : TXT_NOT_DETECTED));
}

INT_PTR CALLBACK SystemInformationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPageDialog(dialog);
        FillSystemRows(dialog);
        return FALSE;   /* InitPageDialog gave the focus to OK */
    case WM_COMMAND:
        /* Esc and the close box send IDCANCEL (2): only OK leaves. */
        if (LOWORD(wParam) == IDC_CANCEL)
            EndDialog(dialog, IDC_CANCEL);
        return TRUE;
    case WM_DESTROY:
        ReleasePageBitmap();
        return FALSE;
    }
    return FALSE;
}

/* The back and next labels are left as they were: template 107 has only the
 * third button. */
int ShowSystemInformation(void)
{
    SetPage(1, 1, 1, NULL, NULL, Text(TXT_OK), Text(TXT_SYSTEM_INFORMATION), Text(TXT_SYSINFO_TEXT),
            IDC_CANCEL, 0);
    return (int)DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_SYSINFO), mainWindow, SystemInformationProc, 0);
}
