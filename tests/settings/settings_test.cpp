/* Reading and writing QVX.INF, and the driver configuration files, in Wine. */
#include "tests/support/testsupport.h"
#include "settings/settings.h"
#include "setup/devices/devices.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include <gtest/gtest.h>
#include <mmsystem.h>
#include <stdlib.h>

/* Points the CD data directory and the game directory at a scratch folder
 * and forgets any settings text from an earlier case. */
struct SettingsFixture : ::testing::Test {
    ScratchDirectory dir{"settings"};
    BoxRecorder boxes;
    void SetUp() override
    {
        DiscardSettingsText();
        lstrcpyA(cdDataDirectory, dir.path);
        lstrcpyA(installDirectory, dir.path);
        lstrcpyA(recordedDirectory, dir.path);
        memoryStatus.dwLength = sizeof(memoryStatus);
        GlobalMemoryStatus(&memoryStatus);
        for (LONG &on : gameSettings.OptionOn)
            on = 0;
    }
    void TearDown() override { DiscardSettingsText(); }
    std::string Written() { return ReadWholeFile(dir + "QVX.INF"); }
    /* Reads a text as the installed copy, sets the option switches (-1 keeps
     * what was read), then writes QVX.INF. */
    std::string WriteFrom(const std::string &text, std::vector<int> switches = {})
    {
        WriteWholeFile(dir + "QVX.INF", text);
        DiscardSettingsText();
        EXPECT_TRUE(ReadSettings(1)) << (boxes.boxes.empty() ? "" : boxes.LastText());
        for (size_t i = 0; i < switches.size() && i < OPTION_COUNT; i++)
            if (switches[i] >= 0)
                gameSettings.OptionOn[i] = switches[i];
        EXPECT_TRUE(WriteSettings());
        return Written();
    }
};

static const char requiredKeys[] = "MIN_MEMORY,8192\r\nTRACKS_EXPECTED,10\r\nINSTALLED_FILE,ZEPH4W95.EXE\r\n";

static std::string Line(const std::string &text, int number)
{
    size_t start = 0;
    for (int i = 0; i < number; i++)
        start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

static int CountLines(const std::string &text)
{
    int n = 0;
    for (size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2)
        n++;
    return n;
}

static std::string ExpectedSoundLine()
{
    WAVEOUTCAPSA caps;
    if (waveOutGetNumDevs() == 0 || waveOutGetDevCapsA(0, &caps, sizeof(caps)) != MMSYSERR_NOERROR)
        return "SOUND,";
    return std::string("SOUND,") + caps.szPname;
}

TEST_F(SettingsFixture, ReadsTheCdTemplate)
{
    WriteWholeFile(dir + "QVX.INF", std::string("[SETUP]\r\n") + requiredKeys +
                   "installed_file,zeph{x}.exe\r\nSHADOWS,4000,75,ON\r\nKEY_FIRE,29\r\nKEY_MENU\r\n");
    ASSERT_TRUE(ReadSettings(0));
    EXPECT_EQ(gameSettings.MinMemoryKb, 8192u);
    EXPECT_EQ(gameSettings.TracksExpected, 10);
    EXPECT_STREQ(gameSettings.InstalledFile, "ZEPH4W95.EXE");
    EXPECT_EQ(gameSettings.OptionMinMemoryKb[0], 4000);
    EXPECT_EQ(gameSettings.OptionMinSpeedMhz[0], 75);
    EXPECT_EQ(gameSettings.OptionOn[0], 0);          /* the CD copy's ON/OFF is not read */
    EXPECT_EQ(gameSettings.OptionMinMemoryKb[1], 0); /* no ANTIALIASING line */
    EXPECT_EQ(gameSettings.KeyScanCodes[8], 29);     /* KEY_FIRE */
    EXPECT_EQ(gameSettings.KeyScanCodes[23], 0);     /* KEY_MENU without a field */
    EXPECT_EQ(gameSettings.KeyScanCodes[0], -1);     /* KEY_UPONLY missing */
    EXPECT_TRUE(boxes.boxes.empty());

    /* A second read changes nothing, even for the other directory. */
    WriteWholeFile(dir + "QVX.INF", "MIN_MEMORY,1\r\n");
    EXPECT_TRUE(ReadSettings(1));
    EXPECT_EQ(gameSettings.MinMemoryKb, 8192u);
}

TEST_F(SettingsFixture, InstalledCopyNeedsNoTrackCountButReadsTheSwitches)
{
    WriteWholeFile(dir + "QVX.INF", "MIN_MEMORY,4096\r\nINSTALLED_FILE,tt.exe\r\nSHADOWS,1,2,ON\r\nSPOT_SOUNDS,1,2,OFF\r\n");
    ASSERT_TRUE(ReadSettings(1));
    EXPECT_STREQ(gameSettings.InstalledFile, "TT.EXE");
    EXPECT_EQ(gameSettings.OptionOn[0], 1);
    EXPECT_EQ(gameSettings.OptionOn[5], 0);
}

TEST_F(SettingsFixture, MissingKeysAreReportedInSpanish)
{
    struct { const char *text; int fromInstall; const char *message; } cases[] = {
        { "MIN_MEMORY,0\r\nTRACKS_EXPECTED,1\r\nINSTALLED_FILE,A\r\n", 0,
          "No hay par\xE1metro MIN_MEMORY en fichero QVX.INF." },
        { "MIN_MEMORY,lots\r\nINSTALLED_FILE,A\r\n", 1, "No hay par\xE1metro MIN_MEMORY en fichero QVX.INF." },
        { "MIN_MEMORY,10\r\nINSTALLED_FILE,A\r\n", 0, "No hay par\xE1metro TRACKS_EXPECTED en QVX.INF." },
        { "MIN_MEMORY,10\r\nTRACKS_EXPECTED,1\r\nINSTALLED_FILE\r\n", 0,
          "No hay par\xE1metro INSTALLED_FILE en QVX.INF." },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        DiscardSettingsText();
        boxes.boxes.clear();
        WriteWholeFile(dir + "QVX.INF", c.text);
        EXPECT_FALSE(ReadSettings(c.fromInstall));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, c.message);
        EXPECT_EQ(boxes.boxes[0].caption, "Configuraci\xF3n");   /* Windows-1252 bytes */
        EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONERROR);
    }
}

