/* The pages after the copy, with a page hook standing in for the user: the
 * sound test in both variants, and the back-and-forth up to the final page,
 * which writes QVX.INF and the registry records each time it is reached. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include "tests/support/testsupport.h"
#include <mmsystem.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

struct ShownPage {
    std::string title, text, back, next, cancel;
    int backEnabled, nextEnabled, cancelEnabled, defaultButton, bitmap;
};

static std::vector<ShownPage> shown;
static std::vector<int> answers;
static size_t nextAnswer;
static void (*onPage)(const ShownPage &);

static int ScriptedUser(const PageDescription *p)
{
    shown.push_back(ShownPage{ p->title, p->text, p->backLabel, p->nextLabel, p->cancelLabel, p->backEnabled,
                               p->nextEnabled, p->cancelEnabled, p->defaultButton, p->bitmap });
    if (onPage)
        onPage(shown.back());
    /* Out of answers: leave by the third button, so a runaway flow ends. */
    return nextAnswer < answers.size() ? answers[nextAnswer++] : IDC_CANCEL;
}

struct InstallPages : ::testing::Test {
    ScratchDirectory game{ "installpages" };
    PageHook previous;
    void SetUp() override
    {
        shown.clear();
        answers.clear();
        nextAnswer = 0;
        onPage = NULL;
        lowColour = 0;
        mainWindow = NULL;
        previous = SetPageHook(ScriptedUser);
        lstrcpynA(installDirectory, game.path, sizeof(installDirectory));
    }
    void TearDown() override { SetPageHook(previous); }
};

static const char dosFirstText[] =
    "Para poder oír los sonidos de Tinfoil Tango, necesitarás conectar tus auriculares/altavoces a tu tarjeta "
    "de sonido. También deberás configurar tu tarjeta de sonido con un programa de configuración DOS.\n\n"
    "Haz clic sobre 'Siguiente' para llamar a este programa.";

static int LogLines(const std::string &path)
{
    std::string log = ReadWholeFile(path);
    int lines = 0;
    for (char c : log)
        lines += c == '\n';
    return lines;
}

static int WaitForLogLines(const std::string &path, int wanted)
{
    for (int i = 0; i < 200 && LogLines(path) < wanted; i++)
        Sleep(50);
    return LogLines(path);
}

/* The SETSOUND.EXE stand-in is built beside this test. */
static void PutSetSoundInto(const ScratchDirectory &directory)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof(exe));
    *strrchr(exe, '\\') = '\0';
    lstrcatA(exe, "\\SETSOUND.EXE");
    ASSERT_TRUE(CopyFileA(exe, (directory + "SETSOUND.EXE").c_str(), FALSE)) << exe;
}

TEST_F(InstallPages, DosSoundTestStartsSetSoundOncePerVisit)
{
    PutSetSoundInto(game);
    dosVariant = 1;
    char before[MAX_PATH], after[MAX_PATH];
    GetCurrentDirectoryA(sizeof(before), before);
    std::string log = game + "SETSOUND.LOG";

    /* "Pasar" starts nothing. */
    answers = { IDC_CANCEL };
    EXPECT_EQ(SoundTest(), 1);

    /* Next starts it and changes the text; Next again ends the test. */
    answers = { IDC_NEXT, IDC_NEXT };
    nextAnswer = 0;
    shown.clear();
    EXPECT_EQ(SoundTest(), 1);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Tarjeta de Sonido");
    EXPECT_EQ(shown[0].text, dosFirstText);
    EXPECT_EQ(shown[0].cancel, "Pasar");
    EXPECT_EQ(shown[0].backEnabled, 0);
    EXPECT_EQ(shown[0].bitmap, 109);
    EXPECT_EQ(shown[1].text, "Haz clic sobre 'Siguiente' para continuar.");
    EXPECT_EQ(shown[1].cancel, "Pasar");
    EXPECT_EQ(WaitForLogLines(log, 1), 1);

    /* A later visit starts it again. */
    answers = { IDC_NEXT, IDC_CANCEL };
    nextAnswer = 0;
    EXPECT_EQ(SoundTest(), 1);
    EXPECT_EQ(WaitForLogLines(log, 2), 2);
    Sleep(300);
    EXPECT_EQ(LogLines(log), 2);

    /* Maximised, in the game directory; our own directory is given back. */
    std::string bare(game.path, lstrlenA(game.path) - 1);
    EXPECT_NE(ReadWholeFile(log).find("SETSOUND ran in " + bare + " show 3 "), std::string::npos)
        << ReadWholeFile(log);
    GetCurrentDirectoryA(sizeof(after), after);
    EXPECT_STREQ(after, before);
}

