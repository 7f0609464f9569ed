/* Dialog 104, the question for a language on a machine without the game. */
#include "chooser/chooser.h"
#include "chooser/resource.h"

/* In the order the buttons are tested; the position plus one is the language
 * number. Greek's 1004 has no button and is never checked. */
static const int languageButtons[] = { IDC_ENGLISH, IDC_FRENCH, IDC_GERMAN, IDC_ITALIAN, IDC_GREEK, IDC_SPANISH };

static void TakeCheckedLanguage(HWND dialog)
{
    for (int i = 0; i < (int)(sizeof(languageButtons) / sizeof(languageButtons[0])); i++) {
        if (IsDlgButtonChecked(dialog, languageButtons[i]) == BST_CHECKED) {
            languageNumber = i + 1;
            return;
        }
    }
}

INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, IDC_ENGLISH, BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        /* Escape and the close box arrive as IDCANCEL. */
        switch (LOWORD(wParam)) {
        case IDOK:
            TakeCheckedLanguage(dialog);
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR ChooseLanguage(HINSTANCE instance)
{
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LANGUAGE), NULL, LanguageDialogProc, 0);
}
