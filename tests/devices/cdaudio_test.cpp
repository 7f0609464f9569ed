/* CD audio through the stand-in MCI driver, and the CD music test's pages. */
#include "tests/devices/pagedriver.h"
#include "tests/devices/standins.h"
#include "setup/devices/devices.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "settings/settings.h"
#include <gtest/gtest.h>

typedef std::vector<std::string> Lines;

static const char openLine[] = "open flags=0x00003000 type=516";
static const char setLine[] = "set flags=0x00000402 timeformat=10";
static const char stopLine[] = "stop flags=0x00000002";
static const char closeLine[] = "close flags=0x00000002";

/* The four commands of one whole play of track 3 lasting 3:00:00 (the
 * driver's default), stop and close included. */
static Lines OneRoundOfTrack(int track)
{
    char status[80], play[80];
    wsprintfA(status, "status flags=0x00000110 item=1 track=%d return=0x00000003", track);
    wsprintfA(play, "play flags=0x0000000C from=0x%08X to=0x%08X", track, track | 0x300);
    return Lines{ openLine, setLine, status, play, stopLine, closeLine };
}

TEST(CdAudio, PlaysOneWholeTrackInTmsfTime)
{
    CdDriverScope driver;
    SetEnvironmentVariableA("TT_MCICD_LENGTHS", "3=4:10:5,*=1:0:0");
    ASSERT_EQ(OpenCdAudio(), 1);
    EXPECT_NE(cdDeviceId, 0);
    EXPECT_EQ(GetCdTrackLength(3), 0x00050A04u);
    EXPECT_EQ(PlayCdTrack(3), 1);
    EXPECT_EQ(StopCdAudio(), 1);
    EXPECT_EQ(CloseCdAudio(), 1);
    EXPECT_EQ(cdDeviceId, 0);
    EXPECT_EQ(driver.Commands(), (Lines{
        openLine, setLine,
        "status flags=0x00000110 item=1 track=3 return=0x00050A04",
        "status flags=0x00000110 item=1 track=3 return=0x00050A04",
        "play flags=0x0000000C from=0x00000003 to=0x050A0403",   /* 3 | (4<<8)|(10<<16)|(5<<24) */
        stopLine, closeLine }));
}

TEST(CdAudio, TrackNumberIsOneByte)
{
    CdDriverScope driver;
    ASSERT_EQ(OpenCdAudio(), 1);
    EXPECT_EQ(PlayCdTrack(256 + 7), 1);
    CloseCdAudio();
    Lines commands = driver.Commands();
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[2], "status flags=0x00000110 item=1 track=7 return=0x00000003");
    EXPECT_EQ(commands[3], "play flags=0x0000000C from=0x00000007 to=0x00000307");
}

TEST(CdAudio, UnknownLengthPlaysToTheTrackItself)
{
    CdDriverScope driver;
    SetEnvironmentVariableA("TT_MCICD_LENGTHS", "9=0:0:0");
    ASSERT_EQ(OpenCdAudio(), 1);
    EXPECT_EQ(GetCdTrackLength(9), 0u);
    EXPECT_EQ(PlayCdTrack(9), 1);
    CloseCdAudio();
    EXPECT_EQ(driver.Commands().at(4), "play flags=0x0000000C from=0x00000009 to=0x00000009");
}

TEST(CdAudio, RefusedOpenLeavesNoDevice)
{
    CdDriverScope driver;
    SetEnvironmentVariableA("TT_MCICD_FAIL", "open");
    EXPECT_EQ(OpenCdAudio(), 0);
    EXPECT_EQ(cdDeviceId, 0);
    EXPECT_EQ(driver.Commands(), (Lines{ openLine }));
}

TEST(CdAudio, MissingDriverFailsTheOpen)
{
    CdDriverScope driver("ttnocdaudio.dll");
    EXPECT_EQ(OpenCdAudio(), 0);
    EXPECT_EQ(cdDeviceId, 0);
    EXPECT_EQ(CloseCdAudio(), 0);   /* nothing to close */
}

TEST(CdAudio, RefusedTimeFormatLeavesTheDeviceToClose)
{
    CdDriverScope driver;
    SetEnvironmentVariableA("TT_MCICD_FAIL", "set");
    EXPECT_EQ(OpenCdAudio(), 0);
    EXPECT_NE(cdDeviceId, 0);
    EXPECT_EQ(CloseCdAudio(), 1);
    EXPECT_EQ(driver.Commands(), (Lines{ openLine, setLine, closeLine }));
}

