/* The uninstall flow on the real location page: what goes and what stays of
 * a game directory, a typed directory that does not exist or holds no game,
 * and a cancelled page. */
#include "tests/flows/flowsupport.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include <gtest/gtest.h>

static const char uninstalledText[] =
    "Desinstalación exitosa de Tinfoil Tango.\n\n"
    "No olvides que hay más juegos entretenidos de Vornhollow Entertainment.";

struct Uninstall : ::testing::Test {
    ScratchDirectory cd{ "uninstcd" };
    ScratchDirectory scratch{ "uninstall" };
    std::string game;
    MainWindowStandIn main;
    BoxRecorder boxes;
    char marker[32];
    void SetUp() override
    {
        wsprintfA(marker, "TTUN%lu.EXE", GetCurrentProcessId());
        appInstance = GetModuleHandleA(NULL);
        RunMode = RUN_UNINSTALL;
        lowColour = 0;
        directoryMissing = 0;
        DiscardSettingsText();
        lstrcpyA(cdDataDirectory, cd.path);
        WriteWholeFile(cd + "QVX.INF", CdSettings(marker));
        WriteCdLists(cd.path, marker);
        game = scratch + "ZEPH\\";
        MakeGameDirectory(game, marker, true);
        /* The records as the installation wrote them; the flow finds the
         * game through the recorded directory. */
        lstrcpyA(installDirectory, game.c_str());
        WriteInstallRecords();
        ReadInstallRecord();
    }
    void TearDown() override
    {
        RunMode = RUN_NORMAL;
        DiscardSettingsText();
        DeleteInstallRecords();
        lstrcpyA(cdDataDirectory, "D:\\DATA1\\");
        recordedDirectory[0] = '\0';
    }
    bool GameFilesStay() const
    {
        return PathExists(game + marker) && PathExists(game + "QVX.INF") && PathExists(game + "G7\\DATOS.DAT");
    }
};

