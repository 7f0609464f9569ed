/* Removal of an installed game from a scratch game directory. */
#include "tests/engine/screenrecorder.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string.h>

/* One index record: the entry name and an entry size of 8 (a bare header). */
static std::string IndexRecord(const std::string &name)
{
    std::string record(268, '\0');
    record.replace(0, name.size(), name);
    record[264] = 8;
    return record;
}

/* A CD whose lists install ZEPH4W95.EXE, QVX.INF's neighbours and DATAn.DAT in
 * each Gn: G0 to G9 through plain lines and containers of the DOS list, G10
 * only through the Windows list. */
struct DeleteFixture : ::testing::Test {
    ScratchDirectory scratch{ "delete" };
    std::string game, cd;
    char savedData[260];
    void SetUp() override
    {
        game = scratch + "ZEPH\\";
        cd = scratch + "DATA1\\";
        CreateDirectoryA(game.c_str(), NULL);
        CreateDirectoryA(cd.c_str(), NULL);
        CopyText(installDirectory, sizeof(installDirectory), game.c_str());
        memcpy(savedData, cdDataDirectory, sizeof(savedData));
        CopyText(cdDataDirectory, sizeof(cdDataDirectory), cd.c_str());
        std::string dos = "ZEPH4W95.EXE,ZEPH4W95.EXE\r\n";
        for (int i = 0; i <= 9; i++) {
            std::string n = std::to_string(i);
            if (i % 2)
                dos += "DATA" + n + ".DAT,G" + n + "\\DATA" + n + ".DAT\r\n";
            else {
                dos += "SECTOR" + n + ".CFL,G" + n + "\\X\r\n";
                WriteWholeFile(cd + "SECTOR" + n + ".CFI", IndexRecord("DATA" + n + ".DAT"));
            }
        }
        WriteWholeFile(cd + "FILELIST.WD", dos);
        WriteWholeFile(cd + "FILELIST.WIN", "DATA10.DAT,G10\\DATA10.DAT\r\n");
    }
    void TearDown() override
    {
        ForgetInstalledNames();
        installDirectory[0] = '\0';
        memcpy(cdDataDirectory, savedData, sizeof(savedData));
    }
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
        char failed[260];
        ASSERT_EQ(ReadInstalledNames(failed), 1) << failed;
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

/* At both levels only what the lists install goes, read from every line of
 * both lists whatever the minimal filter; a saved game, another program's
 * file, or a game file's name in the wrong G directory stays, and so do the
 * directories holding them. */
TEST_F(DeleteFixture, OnlyWhatTheListsInstallGoes)
{
    FillLayout();
    minimalInstall = 1;
    const char *stay[] = { "PARTIDA1.SAV", "OTRO.EXE", "G1\\MISAVE.DAT", "G2\\DATA3.DAT", "G10\\DATA9.DAT" };
    for (const char *name : stay)
        WriteWholeFile(game + name, name);
    Remove();
    for (const char *name : stay)
        EXPECT_EQ(ReadWholeFile(game + name), name);
    const char *gone[] = { "ZEPH4W95.EXE", "QVX.INF", "G0", "G1\\DATA1.DAT", "G2\\DATA2.DAT", "G3", "G10\\DATA10.DAT" };
    for (const char *name : gone)
        EXPECT_FALSE(PathExists(game + name)) << name;
    minimalInstall = 0;
}

/* A directory that is no game directory of its own deletes nothing: an empty
 * one would mean the current directory, a root the system's files. */
TEST_F(DeleteFixture, NoDirectoryOfItsOwnDeletesNothing)
{
    WriteWholeFile(scratch + "ZEPH4W95.EXE", "keep");
    WriteWholeFile(game + "ZEPH4W95.EXE", "keep");
    char saved[260], failed[260];
    ASSERT_EQ(ReadInstalledNames(failed), 1);
    GetCurrentDirectoryA(sizeof(saved), saved);
    SetCurrentDirectoryA(scratch.path);
    const char *directories[] = { "", "ZEPH\\", "C:\\", "C:" };
    for (const char *directory : directories) {
        SCOPED_TRACE(directory);
        CopyText(installDirectory, sizeof(installDirectory), directory);
        EXPECT_EQ(DeleteInstalledFiles(), 0);
    }
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(ReadWholeFile(scratch + "ZEPH4W95.EXE"), "keep");
    EXPECT_EQ(ReadWholeFile(game + "ZEPH4W95.EXE"), "keep");
}
