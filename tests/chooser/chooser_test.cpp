/* Chooser's pieces in process: the command-line rule, the launch table's
 * bound, QVX.INF as Chooser reads it with its own messages, the look-up of
 * the installed game's language over the run's scratch CD (drive D:), the
 * install record, and dialog 104 driven through a window procedure hook. */
#include "chooser/chooser.h"
#include "chooser/resource.h"
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>
#include <limits.h>

/* ---- command line ----------------------------------------------------------- */

TEST(CommandLine, TheArgumentIsWhatFollowsTheFirstSpace)
{
    struct Row { const char *line, *argument; int autorun; } rows[] = {
        { "D:\\CHOOSER.EXE AUTORUN", "AUTORUN", 1 },
        { "CHOOSER.EXE AUTORUN", "AUTORUN", 1 },
        { "D:\\CHOOSER.EXE  AUTORUN", " AUTORUN", 0 },   /* two spaces leave one in front */
        { "D:\\CHOOSER.EXE autorun", "autorun", 0 },
        { "D:\\CHOOSER.EXE AUTORUN ", "AUTORUN ", 0 },
        { "D:\\CHOOSER.EXE AUTORUNS", "AUTORUNS", 0 },
        { "D:\\CHOOSER.EXE AUTORUN X", "AUTORUN X", 0 },
        { "D:\\CHOOSER.EXE X", "", 0 },                  /* the space is next to last */
        { "D:\\CHOOSER.EXE ", "", 0 },                   /* the space is last */
        { "D:\\CHOOSER.EXE XY", "XY", 0 },
        { "D:\\CHOOSER.EXE", "D:\\CHOOSER.EXE", 0 },     /* no space: the whole line */
        { "AUTORUN", "AUTORUN", 1 },
        { "", "", 0 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_STREQ(ChooserArgument(row.line), row.argument);
        EXPECT_EQ(IsAutorunArgument(ChooserArgument(row.line)), row.autorun);
    }
}

/* ---- launch table --------------------------------------------------------------- */

TEST(LaunchTable, EveryNumberOutsideOneToSevenStartsEnglish)
{
    EXPECT_STREQ(LaunchEntry(1), "ENGLISH\\OUTFIT.EXE");
    EXPECT_STREQ(LaunchEntry(2), "FRENCH\\OUTFIT.EXE");
    EXPECT_STREQ(LaunchEntry(5), "GREEK\\OUTFIT.EXE");
    EXPECT_STREQ(LaunchEntry(6), "SPANISH\\OUTFIT.EXE");
    EXPECT_STREQ(LaunchEntry(7), "JAPANESE\\OUTFIT.EXE");
    for (LONG outside : { 0L, -1L, 8L, 9L, 1000L, (LONG)INT_MAX, (LONG)INT_MIN }) {
        SCOPED_TRACE(outside);
        EXPECT_STREQ(LaunchEntry(outside), "ENGLISH\\OUTFIT.EXE");
    }
}

/* ---- QVX.INF ------------------------------------------------------------------------ */

struct LanguageFixture : ::testing::Test {
    ScratchDirectory scratch{ "chooser" };
    BoxRecorder boxes;
    void SetUp() override
    {
        DiscardLanguageSettings();
        languageNumber = 1;
        markerFile[0] = '\0';
    }
    void TearDown() override { DiscardLanguageSettings(); }
    void Settings(const std::string &text) { WriteWholeFile(scratch + "QVX.INF", text); }
    void ExpectOnlyBox(const char *text)
    {
        ASSERT_EQ(boxes.boxes.size(), 1u) << boxes.LastText();
        EXPECT_EQ(boxes.boxes[0].text, text);
        EXPECT_EQ(boxes.boxes[0].caption, "Language Selector");
        EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONERROR);
        EXPECT_EQ(boxes.boxes[0].owner, (HWND)NULL);
    }
};

TEST_F(LanguageFixture, LanguageAndMarkerAcrossBlankLinesAndSections)
{
    Settings("; comment\r\n\r\n[SETUP]\r\n\r\nlanguage,6\r\n\r\n[OTHER]\r\ninstalled_file,zeph4w95.exe\r\n"
             "LANGUAGE,2\r\n");
    EXPECT_EQ(LoadLanguageSettings(scratch.path), 1);
    EXPECT_EQ(languageNumber, 6);                   /* the first matching line wins */
    EXPECT_STREQ(markerFile, "ZEPH4W95.EXE");      /* the line is upper-cased */
    EXPECT_TRUE(boxes.boxes.empty());
    /* The file is closed: it can go at once. */
    EXPECT_TRUE(DeleteFileA((scratch + "QVX.INF").c_str()));
}