TEST_F(Uninstall, TheFoundGameGoesAndWhatThePlayerAddedStays)
{
    CreateDirectoryA((game + "G3\\SAVE").c_str(), NULL);
    WriteWholeFile(game + "G3\\SAVE\\PARTIDA.DAT", "partida");
    CreateDirectoryA((game + "G11").c_str(), NULL);
    SetFileAttributesA((game + "G5\\DATOS.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteWholeFile(game + "PARTIDA1.SAV", "partida1");
    WriteWholeFile(game + "G1\\MISAVE.DAT", "misave");

    ScriptedUser user;
    user.Press(IDC_NEXT).Press(IDC_CANCEL);
    EXPECT_EQ(RunUninstallFlow(), 1);

    ASSERT_EQ(user.seen.size(), 2u);
    const SeenPage &location = user.seen[0];
    EXPECT_TRUE(location.dialog);
    EXPECT_EQ(location.title, "Ubicación de la Instalación");
    EXPECT_EQ(location.edit, game.substr(0, game.size() - 1));
    EXPECT_TRUE(location.text.find("para eliminar los ficheros del disco duro") != std::string::npos);
    const SeenPage &final = user.seen[1];
    EXPECT_EQ(final.text, uninstalledText);
    EXPECT_EQ(final.title, "Tinfoil Tango");
    EXPECT_EQ(final.backEnabled + final.nextEnabled * 2 + final.cancelEnabled * 4, 4);
    EXPECT_EQ(final.cancel, "Final");
    EXPECT_EQ(final.defaultButton, IDC_CANCEL);
    EXPECT_EQ(final.bitmap, 110);

    EXPECT_FALSE(PathExists(game + marker));
    EXPECT_FALSE(PathExists(game + "ZEPH.BAT"));
    EXPECT_FALSE(PathExists(game + "QVX.INF"));
    const char *gone[] = { "G0", "G2", "G4", "G5", "G6", "G7", "G8", "G9", "G10" };
    for (const char *name : gone)
        EXPECT_FALSE(PathExists(game + name)) << name;
    EXPECT_TRUE(PathExists(game + "G3\\SAVE\\PARTIDA.DAT"));
    EXPECT_FALSE(PathExists(game + "G3\\DATOS.DAT"));
    EXPECT_FALSE(PathExists(game + "G1\\DATOS.DAT"));
    EXPECT_EQ(ReadWholeFile(game + "PARTIDA1.SAV"), "partida1");
    EXPECT_EQ(ReadWholeFile(game + "G1\\MISAVE.DAT"), "misave");
    EXPECT_TRUE(IsDirectory(game + "G11"));
    EXPECT_FALSE(PublisherKeyExists());
    EXPECT_FALSE(main.Alive());
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
}

TEST_F(Uninstall, AnEmptiedGameDirectoryIsRemovedWhole)
{
    ScriptedUser user;
    user.Press(IDC_NEXT).Press(IDC_CANCEL);
    EXPECT_EQ(RunUninstallFlow(), 1);
    EXPECT_FALSE(PathExists(game.substr(0, game.size() - 1)));
}

TEST_F(Uninstall, ATypedDirectoryThatDoesNotExistRemovesOnlyTheRecords)
{
    ScriptedUser user;
    user.Type(scratch + "NOEXISTE", IDC_NEXT).Press(IDC_CANCEL);
    EXPECT_EQ(RunUninstallFlow(), 1);
    EXPECT_EQ(directoryMissing, 1);
    EXPECT_EQ(user.Titles(), (std::vector<std::string>{ "Ubicación de la Instalación", "Tinfoil Tango" }));
    EXPECT_TRUE(GameFilesStay());
    EXPECT_FALSE(PublisherKeyExists());
}

/* A slip on the location page, such as the Windows directory, must not cost
 * the files of that directory: without the game's marker or QVX.INF it is
 * treated like a directory that does not exist. */
TEST_F(Uninstall, ATypedDirectoryWithoutTheGameKeepsItsFiles)
{
    std::string other = scratch + "AJENO\\";
    CreateDirectoryA(other.substr(0, other.size() - 1).c_str(), NULL);
    CreateDirectoryA((other + "G0").c_str(), NULL);
    WriteWholeFile(other + "CARTA.TXT", "carta");
    WriteWholeFile(other + "G0\\NOTA.TXT", "nota");

    ScriptedUser user;
    user.Type(other, IDC_NEXT).Press(IDC_CANCEL);
    EXPECT_EQ(RunUninstallFlow(), 1);
    EXPECT_EQ(directoryMissing, 0);
    EXPECT_TRUE(PathExists(other + "CARTA.TXT"));
    EXPECT_TRUE(PathExists(other + "G0\\NOTA.TXT"));
    EXPECT_TRUE(GameFilesStay());
    EXPECT_FALSE(PublisherKeyExists());
}

/* Without the CD's lists nothing says which files are the game's: a box
 * names the file, nothing is deleted, the records stay for another try. */
TEST_F(Uninstall, UnreadableListsDeleteNothing)
{
    struct Case {
        const char *file, *bytes;   /* NULL: the file is removed */
    } cases[] = { { "FILELIST.WIN", NULL }, { "MENUS.CFI", NULL }, { "MENUS.CFI", "short" } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        WriteCdLists(cd.path, marker);
        if (c.bytes)
            WriteWholeFile(cd + c.file, c.bytes);
        else
            DeleteFileA((cd + c.file).c_str());
        ScriptedUser user;
        std::vector<RecordedBox> &seen = boxes.boxes;
        seen.clear();
        EXPECT_EQ(RunUninstallFlow(), 0);
        EXPECT_TRUE(user.seen.empty());
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, "No se puede leer el archivo " + (cd + c.file) +
                                          " del CD, o está dañado. Sin él no se sabe qué ficheros instaló "
                                          "Tinfoil Tango, así que no se ha borrado nada.\n\n"
                                          "Comprueba que el CD de Tinfoil Tango esté en la unidad y vuelve a intentarlo.");
        EXPECT_EQ(seen[0].style, (UINT)(MB_OK | MB_ICONERROR));
        EXPECT_TRUE(GameFilesStay());
        EXPECT_TRUE(PublisherKeyExists());
        DiscardSettingsText();
    }
}

TEST_F(Uninstall, CancellingTheLocationPageDeletesNothing)
{
    boxes.Answer(IDYES);
    ScriptedUser user;
    user.Press(IDC_CANCEL);
    EXPECT_EQ(RunUninstallFlow(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "¿Seguro que quieres cancelar y salir?");
    EXPECT_TRUE(GameFilesStay());
    EXPECT_TRUE(PublisherKeyExists());
}

TEST(HoldsInstalledGame, TheMarkerOrTheSettingsFileMakesAGameDirectory)
{
    ScratchDirectory dir("holds");
    lstrcpyA(gameSettings.InstalledFile, "ZEPH4W95.EXE");
    EXPECT_EQ(HoldsInstalledGame(dir.path), 0);
    WriteWholeFile(dir + "QVX.INF", "x");
    EXPECT_EQ(HoldsInstalledGame(dir.path), 1);
    DeleteFileA((dir + "QVX.INF").c_str());
    WriteWholeFile(dir + "zeph4w95.exe", "x");
    EXPECT_EQ(HoldsInstalledGame(dir.path), 1);
    /* A pattern as the marker would be found in every directory. */
    lstrcpyA(gameSettings.InstalledFile, "*.*");
    EXPECT_EQ(HoldsInstalledGame(dir.path), 0);
    CopyText(recordedDirectory, sizeof(recordedDirectory), dir.path);
    EXPECT_EQ(FindInstalledGame("*.*"), 0);
    recordedDirectory[0] = '\0';
    gameSettings.InstalledFile[0] = '\0';
}
