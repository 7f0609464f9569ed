/* Outfitter's command line: the argument text behind the quoted program path,
 * and the modes and CD drive letters it selects. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/flows/silent.h"
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>
#include <string>

static std::string Arguments(const char *line)
{
    static char buffer[300];
    lstrcpynA(buffer, line, sizeof(buffer));
    return SkipProgramPath(buffer);
}

TEST(SkipProgramPath, TakesTheTextBehindTheQuotedPath)
{
    EXPECT_EQ(Arguments("\"C:\\TEMP\\OUTFIT.EXE\" FROM:D"), "FROM:D");
    EXPECT_EQ(Arguments("\"D:\\DATA1\\SPANISH\\OUTFIT.EXE\" UNINSTALL D:\\"), "UNINSTALL D:\\");
    /* Nothing, or only the separator, after the closing quote. */
    EXPECT_EQ(Arguments("\"C:\\OUTFIT.EXE\""), "");
    EXPECT_EQ(Arguments("\"C:\\OUTFIT.EXE\" "), "");
    /* Chooser's start: an unquoted path is all argument text. */
    EXPECT_EQ(Arguments("\\DATA1\\SPANISH\\OUTFIT.EXE"), "\\DATA1\\SPANISH\\OUTFIT.EXE");
    EXPECT_EQ(Arguments(""), "");
}

/* Each case starts from a fresh start-up state, with C:\ as the current
 * directory so that "the current drive" is C. */
struct CommandLine : ::testing::Test {
    char previous[MAX_PATH];
    char arguments[300];
    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof(previous), previous);
        SetCurrentDirectoryA("C:\\");
        RunMode = RUN_NORMAL;
        uninstallDrive = 0;
        SetSourceDrive('D');
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(previous);
        RunMode = RUN_NORMAL;
        uninstallDrive = 0;
        SetSourceDrive('D');
    }
    void Read(const char *text)
    {
        lstrcpynA(arguments, text, sizeof(arguments));
        ReadCommandLine(arguments);
    }
};

TEST_F(CommandLine, UninstallWithTheCdRootTakesItsDrive)
{
    Read("UNINSTALL D:\\");
    EXPECT_EQ(RunMode, RUN_UNINSTALL);
    EXPECT_EQ(uninstallDrive, 'D');
    EXPECT_EQ(sourceDrive, 'D');
    EXPECT_STREQ(backgroundPath, "D:\\DATA1\\VRNBLACK.BMP");
}

TEST_F(CommandLine, UninstallWithoutRootUsesTheCurrentDrive)
{
    Read("UNINSTALL D");   /* 11 characters: no drive letter */
    EXPECT_EQ(RunMode, RUN_UNINSTALL);
    EXPECT_EQ(uninstallDrive, 0);
    EXPECT_EQ(sourceDrive, 'C');
}

TEST_F(CommandLine, LowerCaseWorksAndTheLetterArrivesUpperCased)
{
    Read("uninstall e:\\");
    EXPECT_EQ(RunMode, RUN_UNINSTALL);
    EXPECT_EQ(uninstallDrive, 'E');
    EXPECT_EQ(sourceDrive, 'E');
    EXPECT_STREQ(arguments, "UNINSTALL E:\\");
}

TEST_F(CommandLine, SingleLettersAreKeywordPrefixes)
{
    Read("U");
    EXPECT_EQ(RunMode, RUN_UNINSTALL);
    EXPECT_EQ(uninstallDrive, 0);

    RunMode = RUN_NORMAL;
    Read("S");
    EXPECT_EQ(RunMode, RUN_SYSTEMINFO);
    EXPECT_EQ(sourceDrive, 'C');

    RunMode = RUN_NORMAL;
    SetSourceDrive('D');
    Read("f");
    EXPECT_EQ(RunMode, RUN_NORMAL);
    EXPECT_TRUE(IsRelaunchedCopy(arguments));
    EXPECT_EQ(sourceDrive, 'C');   /* FROM without a letter: the current drive */
}

TEST_F(CommandLine, FromTakesTheLetterAfterTheColon)
{
    Read("FROM:E");
    EXPECT_EQ(RunMode, RUN_NORMAL);
    EXPECT_TRUE(IsRelaunchedCopy(arguments));
    EXPECT_EQ(sourceDrive, 'E');
    EXPECT_STREQ(activeListPath, "E:\\DATA1\\FILELIST.WIN");

    SetSourceDrive('D');
    Read("from:f");
    EXPECT_EQ(sourceDrive, 'F');
}

TEST_F(CommandLine, FromWithNothingAfterTheColonUsesTheCurrentDrive)
{
    Read("FROM:");
    EXPECT_TRUE(IsRelaunchedCopy(arguments));
    EXPECT_EQ(sourceDrive, 'C');
}

