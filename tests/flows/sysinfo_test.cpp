/* The system information page on the real template 107: the five rows with
 * the driver files present and missing, the rows' places, and the memory in
 * KB beyond 2 GB. */
#include "tests/flows/flowsupport.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/directx.h"
#include <gtest/gtest.h>

typedef std::vector<std::string> Rows;

struct SystemInformation : ::testing::Test {
    ScratchDirectory game{ "sysinfo" };
    BoxRecorder boxes;
    void SetUp() override
    {
        appInstance = GetModuleHandleA(NULL);
        mainWindow = NULL;
        lowColour = 0;
        lstrcpyA(recordedDirectory, game.path);
        rebootNeeded = 0;
    }
    void TearDown() override
    {
        recordedDirectory[0] = '\0';
        rebootNeeded = 0;
        SetSourceDrive('D');
    }
};

static std::string MemoryKb(void)
{
    MEMORYSTATUS status;
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    char text[32];
    wsprintfA(text, "%lu", (DWORD)((ULONGLONG)status.dwTotalPhys >> 10));
    return text;
}

/* UVCONFIG.DAT keeps the display driver's name at byte 21009. */
static void WriteVideoConfiguration(const std::string &path, const char *name)
{
    std::string bytes(21100, ' ');
    bytes.replace(21009, strlen(name) + 1, std::string(name) + '\0');
    WriteWholeFile(path, bytes);
}

/* Where a control should be: the template's dialog units on this dialog,
 * position and size converted apart as the dialog manager does. */
static void ExpectPlace(HWND dialog, int id, int x, int y, int width, int height)
{
    RECT place = { x, y, width, height }, got;
    MapDialogRect(dialog, &place);
    HWND control = GetDlgItem(dialog, id);
    ASSERT_TRUE(control) << id;
    GetWindowRect(control, &got);
    MapWindowPoints(NULL, dialog, (POINT *)&got, 2);
    EXPECT_EQ(got.left, place.left) << id;
    EXPECT_EQ(got.top, place.top) << id;
    EXPECT_EQ(got.right - got.left, place.right) << id;
    EXPECT_EQ(got.bottom - got.top, place.bottom) << id;
    bool label = id == 1021 || id == 1022 || id == 1024 || id == 1025 || id == 1029;
    if (label) {
        EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT) << id;
    }
}

TEST_F(SystemInformation, FiveRowsFromTheGameDirectoryAndTheMachine)
{
    WriteVideoConfiguration(game + "UVCONFIG.DAT", "VESA VBE 2.0 Lineal");
    WriteWholeFile(game + "DIG.INI", "; sonido\r\nDEVICE  Sound Blaster 16  \r\n");
    SetSourceDrive('E');
    rebootNeeded = 1;   /* DirectX installed in this run: present */

    ScriptedUser user;
    user.Press(IDC_CANCEL);
    user.onPage = [](const SeenPage &page) {
        const int rowIds[][2] = { { 1021, 1027 }, { 1022, 1028 }, { 1024, 1030 }, { 1025, 1031 }, { 1029, 1032 } };
        for (int row = 0; row < 5; row++) {
            ExpectPlace(page.window, rowIds[row][0], 155, 80 + 15 * row, 67, 8);
            ExpectPlace(page.window, rowIds[row][1], 226, 80 + 15 * row, 164, 10);
        }
        ExpectPlace(page.window, IDC_CANCEL, 330, 190, 55, 15);
        EXPECT_FALSE(GetDlgItem(page.window, IDC_NEXT));
        EXPECT_FALSE(GetDlgItem(page.window, IDC_BACK));
    };
    EXPECT_EQ(ShowSystemInformation(), IDC_CANCEL);
    ASSERT_EQ(user.seen.size(), 1u);
    const SeenPage &shown = user.seen[0];
    EXPECT_EQ(shown.title, "Información del Sistema");
    EXPECT_EQ(shown.text, "Algunos datos básicos sobre la configuración de tu sistema.");
    EXPECT_EQ(shown.cancel, "OK");
    EXPECT_TRUE(shown.cancelEnabled);
    EXPECT_EQ(shown.rows, (Rows{ "Adaptador de Vídeo:", "VESA VBE 2.0 Lineal", "Tarjeta de Sonido:", "Sound Blaster 16",
                                 "Memoria Física:", MemoryKb(), "Unidad CD-ROM:", "E", "DirectX:", "Detectado" }));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
}

TEST_F(SystemInformation, MissingDriverFilesReadUnknownWithoutABox)
{
    ScriptedUser user;
    user.Press(IDC_CANCEL);
    EXPECT_EQ(ShowSystemInformation(), IDC_CANCEL);
    ASSERT_EQ(user.seen.size(), 1u);
    ASSERT_EQ(user.seen[0].rows.size(), 10u);
    EXPECT_EQ(user.seen[0].rows[1], "Unknown");
    EXPECT_EQ(user.seen[0].rows[3], "Unknown");
    EXPECT_EQ(user.seen[0].rows[7], "D");
    EXPECT_EQ(user.seen[0].rows[9], DirectXPresent() ? "Detectado" : "No Detectado");
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
}

/* Esc and the close box send IDCANCEL: the page stays until OK. */
TEST_F(SystemInformation, OnlyOkClosesThePage)
{
    HWND dialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(107), NULL, SystemInformationProc, 0);
    ASSERT_TRUE(dialog);
    ShowWindow(dialog, SW_SHOWNA);   /* EndDialog would hide it */
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_TRUE(IsWindowVisible(dialog));
    DestroyWindow(dialog);
}

TEST(PhysicalMemoryKb, CountsPastTwoGigabytes)
{
    EXPECT_EQ(PhysicalMemoryKb(16u << 20), 16384u);
    EXPECT_EQ(PhysicalMemoryKb((SIZE_T)3u << 30), 3145728u);   /* negative as a signed 32-bit count */
    EXPECT_EQ(PhysicalMemoryKb((SIZE_T)0xFFFFFFFFu), 4194303u);
}