TEST_F(LanguageFixture, ALoadedTextIsKeptWithoutReading)
{
    Settings("LANGUAGE,3\r\nINSTALLED_FILE,A.EXE\r\n");
    ASSERT_EQ(LoadLanguageSettings(scratch.path), 1);
    EXPECT_EQ(LoadLanguageSettings("Z:\\no\\such\\place\\"), 1);
    EXPECT_EQ(languageNumber, 3);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LanguageFixture, NoLanguageLineGivesMinusOneAndNoFieldZero)
{
    Settings("INSTALLED_FILE,A.EXE\r\n");
    EXPECT_EQ(LoadLanguageSettings(scratch.path), 1);
    EXPECT_EQ(languageNumber, -1);
    DiscardLanguageSettings();
    Settings("LANGUAGE\r\nINSTALLED_FILE,A.EXE\r\n");
    EXPECT_EQ(LoadLanguageSettings(scratch.path), 1);
    EXPECT_EQ(languageNumber, 0);
}

TEST_F(LanguageFixture, AMissingFileCannotBeOpened)
{
    EXPECT_EQ(LoadLanguageSettings(scratch.path), 0);
    ExpectOnlyBox("Cannot open a file that I need!");
    EXPECT_EQ(settingsText, (char *)NULL);
}

TEST_F(LanguageFixture, AnEmptyFileHasNoSize)
{
    Settings("");
    EXPECT_EQ(LoadLanguageSettings(scratch.path), 0);
    ExpectOnlyBox("Cannot get the size of a file that I need!");
    EXPECT_EQ(settingsText, (char *)NULL);
    EXPECT_TRUE(DeleteFileA((scratch + "QVX.INF").c_str()));
}

TEST_F(LanguageFixture, WithoutInstalledFileTheLanguageIsSetAllTheSame)
{
    Settings("LANGUAGE,4\r\nINSTALLED,X\r\n");
    EXPECT_EQ(LoadLanguageSettings(scratch.path), 0);
    ExpectOnlyBox("INSTALLED_FILE parameter missing from QVX.INF!");
    EXPECT_EQ(languageNumber, 4);
    EXPECT_TRUE(DeleteFileA((scratch + "QVX.INF").c_str()));
}

TEST_F(LanguageFixture, OverLongLinesAndFieldsHaveChoosersMessage)
{
    std::string longLine(300, 'X');
    Settings(longLine + "\r\nLANGUAGE,6\r\nINSTALLED_FILE,A.EXE\r\n");
    EXPECT_EQ(LoadLanguageSettings(scratch.path), 1);
    EXPECT_EQ(languageNumber, 6);
    ASSERT_FALSE(boxes.boxes.empty());
    for (const RecordedBox &box : boxes.boxes) {
        EXPECT_EQ(box.text, "Lines in QVX.INF are too big!");
        EXPECT_EQ(box.caption, "Language Selector");
    }
}

TEST_F(LanguageFixture, ADirectoryTooLongForTheNameIsNotOpened)
{
    std::string directory = "C:\\" + std::string(252, 'D') + "\\";
    EXPECT_EQ(LoadLanguageSettings(directory.c_str()), 0);
    ExpectOnlyBox("Cannot open a file that I need!");
}

/* ---- the installed game's language, from the run's scratch CD -------------------- */

/* D: of the test run is an empty CD-ROM folder; \DATA1\ is taken from the
 * current drive, as Chooser started from the CD's root does. */
struct InstalledFixture : LanguageFixture {
    char previous[MAX_PATH];
    char marker[64];
    void SetUp() override
    {
        LanguageFixture::SetUp();
        GetCurrentDirectoryA(sizeof(previous), previous);
        CreateDirectoryA("D:\\DATA1", NULL);
        ASSERT_TRUE(SetCurrentDirectoryA("D:\\"));
        /* A marker no other file of the prefix has, for the walk over C:. */
        wsprintfA(marker, "TTCHOOSE%lu.EXE", GetCurrentProcessId());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(previous);
        DeleteFileA("D:\\DATA1\\QVX.INF");
        RemoveDirectoryA("D:\\DATA1");
        LanguageFixture::TearDown();
    }
    void CdSettings(const std::string &text) { WriteWholeFile("D:\\DATA1\\QVX.INF", text); }
};