TEST_F(SettingsFixture, EmptyOrMissingFileFails)
{
    WriteWholeFile(dir + "QVX.INF", "");
    EXPECT_FALSE(ReadSettings(0));
    EXPECT_TRUE(boxes.boxes.empty());
    DeleteFileA((dir + "QVX.INF").c_str());
    EXPECT_FALSE(ReadSettings(0));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not open/read from a file that was asked for.\n\n"
                                   "The file is called " + (dir + "QVX.INF"));
}

TEST_F(SettingsFixture, TemplateWithoutSectionGetsAllGeneratedKeys)
{
    std::string before = std::string("; Tinfoil Tango\r\n") + requiredKeys;
    std::string out = WriteFrom(before, {0, 0, 1});
    ASSERT_EQ(out.substr(0, before.size()), before);
    std::string added = out.substr(before.size());
    ASSERT_EQ(CountLines(added), 1 + 43);
    EXPECT_EQ(Line(added, 0), "[SETUP]");
    EXPECT_EQ(Line(added, 1), "BASE,");
    EXPECT_EQ(Line(added, 2).substr(0, 9), "EXTENDED,");
    EXPECT_EQ(Line(added, 3), std::string("CDROM,") + sourceDrive);
    EXPECT_EQ(Line(added, 4), "FIXED," + std::string(dir.path, lstrlenA(dir.path) - 1));
    EXPECT_EQ(Line(added, 5), ExpectedSoundLine());
    EXPECT_EQ(Line(added, 6), "VIDEO,Unknown");
    EXPECT_EQ(Line(added, 7), "GAME,ZEPH4W95.EXE");
    EXPECT_EQ(Line(added, 8), "LANGUAGE,6");
    EXPECT_EQ(Line(added, 9), "SHADOWS,,,OFF");
    EXPECT_EQ(Line(added, 11), "INTEREST_EFFECTS,,,ON");
    EXPECT_EQ(Line(added, 14), "SPOT_SOUNDS,,,OFF");
    EXPECT_EQ(Line(added, 15), "KEY_UPONLY,-1");
    EXPECT_EQ(Line(added, 43), "KEY_WEAPONS_TOOLS,-1");
    char extended[32];
    wsprintfA(extended, "EXTENDED,%lu", (unsigned long)(memoryStatus.dwTotalPhys / 1024));
    EXPECT_EQ(Line(added, 2), extended);
}

