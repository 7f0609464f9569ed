/* The relaunch from the temporary directory, with a probe program in place of
 * Outfitter, and the rewrite of the prefix's real WININIT.INI. */
#include "tests/support/testsupport.h"
#include "setup/windows/integration.h"
#include "setup/engine/engine.h"
#include "settings/settings.h"
#include <gtest/gtest.h>

static const char *const relaunchNames[] = {
    "OUTFIT.EXE", "DSETUP.DLL", "DSETUP6E.DLL", "DSETUP6J.DLL", "DSETUPE.DLL", "DSETUPJ.DLL"
};

static std::string TempDirectory(void)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    return temp;
}

static std::string ProgramDirectory(void)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    std::string directory = path;
    return directory.substr(0, directory.rfind('\\') + 1);
}

/* A file that a just-ended process may still hold: a few tries. */
static void DeleteSoon(const std::string &path)
{
    for (int i = 0; i < 50 && PathExists(path); i++) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(path.c_str()))
            return;
        Sleep(100);
    }
}

static std::string WaitForFile(const std::string &path, DWORD milliseconds)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        std::string bytes = ReadWholeFile(path);
        if (!bytes.empty())
            return bytes;
        Sleep(100);
    }
    return "";
}

struct RelaunchFixture : ::testing::Test {
    ScratchDirectory scratch{ "relaunch" };
    std::string data, temp;
    char savedData[260];