TEST_F(InstallPages, WindowsSoundTestWithoutADevice)
{
    dosVariant = 0;
    BoxRecorder boxes;
    answers = { IDC_CANCEL };
    EXPECT_EQ(SoundTest(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Para poder oír la música debes conectar tus auriculares o altavoces a una tarjeta "
                             "de sonido.\n\n¿Quieres oír una muestra de música para probar la configuración?");

    if (waveOutGetNumDevs() != 0)
        GTEST_SKIP() << "this prefix has a wave device";
    answers = { IDC_NEXT };
    nextAnswer = 0;
    EXPECT_EQ(SoundTest(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "No hay ningún dispositivo de sonido conectado al ordenador.");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONEXCLAMATION);
}

/* Run with ALSA's null device (ctest install_test_with_wave): the sample
 * plays while the Yes/No pages ask. */
TEST_F(InstallPages, WindowsSoundTestWithADevice)
{
    if (!GetEnvironmentVariableA("TT_EXPECT_WAVE", NULL, 0))
        GTEST_SKIP() << "needs the null ALSA device";
    ASSERT_GT(waveOutGetNumDevs(), 0u);
    dosVariant = 0;
    ScratchDirectory cd("installpages-cd");
    char savedData[260];
    lstrcpynA(savedData, cdDataDirectory, sizeof(savedData));
    lstrcpynA(cdDataDirectory, cd.path, sizeof(cdDataDirectory));
    WriteWholeFile(cd + "sample.wav", ReadWholeFile(TT_SAMPLE_WAV));
    BoxRecorder boxes;
    /* Next; "No" I do not hear it; "No" to the control panel. */
    answers = { IDC_NEXT, IDC_BACK, IDC_BACK };
    EXPECT_EQ(SoundTest(), 1);
    lstrcpynA(cdDataDirectory, savedData, sizeof(cdDataDirectory));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.LastText();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, "¿Oyes la música de la tarjeta de sonido?");
    EXPECT_EQ(shown[1].back, "No");
    EXPECT_EQ(shown[1].next, "Sí");
    EXPECT_EQ(shown[1].cancelEnabled, 0);
    EXPECT_EQ(shown[1].cancel, "Pasar");   /* passed as null: the label before it */
    EXPECT_EQ(shown[1].title, "Tarjeta de Sonido");
    EXPECT_EQ(shown[2].text.substr(0, 60),
              std::string("Para poder oír la música debes conectar tus auriculares o altavoces directamente").substr(0, 60));
}

/* Every time the final page shows, QVX.INF and the record were just written:
 * take them away, so that the next visit must write them again. */
static int finalVisits, writtenOnVisit;
static void TakeAwayWhatFinalWrote(const ShownPage &p)
{
    if (p.text.find("Instalación exitosa") == std::string::npos)
        return;
    finalVisits++;
    std::string settings = std::string(installDirectory) + "QVX.INF";
    char recorded[260];
    if (PathExists(settings) &&
        ReadRegistryValue(HKEY_LOCAL_MACHINE, publisherKey, gameTitle, recorded, sizeof(recorded)) &&
        lstrcmpA(recorded, installDirectory) == 0)
        writtenOnVisit++;
    DeleteFileA(settings.c_str());
    DeleteInstallRecords();
}

TEST_F(InstallPages, BackFromTheFinalPageWritesAgain)
{
    ScratchDirectory cd("installpages-cd");
    WriteWholeFile(cd + "QVX.INF", "[SETUP]\r\nMIN_MEMORY,8192\r\nTRACKS_EXPECTED,10\r\n"
                                   "INSTALLED_FILE,ZEPH4W95.EXE\r\n");
    char savedData[260];
    lstrcpynA(savedData, cdDataDirectory, sizeof(savedData));
    lstrcpynA(cdDataDirectory, cd.path, sizeof(cdDataDirectory));
    DiscardSettingsText();
    ASSERT_TRUE(ReadSettings(0));

    dosVariant = 1;
    finalVisits = writtenOnVisit = 0;
    onPage = TakeAwayWhatFinalWrote;
    /* sound: Pasar; group: Pasar; final: Back; group: Back; sound: Pasar;
     * group: Pasar; final: Final. */
    answers = { IDC_CANCEL, IDC_CANCEL, IDC_BACK, IDC_BACK, IDC_CANCEL, IDC_CANCEL, IDC_CANCEL };
    EXPECT_EQ(RunInstallPages(), 1);
    DiscardSettingsText();
    lstrcpynA(cdDataDirectory, savedData, sizeof(cdDataDirectory));

    std::vector<std::string> titles;
    for (const ShownPage &p : shown)
        titles.push_back(p.title);
    EXPECT_EQ(titles, (std::vector<std::string>{ "Tarjeta de Sonido", "Grupo e Iconos", "Tinfoil Tango",
                                                 "Grupo e Iconos", "Tarjeta de Sonido", "Grupo e Iconos",
                                                 "Tinfoil Tango" }));
    EXPECT_EQ(finalVisits, 2);
    EXPECT_EQ(writtenOnVisit, 2);

    const ShownPage &final = shown.back();
    EXPECT_EQ(final.text, "Instalación exitosa de Tinfoil Tango.\n\nPuedes continuar y comenzar a jugar.");
    EXPECT_EQ(final.back, "< Atrás");
    EXPECT_EQ(final.cancel, "Final");
    EXPECT_EQ(final.backEnabled, 1);
    EXPECT_EQ(final.nextEnabled, 0);
    EXPECT_EQ(final.cancelEnabled, 1);
    EXPECT_EQ(final.defaultButton, IDC_CANCEL);
    EXPECT_EQ(final.bitmap, 110);
    DeleteInstallRecords();
}