TEST_F(SettingsFixture, SectionFollowedByAnotherSection)
{
    std::string text = std::string("Before,Keeps Case\r\n[SETUP]\r\n") + requiredKeys +
                       "cdrom,e:\\options\r\nshadows,4000,75,ON,X\r\nmy,line\r\n\r\nKEY_FIRE,57\r\n"
                       "[Other]\r\nlower,case\r\n";
    std::string out = WriteFrom(text, {0});   /* read as ON, switched off */
    EXPECT_EQ(Line(out, 0), "Before,Keeps Case");
    EXPECT_EQ(Line(out, 1), "[SETUP]");
    EXPECT_EQ(Line(out, 2), "MIN_MEMORY,8192");
    EXPECT_EQ(Line(out, 5), std::string("CDROM,") + sourceDrive + ":\\OPTIONS");
    EXPECT_EQ(Line(out, 6), "SHADOWS,4000,75,OFF");
    EXPECT_EQ(Line(out, 7), "MY,LINE");
    EXPECT_EQ(Line(out, 8), "");
    EXPECT_EQ(Line(out, 9), "BASE,");     /* unmarked keys come next, in key-list order */
    /* The last line of the section is held back until after the added keys,
     * so KEY_FIRE stands twice: generated first, then as it stood. */
    size_t generated = out.find("\r\nKEY_FIRE,57\r\n");
    size_t original = out.find("\r\nKEY_FIRE,57\r\n[Other]\r\nlower,case\r\n");
    EXPECT_NE(generated, std::string::npos);
    EXPECT_NE(original, std::string::npos);
    EXPECT_LT(generated, original);
    EXPECT_EQ(out.substr(out.size() - 12), "lower,case\r\n");
}

TEST_F(SettingsFixture, SectionToTheEndAndPrefixLines)
{
    std::string text = std::string("[SETUP]\r\n") + requiredKeys + "SHAD\r\nS\r\nLANGUAGE,1\r\n";
    std::string out = WriteFrom(text);
    EXPECT_NE(out.find("\r\nSHAD,,,OFF\r\n"), std::string::npos);
    EXPECT_EQ(out.find("SHADOWS"), std::string::npos);   /* SHAD stood for it */
    /* A lone S matches SOUND, SHADOWS, SCROLLING_SKY and SPOT_SOUNDS alike. */
    std::string fromS = ExpectedSoundLine() + "\r\nS,,,OFF\r\nS,,,OFF\r\nS,,,OFF\r\n";
    EXPECT_NE(out.find(fromS), std::string::npos);
    EXPECT_NE(out.find("\r\nLANGUAGE,6\r\n"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 22), "KEY_WEAPONS_TOOLS,-1\r\n");
    EXPECT_EQ(out.find("LANGUAGE,1"), std::string::npos);

    /* The same text written twice gives the same file. */
    ASSERT_TRUE(WriteSettings());
    EXPECT_EQ(Written(), out);
}

TEST_F(SettingsFixture, FailedWriteKeepsTheOldFile)
{
    std::string text = std::string("[SETUP]\r\n") + requiredKeys;
    const std::string cannotCreate = "Could not create a file that was asked for.\n\nThe file is called " +
                                     (dir + "QVX.INF");
    WriteWholeFile(dir + "QVX.INF", text);
    ASSERT_TRUE(ReadSettings(1));
    /* Another program holds the new file, or QVX.INF itself, open without
     * sharing: the box names QVX.INF either way. */
    for (const char *name : { "QVX.NEW", "QVX.INF" }) {
        SCOPED_TRACE(name);
        boxes.boxes.clear();
        HANDLE held = CreateFileA((dir + name).c_str(), GENERIC_READ, 0, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(WriteSettings());
        CloseHandle(held);
        EXPECT_EQ(Written(), text);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, cannotCreate);
        DeleteFileA((dir + "QVX.NEW").c_str());
    }

    /* A read-only file is left alone, and the failure reported as ever. */
    boxes.boxes.clear();
    SetFileAttributesA((dir + "QVX.INF").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteSettings());
    SetFileAttributesA((dir + "QVX.INF").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Written(), text);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, cannotCreate);
    EXPECT_FALSE(PathExists(dir + "QVX.NEW"));
    EXPECT_FALSE(PathExists(dir + "QVX.OLD"));

    /* A game directory that is gone. */
    boxes.boxes.clear();
    lstrcpyA(installDirectory, (dir + "GONE\\").c_str());
    EXPECT_FALSE(WriteSettings());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not create a file that was asked for.\n\nThe file is called " +
                                   (dir + "GONE\\QVX.INF"));
}