TEST_F(CommandLine, FirstStartIsNoRelaunchedCopy)
{
    Read("");
    EXPECT_EQ(RunMode, RUN_NORMAL);
    EXPECT_FALSE(IsRelaunchedCopy(arguments));
    EXPECT_EQ(sourceDrive, 'C');

    /* Chooser's unquoted path matches no keyword. */
    Read("\\DATA1\\SPANISH\\OUTFIT.EXE");
    EXPECT_EQ(RunMode, RUN_NORMAL);
    EXPECT_FALSE(IsRelaunchedCopy(arguments));
}

/* The words of an unattended run. With any of them on the line the program
 * path ends as Windows ends it, quoted or at the first blank (a batch file
 * passes it unquoted); without them the old rule stays. A value too long
 * for its buffer is refused, never cut. */
TEST(UnattendedWords, AreReadBehindTheProgramPathAsWindowsEndsIt)
{
    const std::string fitting = "C:\\" + std::string(255, 'D'), longLog = "C:\\" + std::string(257, 'L');
    struct Row {
        std::string line;
        const char *arguments, *directory, *log;
        int silent, directoryRefused, logRefused;
    } rows[] = {
        { "D:\\DATA1\\ENGLISH\\OUTFIT.EXE UNINSTALL D:\\ SILENT LOG:C:\\U.LOG", "UNINSTALL D:\\", "", "C:\\U.LOG", 1, 0, 0 },
        { "D:\\DATA1\\ENGLISH\\OUTFIT.EXE \"DIR:C:\\MIS JUEGOS\\ZEPH\" SILENT", "", "C:\\MIS JUEGOS\\ZEPH", "", 1, 0, 0 },
        { "\"C:\\TEMP\\OUTFIT.EXE\" FROM:D SILENT DIR:\"C:\\MIS JUEGOS\"", "FROM:D", "C:\\MIS JUEGOS", "", 1, 0, 0 },
        { "\\DATA1\\SPANISH\\OUTFIT.EXE", "\\DATA1\\SPANISH\\OUTFIT.EXE", "", "", 0, 0, 0 },
        { "OUTFIT.EXE SILENT DIR:" + fitting, "", fitting.c_str(), "", 1, 0, 0 },
        { "OUTFIT.EXE SILENT DIR:" + fitting + "D", "", "", "", 1, 1, 0 },
        { "OUTFIT.EXE SILENT LOG:" + longLog, "", "", "", 1, 0, 1 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        silentRun = directoryTooLong = logPathTooLong = 0;
        givenDirectory[0] = logPath[0] = '\0';
        static char line[1024];
        lstrcpynA(line, row.line.c_str(), sizeof(line));
        int words;
        EXPECT_STREQ(ReadArgumentText(line, &words), row.arguments);
        EXPECT_EQ(words, row.silent);
        EXPECT_EQ(silentRun, row.silent);
        EXPECT_STREQ(givenDirectory, row.directory);
        EXPECT_STREQ(logPath, row.log);
        EXPECT_EQ(directoryTooLong, row.directoryRefused);
        EXPECT_EQ(logPathTooLong, row.logRefused);
    }
    silentRun = 0;
    givenDirectory[0] = logPath[0] = '\0';
}

/* DIR: names a directory that can be made, or the run refuses it before it
 * writes anything. */
TEST(UnattendedWords, DirectoryTextRefusesWhatCannotBeMade)
{
    char file[MAX_PATH], below[MAX_PATH];
    GetTempPathA(sizeof(file), file);
    lstrcatA(file, "TTAFILE");
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    lstrcpyA(below, file);
    lstrcatA(below, "\\ZEPH");
    struct Row {
        const char *directory, *refusal;
    } rows[] = {
        { "C:\\GAMES\\ZEPH", NULL },
        { "C:\\MIS JUEGOS\\ZEPH.1\\", NULL },
        { "C:\\COMMAND\\CONSOLE", NULL },
        { "C:\\COM1", "a device name" },
        { "C:\\GAMES\\lpt9.txt\\ZEPH", "a device name" },
        { "C:\\NUL ", "a device name" },
        { "C:\\GAMES\\Z*", "a wildcard" },
        { "C:\\GAMES?", "a wildcard" },
        { "C:\\A|B", "a character" },
        { "C:\\A:B", "a character" },
        { "C:\\A/B", "a character" },
        { file, "a file" },
        { below, "a file" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.directory);
        const char *refusal = RefusedDirectoryText(row.directory);
        if (!row.refusal)
            EXPECT_EQ(refusal, nullptr);
        else
            EXPECT_EQ(std::string(refusal ? refusal : "").rfind(row.refusal, 0), 0u);
    }
    DeleteFileA(file);
}
