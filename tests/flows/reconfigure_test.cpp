/* The reconfigure flow with a scripted user: the variant taken from the
 * installed files, the page roads of both variants back and forth, QVX.INF
 * rewritten at every final page and the registry left alone, an installation
 * that moved, and the offer to install again. */
#include "tests/flows/flowsupport.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include <gtest/gtest.h>

typedef std::vector<std::string> Titles;

static const char reconfiguredText[] = "Tinfoil Tango ah sido reconfigurado. Puedes continuar jugando.";

struct Reconfigure : ::testing::Test {
    ScratchDirectory cd{ "reconfcd" };
    ScratchDirectory game{ "reconfgame" };
    MainWindowStandIn main;
    BoxRecorder boxes;
    char marker[32];
    void SetUp() override
    {
        wsprintfA(marker, "TTRC%lu.EXE", GetCurrentProcessId());
        appInstance = GetModuleHandleA(NULL);
        DiscardSettingsText();
        lstrcpyA(cdDataDirectory, cd.path);
        WriteWholeFile(cd + "QVX.INF", CdSettings(marker));
        lstrcpyA(recordedDirectory, game.path);
        installDirectory[0] = '\0';
        dosVariant = 0;
        rebootNeeded = 1;   /* DirectX counts as present whatever the prefix holds */
        lowColour = 0;
        DeleteInstallRecords();
    }
    void TearDown() override
    {
        DiscardSettingsText();
        lstrcpyA(cdDataDirectory, "D:\\DATA1\\");
        recordedDirectory[0] = '\0';
        dosVariant = 0;
        rebootNeeded = 0;
    }
    std::string GameWithoutBackslash() const
    {
        std::string path = game.path;
        return path.substr(0, path.size() - 1);
    }
};

