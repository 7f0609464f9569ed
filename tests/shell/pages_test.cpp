/* Wizard pages: what carries over from page to page, the 16-colour pictures,
 * and which commands leave a page, on the real dialog template. */
#include "setup/shell/shell.h"
#include "setup/resources/resource.h"
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(SetPage, NullTextsAndZeroDefaultKeepThePreviousPage)
{
    SetPage(0, 1, 1, "< Atrás", "Siguiente >", "Pasar", "Tarjeta de Sonido", "first", IDC_BACK, IDB_SOUNDCARD);
    /* A Yes/No page passes no cancel label. */
    SetPage(1, 1, 0, "No", "Sí", NULL, NULL, "second", 0, 0);
    EXPECT_EQ(page.backEnabled, 1);
    EXPECT_EQ(page.cancelEnabled, 0);
    EXPECT_STREQ(page.backLabel, "No");
    EXPECT_STREQ(page.nextLabel, "Sí");
    EXPECT_STREQ(page.cancelLabel, "Pasar");
    EXPECT_STREQ(page.title, "Tarjeta de Sonido");
    EXPECT_STREQ(page.text, "second");
    EXPECT_EQ(page.defaultButton, IDC_BACK);
    EXPECT_EQ(page.bitmap, IDB_GENERAL);   /* 0 is the general picture */

    /* The next page with a null cancel label still shows the one set before. */
    SetPage(1, 1, 1, "< Atrás", "Siguiente >", NULL, "Grupo e Iconos", "third", IDC_NEXT, IDB_GROUP);
    EXPECT_STREQ(page.cancelLabel, "Pasar");
    EXPECT_EQ(page.cancelEnabled, 1);
    EXPECT_EQ(page.bitmap, IDB_GROUP);
}

static std::string ControlText(HWND dialog, int id)
{
    char text[512];
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

struct PageDialog : ::testing::Test {
    void SetUp() override
    {
        appInstance = GetModuleHandleA(NULL);
        mainWindow = NULL;
        lowColour = 0;
    }
    void TearDown() override { lowColour = 0; }
};

TEST_F(PageDialog, InitShowsTheDescriptionAndSubstitutesOnFewColours)
{
    lowColour = 1;
    SetPage(0, 1, 1, "< Atrás", "Siguiente >", "Pasar", "Tarjeta de Sonido", "Texto de prueba", IDC_NEXT,
            IDB_SOUNDCARD);
    HWND dialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_PAGE), NULL, PageDialogProc, 0);
    ASSERT_TRUE(dialog != NULL);
    EXPECT_EQ(page.bitmap, 126);
    EXPECT_TRUE(SendDlgItemMessageA(dialog, IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
    /* The whole 200 x 240 picture shows inside the sunken edge. */
    RECT picture;
    GetClientRect(GetDlgItem(dialog, IDC_PICTURE), &picture);
    EXPECT_EQ(picture.right, 200);
    EXPECT_EQ(picture.bottom, 240);

    char caption[64];
    GetWindowTextA(dialog, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Configuración");
    EXPECT_EQ(ControlText(dialog, IDC_TITLE), "Tarjeta de Sonido");
    EXPECT_EQ(ControlText(dialog, IDC_TEXT), "Texto de prueba");
    EXPECT_EQ(ControlText(dialog, IDC_BACK), "< Atrás");
    EXPECT_EQ(ControlText(dialog, IDC_CANCEL), "Pasar");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_BACK)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEXT)));
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_NEXT), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_NEXT));
    DestroyWindow(dialog);
}

/* Commands posted to the next page that opens on this thread; the page's own
 * modal loop then delivers them in order. */
static std::vector<MSG> scriptedCommands;

static BOOL CALLBACK FindPage(HWND window, LPARAM found)
{
    char name[16];
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK PostScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindPage, (LPARAM)&dialog);
    if (!dialog)
        return;   /* not open yet: the timer comes again */
    KillTimer(NULL, timer);
    for (const MSG &m : scriptedCommands) {
        HWND target = m.hwnd ? GetFocus() : dialog;
        PostMessageA(target, m.message, m.wParam, m.lParam);
    }
}

static MSG Command(int id) { return MSG{ NULL, WM_COMMAND, (WPARAM)id, 0, 0, {0, 0} }; }
static MSG Escape(void) { return MSG{ (HWND)1, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0} }; }
static MSG CloseBox(void) { return MSG{ NULL, WM_SYSCOMMAND, SC_CLOSE, 0, 0, {0, 0} }; }

static int ShowScriptedPage(std::vector<MSG> commands)
{
    scriptedCommands = commands;
    SetTimer(NULL, 0, 20, PostScript);
    return ShowPage();
}

TEST_F(PageDialog, EscAndTheCloseBoxDoNothingAndNoKeepsThePage)
{
    BoxRecorder boxes;
    boxes.Answer(IDNO);
    SetPage(1, 1, 1, "No", "Sí", "Cancelar", "Tinfoil Tango", "¿Quieres instalar Tinfoil Tango en tu ordenador?",
            IDC_NEXT, IDB_GENERAL);
    /* Only the last command can close the page: Back, so 1003 proves that
     * none of the others did. */
    int result = ShowScriptedPage({ Escape(), CloseBox(), Command(IDCANCEL), Command(IDC_CANCEL), Command(IDC_BACK) });
    EXPECT_EQ(result, IDC_BACK);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const RecordedBox &box = boxes.boxes[0];
    EXPECT_EQ(box.text, "¿Seguro que quieres cancelar y salir?");
    EXPECT_EQ(box.caption, "Configuración");
    EXPECT_EQ(box.style, (UINT)(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
}

TEST_F(PageDialog, CancelConfirmedLeavesThePage)
{
    BoxRecorder boxes;
    boxes.Answer(IDYES);
    SetPage(1, 1, 1, "No", "Sí", "Cancelar", "Tinfoil Tango", "texto", IDC_NEXT, IDB_GENERAL);
    EXPECT_EQ(ShowScriptedPage({ Command(IDC_CANCEL) }), IDC_CANCEL);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(PageDialog, OtherThirdButtonLabelsLeaveAtOnce)
{
    BoxRecorder boxes;
    const char *labels[] = { "Pasar", "Final", "OK", "cancelar" };
    for (const char *label : labels) {
        SCOPED_TRACE(label);
        SetPage(1, 1, 1, "< Atrás", "Siguiente >", label, "Tinfoil Tango", "texto", IDC_NEXT, IDB_GENERAL);
        EXPECT_EQ(ShowScriptedPage({ Command(IDC_CANCEL) }), IDC_CANCEL);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

/* Flows are tested with a page hook standing in for the user. */
static std::vector<std::string> hookTitles;
static int HookAnswer(const PageDescription *shown)
{
    hookTitles.push_back(shown->title);
    return IDC_NEXT;
}

TEST_F(PageDialog, HookAnswersInsteadOfTheDialog)
{
    lowColour = 1;
    hookTitles.clear();
    PageHook previous = SetPageHook(HookAnswer);
    SetPage(0, 1, 1, NULL, NULL, NULL, "Música CD", "texto", IDC_NEXT, IDB_CDMUSIC);
    EXPECT_EQ(ShowPage(), IDC_NEXT);
    SetPageHook(previous);
    ASSERT_EQ(hookTitles.size(), 1u);
    EXPECT_EQ(hookTitles[0], "Música CD");
    EXPECT_EQ(page.bitmap, 122);
}