TEST_F(InstalledFixture, TheInstalledCopyGivesTheLanguage)
{
    CdSettings("LANGUAGE,2\r\nINSTALLED_FILE," + std::string(marker) + "\r\n");
    Settings("LANGUAGE,6\r\nINSTALLED_FILE,X\r\n");
    WriteWholeFile(scratch + marker, "game");
    EXPECT_EQ(LookUpInstalledLanguage(scratch.path), 6);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
    EXPECT_EQ(settingsText, (char *)NULL);
}

TEST_F(InstalledFixture, ARecordWithoutItsBackslashStillFindsQvxInside)
{
    CdSettings("INSTALLED_FILE," + std::string(marker) + "\r\n");
    Settings("LANGUAGE,4\r\nINSTALLED_FILE,X\r\n");
    WriteWholeFile(scratch + marker, "game");
    std::string bare(scratch.path, strlen(scratch.path) - 1);
    EXPECT_EQ(LookUpInstalledLanguage(bare.c_str()), 4);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
}

TEST_F(InstalledFixture, AnUnreadableInstalledCopyKeepsTheCdLanguage)
{
    CdSettings("LANGUAGE,3\r\nINSTALLED_FILE," + std::string(marker) + "\r\n");
    Settings("");
    WriteWholeFile(scratch + marker, "game");
    EXPECT_EQ(LookUpInstalledLanguage(scratch.path), 3);
    ExpectOnlyBox("Cannot get the size of a file that I need!");
}

TEST_F(InstalledFixture, OutOfRangeLanguagesStayForTheLaunchTableToBound)
{
    CdSettings("INSTALLED_FILE," + std::string(marker) + "\r\n");
    WriteWholeFile(scratch + marker, "game");
    Settings("LANGUAGE,9\r\nINSTALLED_FILE,X\r\n");
    EXPECT_STREQ(LaunchEntry(LookUpInstalledLanguage(scratch.path)), "ENGLISH\\OUTFIT.EXE");
    Settings("LANGUAGE\r\nINSTALLED_FILE,X\r\n");
    EXPECT_STREQ(LaunchEntry(LookUpInstalledLanguage(scratch.path)), "ENGLISH\\OUTFIT.EXE");
    Settings("INSTALLED_FILE,X\r\n");
    EXPECT_EQ(LookUpInstalledLanguage(scratch.path), 1);   /* no LANGUAGE line */
}

TEST_F(InstalledFixture, WithoutTheCdCopyNothingIsSearchedAndEnglishIsStarted)
{
    Settings("LANGUAGE,6\r\nINSTALLED_FILE,X\r\n");
    languageNumber = 6;
    EXPECT_EQ(LookUpInstalledLanguage(scratch.path), 1);
    ExpectOnlyBox("Cannot open a file that I need!");
}

/* ---- install record -------------------------------------------------------------------- */

TEST(InstallRecord, TheValueUnderThePublishersKeyMarksTheGameInstalled)
{
    const char *subkey = "SOFTWARE\\Vornhollow Entertainment";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    char saved[CHOOSER_PATH];
    DWORD savedSize = sizeof(saved);
    bool hadValue = RegQueryValueExA(key, "Tinfoil Tango", NULL, NULL, (BYTE *)saved, &savedSize) == ERROR_SUCCESS;

    const char recorded[] = "C:\\JUEGOS\\ZEPH\\";
    RegSetValueExA(key, "Tinfoil Tango", 0, REG_SZ, (const BYTE *)recorded, sizeof(recorded));
    char directory[CHOOSER_PATH];
    EXPECT_EQ(ReadGameRecord(directory), 1);
    EXPECT_STREQ(directory, recorded);

    /* 260 bytes with no terminator: cut, never read past. */
    std::string full(CHOOSER_PATH, 'A');
    RegSetValueExA(key, "Tinfoil Tango", 0, REG_SZ, (const BYTE *)full.data(), CHOOSER_PATH);
    ReadGameRecord(directory);
    EXPECT_LT(strlen(directory), (size_t)CHOOSER_PATH);

    RegDeleteValueA(key, "Tinfoil Tango");
    EXPECT_EQ(ReadGameRecord(directory), 0);
    EXPECT_STREQ(directory, "");

    if (hadValue)
        RegSetValueExA(key, "Tinfoil Tango", 0, REG_SZ, (const BYTE *)saved, savedSize);
    RegCloseKey(key);
    if (!hadValue)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey);   /* fails, harmlessly, while others' values are in it */
}

