/* The location page: the rules for a typed directory, its preparation, the
 * directory proposed, and the real dialog driven in-process. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

static const char tooShort[] =
    "La ubicación del subdirectorio que has dado es demasiado pequeño.\n\nInténtalo de nuevo.";
static const char noDrive[] =
    "La ubicación del subdirectorio que has dado no comienza con \"X:\\\"\n"
    "(X es la letra del disco que quieres utilizar).\n\nInténtalo de nuevo.";
static const char createQuestion[] = "Este subdirectorio no existe en la actualidad. ¿Quieres crearlo?";

/* The text after the check, or the box it showed. */
static std::string Checked(const char *typed)
{
    BoxRecorder boxes;
    char text[260];
    lstrcpynA(text, typed, sizeof(text));
    if (CheckLocationText(text))
        return text;
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONEXCLAMATION);
    return "box: " + boxes.LastText();
}

TEST(CheckLocationText, ShortTextsAndMissingDriveLetters)
{
    EXPECT_EQ(Checked("C:\\"), std::string("box: ") + tooShort);
    EXPECT_EQ(Checked(""), std::string("box: ") + tooShort);
    EXPECT_EQ(Checked("C:\\Z"), "C:\\Z");
    EXPECT_EQ(Checked("C:ZEPH"), std::string("box: ") + noDrive);
    EXPECT_EQ(Checked("\\\\server\\share"), std::string("box: ") + noDrive);
    EXPECT_EQ(Checked("ZEPH\\GAME"), std::string("box: ") + noDrive);
    EXPECT_EQ(Checked("C:\\ZEPH\\"), "C:\\ZEPH");
    EXPECT_EQ(Checked("C:\\JUEGOS\\ZEPH"), "C:\\JUEGOS\\ZEPH");
}

struct Location : ::testing::Test {
    ScratchDirectory scratch{ "location" };
    void SetUp() override
    {
        RunMode = RUN_NORMAL;
        installationLocated = 0;
        directoryMissing = 0;
        appInstance = GetModuleHandleA(NULL);
        mainWindow = NULL;
    }
    void TearDown() override
    {
        RunMode = RUN_NORMAL;
        installationLocated = 0;
    }
    void Type(const std::string &text) { lstrcpynA(installDirectory, text.c_str(), sizeof(installDirectory)); }
};

