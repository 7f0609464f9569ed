/* CD paths, directory creation, and the search for an installed game: in a
 * scratch tree for the recursive part, on the prefix's real C: for the walk
 * over the drives. */
#include "tests/engine/screenrecorder.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include <gtest/gtest.h>
#include <algorithm>

static std::string Upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return text;
}

static std::string WithoutBackslash(const std::string &directory)
{
    return directory.substr(0, directory.size() - 1);
}

static bool Contains(const std::vector<std::string> &texts, const std::string &text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(SourceDrive, TheLetterGoesIntoEveryCdPath)
{
    SetSourceDrive('E');
    EXPECT_STREQ(activeListPath, "E:\\DATA1\\FILELIST.WIN");
    EXPECT_STREQ(dosListPath, "E:\\DATA1\\FILELIST.WD");
    EXPECT_STREQ(cdDataDirectory, "E:\\DATA1\\");
    EXPECT_STREQ(cdRoot, "E:\\");
    EXPECT_STREQ(backgroundPath, "E:\\DATA1\\VRNBLACK.BMP");
    EXPECT_STREQ(background256Path, "E:\\DATA1\\VRN256.BMP");
    EXPECT_STREQ(directXPath, "E:\\DirectX");
    EXPECT_STREQ(sourceDriveText, "E");
    EXPECT_EQ(sourceDrive, 'E');

    /* 0 falls back on the uninstall drive before the current drive. */
    SetCurrentDirectoryA("D:\\");
    uninstallDrive = 'F';
    SetSourceDrive(0);
    EXPECT_STREQ(dosListPath, "F:\\DATA1\\FILELIST.WD");
    uninstallDrive = 0;
    SetSourceDrive(0);
    EXPECT_STREQ(sourceDriveText, "D");
}

TEST(Directories, CreateDirectoryPathMakesEveryMissingLevel)
{
    ScratchDirectory scratch("mkdir");
    std::string path = scratch + "UNO\\DOS\\TRES";
    EXPECT_EQ(CreateDirectoryPath(path.c_str()), 1);
    EXPECT_TRUE(PathExists(scratch + "UNO"));
    EXPECT_TRUE(PathExists(scratch + "UNO\\DOS\\TRES"));
    EXPECT_EQ(CreateDirectoryPath(path.c_str()), 1);   /* all there already */

    WriteWholeFile(scratch + "FILE", "x");
    EXPECT_EQ(CreateDirectoryPath((scratch + "FILE\\SUB").c_str()), 0);

    /* No drive: nothing is made on the current drive. */
    std::string rooted = "\\TTUNO" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(CreateDirectoryPath(rooted.c_str()), 0);
    EXPECT_FALSE(PathExists(rooted));
    EXPECT_EQ(CreateDirectoryPath(""), 0);
}

struct SearchFixture : ::testing::Test {
    ScratchDirectory scratch{ "search" };
    BoxRecorder boxes;
    void TearDown() override
    {
        installDirectory[0] = '\0';
        recordedDirectory[0] = '\0';
    }
    void Marker(const std::string &directory)
    {
        CreateDirectoryPath(WithoutBackslash(directory).c_str());
        WriteWholeFile(directory + "ZEPH4W95.EXE", "game");
    }
};

TEST_F(SearchFixture, TheTreeIsSearchedParentBeforeChildren)
{
    ScreenRecorder screen;
    Marker(scratch + "JUEGOS\\zeph\\");
    EXPECT_EQ(SearchDirectoryTree(scratch.path, "ZEPH4W95.EXE"), 1);
    EXPECT_EQ(std::string(installDirectory), Upper(scratch + "JUEGOS\\ZEPH\\"));
    std::vector<std::string> status = screen.StatusTexts();
    EXPECT_EQ(status, (std::vector<std::string>{ "Buscando " + (scratch + "JUEGOS"),
                                                   "Buscando " + (scratch + "JUEGOS\\zeph") }));
}

TEST_F(SearchFixture, TheDirectorySearchedIsNotTestedItself)
{
    Marker(scratch.path);
    CreateDirectoryA((scratch + "EMPTY").c_str(), NULL);
    Marker(scratch + ".HIDDEN\\");   /* names with a leading dot are not entered */
    EXPECT_EQ(SearchDirectoryTree(scratch.path, "ZEPH4W95.EXE"), 0);
    EXPECT_EQ(installDirectory[0], '\0');
}

TEST_F(SearchFixture, TheRecordedDirectoryIsTakenUnchanged)
{
    ScreenRecorder screen;
    std::string recorded = scratch + "Juegos\\Zeph\\";
    Marker(recorded);
    CopyText(recordedDirectory, sizeof(recordedDirectory), recorded.c_str());
    EXPECT_EQ(FindInstalledGame("ZEPH4W95.EXE"), 1);
    EXPECT_EQ(std::string(installDirectory), recorded);
    std::vector<std::string> status = screen.StatusTexts();
    EXPECT_EQ(status, (std::vector<std::string>{ "Buscando " + WithoutBackslash(recorded), " " }));
}

TEST_F(SearchFixture, ARecordedDirectoryWithoutItsBackslashGetsOne)
{
    std::string recorded = scratch + "Zeph";
    Marker(recorded + "\\");
    CopyText(recordedDirectory, sizeof(recordedDirectory), recorded.c_str());
    EXPECT_EQ(FindInstalledGame("ZEPH4W95.EXE"), 1);
    EXPECT_EQ(std::string(installDirectory), recorded + "\\");
}

/* The walk over the drives on the prefix's own C:, with a marker name no
 * other file of the prefix has. D: is the run's CD-ROM drive. */
TEST_F(SearchFixture, TheDrivesAreSearchedWhenTheRecordIsStale)
{
    ScreenRecorder screen;
    char top[64], marker[64];
    wsprintfA(top, "C:\\TTJUEGOS%lu", GetCurrentProcessId());
    wsprintfA(marker, "TTMARK%lu.EXE", GetCurrentProcessId());
    std::string game = std::string(top) + "\\zeph\\";
    CreateDirectoryPath(WithoutBackslash(game).c_str());
    WriteWholeFile(game + marker, "game");
    CopyText(recordedDirectory, sizeof(recordedDirectory), (scratch + "GONE\\").c_str());

    EXPECT_EQ(GetDriveTypeA("D:\\"), (UINT)DRIVE_CDROM);
    EXPECT_EQ(FindInstalledGame(marker), 1);
    EXPECT_EQ(std::string(installDirectory), Upper(game));
    std::vector<std::string> status = screen.StatusTexts();
    EXPECT_TRUE(Contains(status, std::string("Buscando ") + top));
    EXPECT_TRUE(Contains(status, "Buscando " + WithoutBackslash(game)));
    EXPECT_EQ(status.back(), " ");
    RemoveTree(top);
}
