/* Removal of an installed game from a scratch game directory. */
#include "tests/engine/screenrecorder.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include <gtest/gtest.h>
#include <algorithm>

struct DeleteFixture : ::testing::Test {
    ScratchDirectory scratch{ "delete" };
    std::string game;
    void SetUp() override
    {
        game = scratch + "ZEPH\\";
        CreateDirectoryA(game.c_str(), NULL);
        CopyText(installDirectory, sizeof(installDirectory), game.c_str());
    }
    void TearDown() override { installDirectory[0] = '\0'; }
    void FillLayout()
    {
        WriteWholeFile(game + "ZEPH4W95.EXE", "game");
        WriteWholeFile(game + "QVX.INF", "settings");
        for (int i = 0; i <= 10; i++) {
            std::string sub = game + "G" + std::to_string(i);
            CreateDirectoryA(sub.c_str(), NULL);
            WriteWholeFile(sub + "\\DATA" + std::to_string(i) + ".DAT", "data");
        }
    }
    void Remove()
    {
        EXPECT_EQ(DeleteInstalledFiles(), 1);
        EXPECT_EQ(RemoveInstalledDirectories(), 1);
    }
};

TEST_F(DeleteFixture, TheInstalledLayoutIsRemovedCompletely)
{
    ScreenRecorder screen;
    FillLayout();
    SetFileAttributesA((game + "G5\\DATA5.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
    Remove();
    EXPECT_FALSE(PathExists(game));
    std::vector<std::string> status = screen.StatusTexts();
    EXPECT_NE(std::find(status.begin(), status.end(), "Borrando QVX.INF"), status.end());
    EXPECT_NE(std::find(status.begin(), status.end(), "Borrando DATA10.DAT"), status.end());
    EXPECT_EQ(status.back(), " ");
}

TEST_F(DeleteFixture, DeeperDirectoriesAndUnknownSubdirectoriesStay)
{
    FillLayout();
    CreateDirectoryA((game + "G3\\SAVE").c_str(), NULL);
    WriteWholeFile(game + "G3\\SAVE\\PARTIDA.DAT", "save");
    CreateDirectoryA((game + "G11").c_str(), NULL);
    WriteWholeFile(game + "G11\\MOD.DAT", "mod");
    Remove();
    EXPECT_EQ(ReadWholeFile(game + "G3\\SAVE\\PARTIDA.DAT"), "save");
    EXPECT_EQ(ReadWholeFile(game + "G11\\MOD.DAT"), "mod");
    EXPECT_FALSE(PathExists(game + "G3\\DATA3.DAT"));
    EXPECT_FALSE(PathExists(game + "G0"));
    EXPECT_FALSE(PathExists(game + "QVX.INF"));
}

TEST_F(DeleteFixture, AGameDirectoryWithoutSubdirectoriesIsRemoved)
{
    WriteWholeFile(game + "ZEPH4W95.EXE", "game");
    Remove();
    EXPECT_FALSE(PathExists(game));
}

/* A directory that is no game directory of its own deletes nothing: an empty
 * one would mean the current directory, a root the system's files. */
TEST_F(DeleteFixture, NoDirectoryOfItsOwnDeletesNothing)
{
    WriteWholeFile(scratch + "KEEP.TXT", "keep");
    WriteWholeFile(game + "KEEP.TXT", "keep");
    char saved[260];
    GetCurrentDirectoryA(sizeof(saved), saved);
    SetCurrentDirectoryA(scratch.path);
    const char *directories[] = { "", "ZEPH\\", "C:\\", "C:" };
    for (const char *directory : directories) {
        SCOPED_TRACE(directory);
        CopyText(installDirectory, sizeof(installDirectory), directory);
        EXPECT_EQ(DeleteInstalledFiles(), 0);
    }
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(ReadWholeFile(scratch + "KEEP.TXT"), "keep");
    EXPECT_EQ(ReadWholeFile(game + "KEEP.TXT"), "keep");
}