    void SetUp() override
    {
        memcpy(savedData, cdDataDirectory, sizeof(savedData));
        temp = TempDirectory();
        data = scratch + "DATA1\\";
        CreateDirectoryA(data.c_str(), NULL);
        CreateDirectoryA((data + "SPANISH").c_str(), NULL);
        ASSERT_TRUE(CopyFileA((ProgramDirectory() + "relaunch_probe.exe").c_str(),
                              (data + "SPANISH\\OUTFIT.EXE").c_str(), FALSE));
        SetFileAttributesA((data + "SPANISH\\OUTFIT.EXE").c_str(), FILE_ATTRIBUTE_READONLY);
        for (int i = 1; i < 6; i++) {
            WriteWholeFile(data + relaunchNames[i], std::string("library ") + relaunchNames[i]);
            SetFileAttributesA((data + relaunchNames[i]).c_str(), FILE_ATTRIBUTE_READONLY);
        }
        CopyText(cdDataDirectory, sizeof(cdDataDirectory), data.c_str());
        sourceDriveText[0] = 'Q';
        gameSettings.LanguageIndex = 6;
    }
    void TearDown() override
    {
        memcpy(cdDataDirectory, savedData, sizeof(savedData));
        sourceDriveText[0] = cdDataDirectory[0];
        DeleteSoon(temp + "RELAUNCH.TXT");
        for (const char *name : relaunchNames)
            DeleteSoon(temp + name);
        for (const char *name : relaunchNames)
            SetFileAttributesA((data + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesA((data + "SPANISH\\OUTFIT.EXE").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
};

TEST_F(RelaunchFixture, TheCopyInTheTemporaryDirectoryIsStartedWithTheDrive)
{
    DeleteSoon(temp + "RELAUNCH.TXT");
    ASSERT_EQ(RelaunchFromTemp(), 1);
    for (const char *name : relaunchNames) {
        SCOPED_TRACE(name);
        DWORD attributes = GetFileAttributesA((temp + name).c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_EQ(ReadWholeFile(temp + "DSETUPJ.DLL"), "library DSETUPJ.DLL");
    EXPECT_EQ(WaitForFile(temp + "RELAUNCH.TXT", 15000), "\"" + temp + "OUTFIT.EXE\" FROM:Q");
}

TEST_F(RelaunchFixture, AMissingLibraryStopsTheRelaunch)
{
    SetFileAttributesA((data + "DSETUPE.DLL").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((data + "DSETUPE.DLL").c_str());
    EXPECT_EQ(RelaunchFromTemp(), 0);
    EXPECT_TRUE(PathExists(temp + "DSETUP6J.DLL"));
    EXPECT_FALSE(PathExists(temp + "DSETUPJ.DLL"));
}

/* ---- WININIT.INI ---------------------------------------------------------- */

struct WininitFixture : ::testing::Test {
    std::string path, saved, cleanup;
    bool existed = false;
    BoxRecorder boxes;

    void SetUp() override
    {
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof(windows));
        path = std::string(windows) + "\\WININIT.INI";
        existed = PathExists(path);
        saved = ReadWholeFile(path);
        DeleteFileA(path.c_str());
        std::string temp = TempDirectory();
        for (const char *name : relaunchNames)
            cleanup += "NUL=" + temp + name + "\r\n";
    }
    void TearDown() override
    {
        DeleteFileA(path.c_str());
        if (existed)
            WriteWholeFile(path, saved);
    }
};

TEST_F(WininitFixture, WithoutAFileTheSectionAndSixLinesAreWritten)
{
    EXPECT_EQ(ScheduleTempCleanup(), 1);
    EXPECT_EQ(ReadWholeFile(path), "[Rename]\r\n" + cleanup);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(WininitFixture, TheLinesGoRightAfterTheSectionLineInAnyCase)
{
    WriteWholeFile(path, "[boot]\r\nshell=Explorer.exe\r\n\r\n[rename]\r\nC:\\A.TXT=C:\\B.TXT\r\n\r\n[End]");
    EXPECT_EQ(ScheduleTempCleanup(), 1);
    EXPECT_EQ(ReadWholeFile(path), "[boot]\r\nshell=Explorer.exe\r\n\r\n[rename]\r\n" + cleanup +
                                       "C:\\A.TXT=C:\\B.TXT\r\n\r\n[End]\r\n");
}

TEST_F(WininitFixture, ASecondRunAddsSixMoreLines)
{
    EXPECT_EQ(ScheduleTempCleanup(), 1);
    EXPECT_EQ(ScheduleTempCleanup(), 1);
    EXPECT_EQ(ReadWholeFile(path), "[Rename]\r\n" + cleanup + cleanup);
}

TEST_F(WininitFixture, AFileWithoutTheSectionGetsItAppended)
{
    WriteWholeFile(path, "[boot]\r\nx=y\r\n");
    EXPECT_EQ(ScheduleTempCleanup(), 1);
    EXPECT_EQ(ReadWholeFile(path), "[boot]\r\nx=y\r\n[Rename]\r\n" + cleanup);
}

/* Every old line comes back byte for byte: lines that fill the 512-byte
 * buffer or pass it, and a line holding a NUL byte. Lines too long for the
 * reader are reported once for the file. */
TEST_F(WininitFixture, ALineTooLongForTheReaderIsReportedAndKept)
{
    std::string lines = "C:\\" + std::string(506, 'A') + "=B\r\n" +   /* 510 characters */
                        "C:\\" + std::string(507, 'B') + "=C\r\n" +   /* 511 */
                        "C:\\" + std::string(600, 'L') + "=C:\\X\r\n" +
                        "C:\\" + std::string(700, 'M') + "=C:\\Y\r\n" +
                        std::string("C:\\N\0UL=C:\\Z\r\n", 14) + "A=B\r\n";
    WriteWholeFile(path, "[rename]\r\n" + lines);
    EXPECT_EQ(ScheduleTempCleanup(), 1);
    EXPECT_EQ(ReadWholeFile(path), "[rename]\r\n" + cleanup + lines);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

/* Run only by wininit-fulldisk.sh, with the Windows directory on a full file
 * system: the rewrite fails with a box and the old file stays as it was. */
TEST(WininitOnAFullDisk, DISABLED_TheOldFileStaysAsItWas)
{
    BoxRecorder boxes;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string path = std::string(windows) + "\\WININIT.INI";
    std::string before = ReadWholeFile(path);
    ASSERT_GT(before.size(), 8192u);
    EXPECT_EQ(ScheduleTempCleanup(), 0);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_FALSE(PathExists(std::string(windows) + "\\WININIT.NEW"));
    EXPECT_EQ(boxes.boxes.size(), 1u);
}