TEST(CdAudio, RefusedPlayIsFalse)
{
    CdDriverScope driver;
    SetEnvironmentVariableA("TT_MCICD_FAIL", "play");
    ASSERT_EQ(OpenCdAudio(), 1);
    EXPECT_EQ(PlayCdTrack(2), 0);
    EXPECT_EQ(CloseCdAudio(), 1);
}

TEST(TestTrack, DigitsOfInterimPlusOne)
{
    struct { const char *value; int track; } rows[] = {
        { "4", 5 }, { "T07", 8 }, { "none", 3 }, { "", 3 }, { "1a2", 13 },
        { "0", 1 }, { "254", 255 }, { "255", 0 },           /* one byte, as the device takes it */
        { "99999999999", (int)((99999999999ULL + 1) & 0xFF) },
        /* beyond eleven digits the rest is ignored: 12345678901 + 1 */
        { "1234567890123456789", (int)((12345678901ULL + 1) & 0xFF) },
        { "00000000000000000000000000000042", 1 },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(TrackFromInterim(row.value), row.track);
    }
}

/* QVX.INF text in the settings record for the scope of a test. */
struct SettingsText {
    std::string text;
    explicit SettingsText(const std::string &contents) : text(contents)
    {
        gameSettings.SettingsText = &text[0];
        gameSettings.SettingsTextLength = (DWORD)text.size();
    }
    ~SettingsText()
    {
        gameSettings.SettingsText = NULL;
        gameSettings.SettingsTextLength = 0;
    }
};

TEST(TestTrack, FromTheSettings)
{
    {
        SettingsText settings("MIN_MEMORY,8000\r\nINTERIM,4\r\n");
        EXPECT_EQ(CdTestTrack(), 5);
    }
    {
        SettingsText settings("INTERIM,T07\r\n");
        EXPECT_EQ(CdTestTrack(), 8);
    }
    {
        SettingsText settings("INTERIM,none\r\n");
        EXPECT_EQ(CdTestTrack(), 3);
    }
    {
        SettingsText settings("MIN_MEMORY,8000\r\n");
        EXPECT_EQ(CdTestTrack(), 3);
    }
    EXPECT_EQ(CdTestTrack(), 3);   /* no settings read at all */
}

class CdMusicTestPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        appInstance = GetModuleHandleA(NULL);
        lowColour = 0;
    }
};

static const char introText[] =
    "La música de Tinfoil Tango se origina del CD.\n\n"
    "Para poder oírla debes conectar tus auriculares o altavoces al CD-ROM o conectar tu "
    "CD-ROM a una tarjeta de sonido y conectar los auriculares o altavoces a la tarjeta.\n\n"
    "¿Quieres oír una muestra de música para probar la configuración?";
static const char hearText[] = "¿Puedes oír la música del dispositivo del CD-ROM?";
static const char cableText[] =
    "Para poder oír la música debes conectar tus auriculares o altavoces al CD-ROM o "
    "conectar tu CD-ROM a una tarjeta de sonido con un cable especial y conectar los "
    "auriculares o altavoces a la tarjeta.\n\n"
    "¿Quieres oír una muestra de música para probar la configuración?";

static void ExpectFirstPage(const ShownPage &shown)
{
    EXPECT_EQ(shown.title, "Música CD");
    EXPECT_EQ(shown.text, introText);
    EXPECT_EQ(shown.backLabel, "< Atrás");
    EXPECT_EQ(shown.nextLabel, "Siguiente >");
    EXPECT_EQ(shown.cancelLabel, "Pasar");
    EXPECT_TRUE(shown.backEnabled && shown.nextEnabled && shown.cancelEnabled);
    EXPECT_EQ(shown.bitmap, 108);
}

static void ExpectYesNoPage(const ShownPage &shown, const char *text)
{
    EXPECT_EQ(shown.title, "Música CD");
    EXPECT_EQ(shown.text, text);
    EXPECT_EQ(shown.backLabel, "No");
    EXPECT_EQ(shown.nextLabel, "Sí");
    EXPECT_EQ(shown.cancelLabel, "Pasar");   /* passed as null: kept from the page before */
    EXPECT_TRUE(shown.backEnabled && shown.nextEnabled);
    EXPECT_FALSE(shown.cancelEnabled);
    EXPECT_EQ(shown.bitmap, 108);
}