static bool Holds(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(Reconfigure, DosVariantHasTheSoundTestAndTheFinalPageOnly)
{
    MakeGameDirectory(game.path, marker, true);
    ScriptedUser user;
    user.Press(IDC_CANCEL).Press(IDC_BACK).Press(IDC_CANCEL).Press(IDC_CANCEL);
    int written = 0;
    user.onPage = [&](const SeenPage &page) {
        if (page.text != reconfiguredText)
            return;
        /* Written before the final page shows; spoilt here, so that the
         * second visit must write it again. */
        std::string text = ReadWholeFile(game + "QVX.INF");
        EXPECT_TRUE(Holds(text, "\r\nFIXED," + GameWithoutBackslash() + "\r\n")) << text;
        written += Holds(text, "SHADOWS,8000,75,ON\r\n");
        WriteWholeFile(game + "QVX.INF", "spoilt");
    };

    EXPECT_EQ(RunReconfigureFlow(), 1);
    EXPECT_EQ(user.Titles(), (Titles{ "Tarjeta de Sonido", "Tinfoil Tango", "Tarjeta de Sonido", "Tinfoil Tango" }));
    EXPECT_EQ(written, 2);
    EXPECT_EQ(dosVariant, 1);
    EXPECT_EQ(std::string(installDirectory), std::string(game.path));
    ASSERT_EQ(user.seen.size(), 4u);
    EXPECT_TRUE(Holds(user.seen[0].text, "programa de configuración DOS"));
    const SeenPage &final = user.seen[1];
    EXPECT_EQ(final.text, reconfiguredText);
    EXPECT_EQ(final.backEnabled + final.nextEnabled * 2 + final.cancelEnabled * 4, 1 + 4);
    EXPECT_EQ(final.back + "|" + final.next + "|" + final.cancel, "< Atrás|Siguiente >|Final");
    EXPECT_EQ(final.defaultButton, IDC_CANCEL);
    EXPECT_EQ(final.bitmap, 110);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
    EXPECT_FALSE(main.Alive());
    EXPECT_FALSE(PublisherKeyExists());   /* no records written */
}

TEST_F(Reconfigure, WindowsVariantGoesThroughMusicAndDirectXBothWays)
{
    MakeGameDirectory(game.path, marker, false);
    ScriptedUser user;
    user.Press(IDC_CANCEL)     /* sound: Pasar */
        .Press(IDC_BACK)       /* music: back to sound */
        .Press(IDC_CANCEL)     /* sound */
        .Press(IDC_CANCEL)     /* music: Pasar */
        .Press(IDC_BACK)       /* DirectX: back to music */
        .Press(IDC_CANCEL)     /* music */
        .Press(IDC_CANCEL)     /* DirectX: Pasar, then the check */
        .Press(IDC_BACK)       /* final: back to DirectX */
        .Press(IDC_CANCEL)     /* DirectX */
        .Press(IDC_CANCEL);    /* final */
    EXPECT_EQ(RunReconfigureFlow(), 1);
    EXPECT_EQ(user.Titles(), (Titles{ "Tarjeta de Sonido", "Música CD", "Tarjeta de Sonido", "Música CD",
                                      "Configuración DirectX 3", "Música CD", "Configuración DirectX 3",
                                      "Tinfoil Tango", "Configuración DirectX 3", "Tinfoil Tango" }));
    EXPECT_EQ(dosVariant, 0);
    EXPECT_TRUE(Holds(user.seen[0].text, "¿Quieres oír una muestra de música"));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
    EXPECT_TRUE(Holds(ReadWholeFile(game + "QVX.INF"), "FIXED," + GameWithoutBackslash() + "\r\n"));
    EXPECT_FALSE(PublisherKeyExists());
}

/* The record still names the old place; the walk over the fixed drives finds
 * the marker on C:, whose name no other file of the prefix has. */
TEST_F(Reconfigure, AnInstallationThatMovedIsFoundOnTheDrives)
{
    char top[64];
    wsprintfA(top, "C:\\TTMOVED%lu", GetCurrentProcessId());
    std::string moved = std::string(top) + "\\ZEPH\\";
    CreateDirectoryA(top, NULL);
    MakeGameDirectory(moved, marker, true);
    lstrcpyA(recordedDirectory, (game + "GONE\\").c_str());

    ScriptedUser user;
    user.Press(IDC_CANCEL).Press(IDC_CANCEL);
    EXPECT_EQ(RunReconfigureFlow(), 1);
    EXPECT_EQ(user.Titles(), (Titles{ "Tarjeta de Sonido", "Tinfoil Tango" }));
    EXPECT_EQ(std::string(installDirectory), moved);
    EXPECT_TRUE(Holds(ReadWholeFile(moved + "QVX.INF"), "\r\nFIXED," + std::string(top) + "\\ZEPH\r\n"));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
    RemoveTree(top);
}

/* The question of a failed search. The failed search itself runs end to end
 * in tests/scenarios (flows-notfound): here it would walk the test machine's
 * drive C:. */
TEST_F(Reconfigure, NotFoundOffersToInstallAgain)
{
    MSG message;
    boxes.Answer(IDYES);
    EXPECT_EQ(OfferReinstall(), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "No se puede situar la instalación.\n\n¿Deseas reinstalar desde el CD-ROM?");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)(MB_ICONEXCLAMATION | MB_YESNO));
    EXPECT_EQ(boxes.boxes[0].owner, main.window);
    EXPECT_TRUE(PeekMessageA(&message, main.window, WM_RUN_INSTALL, WM_RUN_INSTALL, PM_REMOVE));

    boxes.Answer(IDNO);
    EXPECT_EQ(OfferReinstall(), 0);
    EXPECT_FALSE(PeekMessageA(&message, main.window, WM_RUN_INSTALL, WM_RUN_INSTALL, PM_REMOVE));
    EXPECT_TRUE(main.Alive());   /* the main window procedure destroys it on 0 */
}

/* A game directory that lost its QVX.INF: reported, nothing shown or written. */
TEST_F(Reconfigure, MissingInstalledSettingsEndWithoutPages)
{
    MakeGameDirectory(game.path, marker, true);
    DeleteFileA((game + "QVX.INF").c_str());
    ScriptedUser user;
    EXPECT_EQ(RunReconfigureFlow(), 0);
    EXPECT_TRUE(user.seen.empty());
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(PathExists(game + "QVX.INF"));
}