static bool IsDirectory(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Location, NoToTheCreationQuestionKeepsThePage)
{
    BoxRecorder boxes;
    boxes.Answer(IDNO);
    std::string target = scratch + "JUEGOS\\ZEPH";
    Type(target + "\\");
    EXPECT_EQ(AcceptLocation(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, createQuestion);
    EXPECT_EQ(boxes.boxes[0].style, (UINT)(MB_ICONQUESTION | MB_YESNO));
    EXPECT_FALSE(IsDirectory(target));
}

TEST_F(Location, YesCreatesThePathAndTheElevenSubdirectories)
{
    BoxRecorder boxes;
    boxes.Answer(IDYES);
    std::string target = scratch + "JUEGOS\\ZEPH";
    Type(target + "\\");   /* typed with a trailing backslash */
    ASSERT_EQ(AcceptLocation(), 1);
    EXPECT_EQ(std::string(installDirectory), target + "\\");
    for (int n = 0; n <= 10; n++)
        EXPECT_TRUE(IsDirectory(target + "\\G" + std::to_string(n))) << "G" << n;
}

TEST_F(Location, AnExistingDirectoryIsTakenWithoutAQuestion)
{
    BoxRecorder boxes;
    std::string target = scratch + "ZEPH";
    CreateDirectoryA(target.c_str(), NULL);
    CreateDirectoryA((target + "\\G3").c_str(), NULL);   /* an existing G directory is as good */
    Type(target);
    ASSERT_EQ(AcceptLocation(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(std::string(installDirectory), target + "\\");
    EXPECT_TRUE(IsDirectory(target + "\\G10"));
}

TEST_F(Location, ADirectoryThatCannotBeCreatedKeepsThePage)
{
    BoxRecorder boxes;
    boxes.Answer(IDYES);
    /* A file stands where the directory's parent should be. */
    WriteWholeFile(scratch + "FILE", "x");
    Type(scratch + "FILE\\ZEPH");
    EXPECT_EQ(AcceptLocation(), 0);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "La ubicación del subdirectorio que has dado no ha podido\n"
                                   "crearse. Posiblemente contenga caracteres incorrectos.\n\nInténtalo de nuevo.");
    EXPECT_EQ(boxes.boxes[1].style, (UINT)MB_ICONEXCLAMATION);
}

/* Refused before anything is made: no directory, and no G0 to G10 beside it
 * with names cut to fit. */
TEST_F(Location, ALocationTooLongForTheGamesFilesIsRefused)
{
    BoxRecorder boxes;
    boxes.Answer(IDOK);
    boxes.Answer(IDYES);
    std::string parent = scratch + "P";
    CreateDirectoryA(parent.c_str(), NULL);
    std::string target = parent + "\\" + std::string(259 - 17 - parent.size(), 'Z');
    Type(target);
    EXPECT_EQ(AcceptLocation(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "La ubicación del subdirectorio que has dado es demasiado larga.\n\n"
                                   "Inténtalo de nuevo.");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONEXCLAMATION);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((parent + "\\*").c_str(), &found);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            entries += found.cFileName[0] != '.';
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(entries, 0);

    /* One character shorter fits. */
    boxes.boxes.clear();
    Type(target.substr(0, target.size() - 1));
    EXPECT_EQ(AcceptLocation(), 1) << boxes.LastText();
    EXPECT_TRUE(IsDirectory(target.substr(0, target.size() - 1) + "\\G10"));
}

TEST_F(Location, UninstallOnlyLooksWhetherTheDirectoryExists)
{
    BoxRecorder boxes;
    RunMode = RUN_UNINSTALL;
    Type(scratch + "GONE");
    ASSERT_EQ(AcceptLocation(), 1);
    EXPECT_EQ(directoryMissing, 1);
    EXPECT_FALSE(IsDirectory(scratch + "GONE"));
    EXPECT_EQ(std::string(installDirectory), scratch + "GONE\\");

    CreateDirectoryA((scratch + "HERE").c_str(), NULL);
    Type(scratch + "HERE\\");
    ASSERT_EQ(AcceptLocation(), 1);
    EXPECT_EQ(directoryMissing, 0);
    EXPECT_FALSE(IsDirectory(scratch + "HERE\\G0"));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Location, TheDefaultIsZephOnTheWindowsDrive)
{
    char text[260];
    Type("E:\\JUEGOS\\ZEPH\\");
    ProposeLocation(text, sizeof(text));
    EXPECT_STREQ(text, "C:\\ZEPH");   /* the prefix's Windows directory is C:\windows */

    /* After "Reinstalar" found the game: the directory it was found in. */
    installationLocated = 1;
    ProposeLocation(text, sizeof(text));
    EXPECT_STREQ(text, "E:\\JUEGOS\\ZEPH");

    installationLocated = 0;
    RunMode = RUN_UNINSTALL;
    Type("");
    ProposeLocation(text, sizeof(text));
    EXPECT_STREQ(text, "");
}

/* The real dialog: each timer tick performs the next step on the open page. */
static std::vector<std::string> steps;
static size_t nextStep;
static std::string proposedText;

static BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char name[16];
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK TypeAndPress(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, (LPARAM)&dialog);
    if (!dialog)
        return;
    if (nextStep == 0) {
        char text[260];
        GetDlgItemTextA(dialog, IDC_PATH, text, sizeof(text));
        proposedText = text;
    }
    if (nextStep >= steps.size()) {
        KillTimer(NULL, timer);
        return;
    }
    const std::string &step = steps[nextStep++];
    if (step == "next")
        PostMessageA(dialog, WM_COMMAND, IDC_NEXT, 0);
    else if (step == "cancel")
        PostMessageA(dialog, WM_COMMAND, IDC_CANCEL, 0);
    else if (step == "escape")
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    else
        SetDlgItemTextA(dialog, IDC_PATH, step.c_str());
}

static int RunLocationPage(std::vector<std::string> script)
{
    steps = script;
    nextStep = 0;
    proposedText.clear();
    SetTimer(NULL, 0, 20, TypeAndPress);
    return LocationPage();
}

TEST_F(Location, ThePageRefusesUntilADirectoryIsAccepted)
{
    BoxRecorder boxes;
    boxes.Answer(IDOK);
    boxes.Answer(IDOK);
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    std::string target = scratch + "JUEGOS\\ZEPH";
    int accepted = RunLocationPage({ "C:\\", "next", "C:JUEGOS", "next", "escape", target, "next", "next" });
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(proposedText, "C:\\ZEPH");
    ASSERT_EQ(boxes.boxes.size(), 4u);
    EXPECT_EQ(boxes.boxes[0].text, tooShort);
    EXPECT_EQ(boxes.boxes[1].text, noDrive);
    EXPECT_EQ(boxes.boxes[2].text, createQuestion);
    EXPECT_EQ(boxes.boxes[3].text, createQuestion);
    EXPECT_EQ(std::string(installDirectory), target + "\\");
    EXPECT_TRUE(IsDirectory(target + "\\G0"));
    EXPECT_STREQ(page.title, "Ubicación de la Instalación");
    EXPECT_EQ(page.backEnabled, 0);
}

TEST_F(Location, CancelAsksAndEndsThePage)
{
    BoxRecorder boxes;
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    EXPECT_EQ(RunLocationPage({ "cancel", "cancel" }), 0);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "¿Seguro que quieres cancelar y salir?");
}
