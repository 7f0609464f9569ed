/* Outfitter's command line: the argument text behind the quoted program path,
 * and the modes and CD drive letters it selects. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
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