TEST_F(CdMusicTestPages, PasarSkipsWithoutPlaying)
{
    CdDriverScope driver;
    BoxRecorder boxes;
    PageDriver pages{ IDC_CANCEL };
    EXPECT_EQ(CdMusicTest(), 1);
    ASSERT_EQ(pages.pages.size(), 1u);
    ExpectFirstPage(pages.pages[0]);
    EXPECT_TRUE(driver.Commands().empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CdMusicTestPages, BackOnTheFirstPageGoesBack)
{
    CdDriverScope driver;
    BoxRecorder boxes;
    PageDriver pages{ IDC_BACK };
    EXPECT_EQ(CdMusicTest(), IDC_BACK);
    EXPECT_EQ(pages.pages.size(), 1u);
    EXPECT_TRUE(driver.Commands().empty());
}

TEST_F(CdMusicTestPages, HeardAtOnce)
{
    CdDriverScope driver;
    SettingsText settings("INTERIM,4\r\n");
    BoxRecorder boxes;
    PageDriver pages{ IDC_NEXT, IDC_NEXT };
    EXPECT_EQ(CdMusicTest(), 1);
    ASSERT_EQ(pages.pages.size(), 2u);
    ExpectFirstPage(pages.pages[0]);
    ExpectYesNoPage(pages.pages[1], hearText);
    EXPECT_EQ(driver.Commands(), OneRoundOfTrack(5));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(cdDeviceId, 0);
}

TEST_F(CdMusicTestPages, NoThenYesClosesAndOpensAgain)
{
    CdDriverScope driver;
    BoxRecorder boxes;
    PageDriver pages{ IDC_NEXT, IDC_BACK, IDC_NEXT, IDC_NEXT };
    EXPECT_EQ(CdMusicTest(), 1);
    ASSERT_EQ(pages.pages.size(), 4u);
    ExpectYesNoPage(pages.pages[1], hearText);
    ExpectYesNoPage(pages.pages[2], cableText);
    ExpectYesNoPage(pages.pages[3], hearText);
    Lines expected = OneRoundOfTrack(3);
    Lines twice = expected;
    twice.insert(twice.end(), expected.begin(), expected.end());
    EXPECT_EQ(driver.Commands(), twice);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CdMusicTestPages, NoTwiceEndsTheTest)
{
    CdDriverScope driver;
    BoxRecorder boxes;
    PageDriver pages{ IDC_NEXT, IDC_BACK, IDC_BACK };
    EXPECT_EQ(CdMusicTest(), 1);
    EXPECT_EQ(pages.pages.size(), 3u);
    EXPECT_EQ(driver.Commands(), OneRoundOfTrack(3));
}

TEST_F(CdMusicTestPages, DriveThatCannotBeOpened)
{
    CdDriverScope driver("ttnocdaudio.dll");
    BoxRecorder boxes;
    PageDriver pages{ IDC_NEXT };
    EXPECT_EQ(CdMusicTest(), 1);
    EXPECT_EQ(pages.pages.size(), 1u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "No se puede acceder al lector CD.");
    EXPECT_EQ(boxes.boxes[0].caption, "Configuración");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes.boxes[0].owner, mainWindow);
}

TEST_F(CdMusicTestPages, OpenedWithoutTimeFormatIsReleased)
{
    CdDriverScope driver;
    SetEnvironmentVariableA("TT_MCICD_FAIL", "set");
    BoxRecorder boxes;
    PageDriver pages{ IDC_NEXT };
    EXPECT_EQ(CdMusicTest(), 1);
    EXPECT_EQ(boxes.LastText(), "No se puede acceder al lector CD.");
    EXPECT_EQ(driver.Commands(), (Lines{ openLine, setLine, closeLine }));
    EXPECT_EQ(cdDeviceId, 0);
}

TEST_F(CdMusicTestPages, TrackThatCannotBePlayed)
{
    CdDriverScope driver;
    SetEnvironmentVariableA("TT_MCICD_FAIL", "play");
    BoxRecorder boxes;
    PageDriver pages{ IDC_NEXT };
    EXPECT_EQ(CdMusicTest(), 1);
    EXPECT_EQ(pages.pages.size(), 1u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "El lector CD no puede tocar esa pista.");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONEXCLAMATION);
    Lines commands = driver.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), closeLine);   /* released after the failed play */
    EXPECT_EQ(cdDeviceId, 0);
}