/* The game reads QVX.INF in 260-byte lines: an option line is cut to 257
 * characters and keeps its three commas and its state at the end. */
TEST_F(SettingsFixture, OverlongOptionLinesAreCutBeforeTheirState)
{
    std::string filler(252, 'X');
    std::string out = WriteFrom(std::string("[SETUP]\r\n") + requiredKeys + "SHADOWS" + filler +
                                    "\r\nANTIALIASING,4000," + filler.substr(0, 241) + "\r\n",
                                {0, 1});
    EXPECT_EQ(Line(out, 4), "SHADOWS" + filler.substr(0, 244) + ",,,OFF");
    EXPECT_EQ(Line(out, 5), "ANTIALIASING,4000," + filler.substr(0, 236) + ",ON");
}

TEST_F(SettingsFixture, SoundLineFollowsTheWaveDevices)
{
    const char *expect = getenv("TT_EXPECT_WAVE");
    UINT devices = waveOutGetNumDevs();
    if (expect) {
        EXPECT_EQ(devices != 0, expect[0] == '1');
    }
    std::string out = WriteFrom(std::string("[SETUP]\r\n") + requiredKeys);
    EXPECT_NE(out.find("\r\n" + ExpectedSoundLine() + "\r\n"), std::string::npos);
    if (devices == 0) {
        EXPECT_NE(out.find("\r\nSOUND,\r\n"), std::string::npos);
    } else {
        EXPECT_EQ(out.find("\r\nSOUND,\r\n"), std::string::npos);
    }
}

TEST_F(SettingsFixture, SoundDeviceFromDigIni)
{
    struct { const char *text; const char *name; } cases[] = {
        { "DRIVER SB16.DIG\r\nDEVICE   Sound Card 16   \r\n", "Sound Card 16" },
        { "device SB\r\n", "SB" },
        { "DEVICEX Foo\r\n", "Foo" },
        { "DEVICE\r\n", "" },
        { "\r\nOTHER x\r\n", "Unknown" },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        WriteWholeFile(dir + "DIG.INI", c.text);
        ReadSoundDeviceName();
        EXPECT_STREQ(soundDeviceName, c.name);
    }
    DeleteFileA((dir + "DIG.INI").c_str());
    ReadSoundDeviceName();
    EXPECT_STREQ(soundDeviceName, "Unknown");
    EXPECT_TRUE(boxes.boxes.empty());   /* missing optional files are silent */
}

TEST_F(SettingsFixture, VideoDriverFromUvconfig)
{
    auto config = [&](size_t size, const std::string &name) {
        std::string data(size, 'x');
        data.replace(21009, name.size() + 1, name + std::string(1, '\0'));
        WriteWholeFile(dir + "UVCONFIG.DAT", data.substr(0, size));
    };
    config(21024, "Too Short");
    EXPECT_TRUE(ReadVideoDriverName());
    EXPECT_STREQ(videoDriverName, "Unknown");
    config(21025, "");
    ReadVideoDriverName();
    EXPECT_STREQ(videoDriverName, "");
    config(30000, "  S3 Trio64  ");
    ReadVideoDriverName();
    EXPECT_STREQ(videoDriverName, "S3 Trio64");
    config(30000, std::string(259, 'N'));
    ReadVideoDriverName();
    EXPECT_EQ(std::string(videoDriverName), std::string(259, 'N'));
    config(30000, std::string(260, 'N'));
    ReadVideoDriverName();
    EXPECT_STREQ(videoDriverName, "Unknown");
    DeleteFileA((dir + "UVCONFIG.DAT").c_str());
    EXPECT_FALSE(ReadVideoDriverName());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(TrimSpaces, OnlySpacesAreTrimmed)
{
    char a[] = "  a b  ", b[] = "   ", c[] = "", d[] = "\tx ";
    TrimSpaces(a);
    TrimSpaces(b);
    TrimSpaces(c);
    TrimSpaces(d);
    EXPECT_STREQ(a, "a b");
    EXPECT_STREQ(b, "   ");
    EXPECT_STREQ(c, "");
    EXPECT_STREQ(d, "\tx");
}