/* ---- dialog 104 ------------------------------------------------------------------------- */

/* What the hook does to the dialog right after WM_INITDIALOG: it reads the
 * labels and the check of English, then posts the steps in order, so that
 * they run inside the dialog's own modal loop. */
struct PostedStep { int control; UINT message; WPARAM wParam; };
static std::vector<PostedStep> dialogSteps;
static std::string shownLabels;
static int englishCheckedAtOpen;
static HHOOK dialogHook;

static LRESULT CALLBACK DriveDialog(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *call = (const CWPRETSTRUCT *)lParam;
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        HWND dialog = call->hwnd;
        char label[64];
        shownLabels.clear();
        for (int id : { IDC_ENGLISH, IDC_FRENCH, IDC_GERMAN, IDC_ITALIAN, IDC_SPANISH }) {
            GetDlgItemTextA(dialog, id, label, sizeof(label));
            shownLabels += std::string(label) + "|";
        }
        englishCheckedAtOpen = IsDlgButtonChecked(dialog, IDC_ENGLISH) == BST_CHECKED;
        for (const PostedStep &step : dialogSteps) {
            HWND target = step.control ? GetDlgItem(dialog, step.control) : dialog;
            PostMessageA(target, step.message, step.wParam, 0);
        }
        dialogSteps.clear();
    }
    return CallNextHookEx(dialogHook, code, wParam, lParam);
}

static INT_PTR RunDialog(std::vector<PostedStep> steps)
{
    dialogSteps = steps;
    dialogHook = SetWindowsHookExA(WH_CALLWNDPROCRET, DriveDialog, NULL, GetCurrentThreadId());
    INT_PTR result = ChooseLanguage(GetModuleHandleA(NULL));
    UnhookWindowsHookEx(dialogHook);
    return result;
}

TEST(LanguageDialog, EnglishIsCheckedAndTheLabelsAreWindows1252)
{
    languageNumber = 4;
    EXPECT_EQ(RunDialog({ { 0, WM_COMMAND, IDOK } }), IDOK);
    EXPECT_EQ(englishCheckedAtOpen, 1);
    EXPECT_EQ(languageNumber, 1);
    EXPECT_EQ(shownLabels, "English|Franc\xE1is|Deutsch|Italiano|Espan\xF5l|");
}

TEST(LanguageDialog, TheCheckedButtonGivesTheNumber)
{
    struct Row { int button; LONG language; } rows[] = {
        { IDC_FRENCH, 2 }, { IDC_GERMAN, 3 }, { IDC_ITALIAN, 4 }, { IDC_SPANISH, 6 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.button);
        languageNumber = 1;
        EXPECT_EQ(RunDialog({ { row.button, BM_CLICK, 0 }, { 0, WM_COMMAND, IDOK } }), IDOK);
        EXPECT_EQ(languageNumber, row.language);
    }
}

TEST(LanguageDialog, NothingCheckedKeepsTheNumber)
{
    languageNumber = 5;
    EXPECT_EQ(RunDialog({ { IDC_ENGLISH, BM_SETCHECK, BST_UNCHECKED }, { 0, WM_COMMAND, IDOK } }), IDOK);
    EXPECT_EQ(languageNumber, 5);
}

TEST(LanguageDialog, CancelEscapeAndCloseLeaveWithoutALanguage)
{
    languageNumber = 1;
    EXPECT_EQ(RunDialog({ { IDC_SPANISH, BM_CLICK, 0 }, { 0, WM_COMMAND, IDCANCEL } }), IDCANCEL);
    EXPECT_EQ(languageNumber, 1);
    EXPECT_EQ(RunDialog({ { IDC_SPANISH, BM_CLICK, 0 }, { 0, WM_CLOSE, 0 } }), IDCANCEL);
    EXPECT_EQ(languageNumber, 1);
    /* Escape as the dialog manager sees it, on the focused control. */
    EXPECT_EQ(RunDialog({ { IDC_ENGLISH, WM_KEYDOWN, VK_ESCAPE } }), IDCANCEL);
}
