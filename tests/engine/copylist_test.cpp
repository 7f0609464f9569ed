/* The copy pass against files in a scratch "CD" and a scratch game
 * directory: list parsing, the minimal filter, plain files, containers with
 * raw and compressed entries, and the refusal of unsafe or damaged data. */
#include "tests/engine/screenrecorder.h"
#include "setup/engine/container.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include "settings/settings.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string.h>

/* ---- Building CD data ----------------------------------------------------- */

static std::string Le32(uint32_t value)
{
    unsigned char bytes[4];
    WriteLe32(bytes, value);
    return std::string((const char *)bytes, 4);
}

static std::string Chunk(uint32_t expanded, int32_t stored, const std::string &payload)
{
    return Le32(expanded) + Le32((uint32_t)stored) + payload;
}

struct ContainerEntry {
    std::string name;
    uint32_t chunkFlag;
    std::string body;   /* raw bytes, or chunks */
};

/* path without its extension: writes path.CFL and path.CFI. */
static void WriteContainer(const std::string &path, const std::vector<ContainerEntry> &entries)
{
    std::string index, data;
    for (const ContainerEntry &entry : entries) {
        std::string record(CFI_NAME_SIZE, '\0');
        memcpy(&record[0], entry.name.data(), std::min(entry.name.size(), (size_t)CFI_NAME_SIZE));
        index += record + Le32((uint32_t)(entry.body.size() + 8));
        data += Le32(0x5A5A5A5A) + Le32(entry.chunkFlag) + entry.body;
    }
    WriteWholeFile(path + ".CFI", index);
    WriteWholeFile(path + ".CFL", data);
}

static std::string Pattern(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i++)
        bytes[i] = (char)((i * 7 + seed) % 251);
    return bytes;
}

/* One flag byte 0xFF and eight literals per group: 11 groups and a trailing
 * flag byte with no items make a 100-byte payload that expands to 88. */
static std::string LiteralPayload(std::string *expanded)
{
    std::string payload;
    for (int group = 0; group < 11; group++) {
        payload += '\xFF';
        for (int i = 0; i < 8; i++) {
            char c = (char)('A' + (group + i) % 26);
            payload += c;
            *expanded += c;
        }
    }
    payload += '\xFF';
    return payload;
}

/* ---- A scratch CD and game directory -------------------------------------- */

struct CopyFixture : ::testing::Test {
    ScratchDirectory scratch{ "copy" };
    std::string cd, game;
    BoxRecorder boxes;
    char savedData[260], savedList[260];

    void SetUp() override
    {
        memcpy(savedData, cdDataDirectory, sizeof(savedData));
        memcpy(savedList, activeListPath, sizeof(savedList));
        cd = scratch + "DATA1\\";
        game = scratch + "GAME\\";
        CreateDirectoryA(cd.c_str(), NULL);
        CreateDirectoryA((cd + "SPANISH").c_str(), NULL);
        CreateDirectoryA(game.c_str(), NULL);
        for (int i = 0; i <= 10; i++)
            CreateDirectoryA((game + "G" + std::to_string(i)).c_str(), NULL);
        CopyText(cdDataDirectory, sizeof(cdDataDirectory), cd.c_str());
        CopyText(activeListPath, sizeof(activeListPath), (cd + "FILELIST.WD").c_str());
        CopyText(installDirectory, sizeof(installDirectory), game.c_str());
        minimalInstall = 1;
        gameSettings.LanguageIndex = 6;
    }
    void TearDown() override
    {
        memcpy(cdDataDirectory, savedData, sizeof(savedData));
        memcpy(activeListPath, savedList, sizeof(savedList));
        installDirectory[0] = '\0';
        for (void *&block : memoryBlocks)
            EXPECT_EQ(block, (void *)NULL) << "a recorded block was left behind";
    }
    void List(const std::string &text) { WriteWholeFile(cd + "FILELIST.WD", text); }
    std::string Installed(const std::string &name) { return ReadWholeFile(game + name); }
};

/* ---- List lines ----------------------------------------------------------- */

TEST(ListLines, LanguageSourcesComeFromTheBuildsDirectory)
{
    char source[260], destination[260];
    gameSettings.LanguageIndex = 6;
    const char text[] = "language\\readme.txt,README.TXT\r\n";
    EXPECT_EQ(ParseListLine(text, (long)strlen(text), source, destination), (int)strlen(text));
    EXPECT_STREQ(source, "SPANISH\\README.TXT");
    EXPECT_STREQ(destination, "README.TXT");
}

TEST(ListLines, LaterCommasBelongToTheDestinationAndNothingIsTrimmed)
{
    char source[260], destination[260];
    const char text[] = "sub\\a.dat, G1\\b,c \r\n";
    ParseListLine(text, (long)strlen(text), source, destination);
    EXPECT_STREQ(source, "SUB\\A.DAT");
    EXPECT_STREQ(destination, " G1\\B,C ");
}

TEST(ListLines, ShortSourcesAreNotTakenForLanguage)
{
    char source[260], destination[260];
    const char text[] = "LANG,X";
    ParseListLine(text, (long)strlen(text), source, destination);
    EXPECT_STREQ(source, "LANG");
}

TEST(ListLines, LinesWithoutACommaAndBlankLinesNameNoFile)
{
    char source[260], destination[260];
    const char text[] = "NOCOMMA.DAT\r\n\r\n\r\nA,B";
    long remaining = (long)strlen(text);
    int used = ParseListLine(text, remaining, source, destination);
    EXPECT_EQ(source[0], '\0');
    EXPECT_EQ(used, 17);   /* the blank lines go with it */
    used = ParseListLine(text + used, remaining - used, source, destination);
    EXPECT_STREQ(source, "A");
    EXPECT_STREQ(destination, "B");
}

TEST(ListLines, MinimalInstallLeavesSectorsTwoToFiveOnTheCd)
{
    minimalInstall = 1;
    EXPECT_FALSE(IsFileIncluded("SECTOR3.CFL"));
    EXPECT_FALSE(IsFileIncluded("SUB\\SECTOR5.CFL"));
    EXPECT_TRUE(IsFileIncluded("SECTOR1.CFL"));
    EXPECT_TRUE(IsFileIncluded("SECTOR6.CFL"));
    minimalInstall = 0;
    EXPECT_TRUE(IsFileIncluded("SECTOR3.CFL"));
    minimalInstall = 1;
}

/* ---- Whole passes ------------------------------------------------------- */

static void ExpectRefusal(CopyFixture &f, const std::string &named)
{
    ASSERT_EQ(f.boxes.boxes.size(), 1u);
    const RecordedBox &box = f.boxes.boxes[0];
    EXPECT_EQ(box.caption, "Configuración");
    EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONERROR));
    EXPECT_NE(box.text.find(named), std::string::npos) << box.text;
}


TEST_F(CopyFixture, AMinimalInstallationCopiesPlainFilesAndContainers)
{
    ScreenRecorder screen;
    std::string readme = "Lee esto.\r\n";
    std::string big = Pattern(2500000, 1);
    std::string rawEntry = Pattern(1500000, 2);
    std::string rawChunk = Pattern(100, 3);
    std::string literals;
    std::string literalPayload = LiteralPayload(&literals);
    const char overlap[] = { 0x01, 0x61, (char)0xEE, (char)0xF2 };   /* 'a', then 5 more from the ring */

    WriteWholeFile(cd + "SPANISH\\README.TXT", readme);
    WriteWholeFile(cd + "BIG.DAT", big);
    WriteContainer(cd + "SECTOR1", {
        { "MAPA01.DAT", 0, rawEntry },
        { "MAPA02.DAT", 1, Chunk(100, -100, rawChunk) + Chunk(88, 100, literalPayload) +
                             Chunk(6, 4, std::string(overlap, 4)) },
    });
    WriteContainer(cd + "SECTOR3", { { "NO.DAT", 0, "never" } });
    WriteContainer(cd + "BASE", { { "G2\\SUB.DAT", 0, "sub" }, { "TOP.DAT", 0, "top" } });
    List("language\\readme.txt,README.TXT\r\nBIG.DAT,BIG.DAT\r\nSECTOR1.CFL,G1\\X\r\n"
         "SECTOR3.CFL,G3\\X\r\nBASE.CFL,X\r\n");

    ASSERT_EQ(CopyListedFiles(), 1) << boxes.LastText();
    EXPECT_TRUE(boxes.boxes.empty());

    EXPECT_EQ(Installed("README.TXT"), readme);
    EXPECT_EQ(Installed("BIG.DAT"), big);
    EXPECT_EQ(Installed("G1\\MAPA01.DAT"), rawEntry);
    EXPECT_EQ(Installed("G1\\MAPA02.DAT"), rawChunk + literals + std::string(6, 'a'));
    EXPECT_FALSE(PathExists(game + "G3\\NO.DAT"));
    /* No backslash in the destination: the first entry under its own name;
     * its directory then stays in the destination for the entries after it. */
    EXPECT_EQ(Installed("G2\\SUB.DAT"), "sub");
    EXPECT_EQ(Installed("G2\\TOP.DAT"), "top");
    EXPECT_FALSE(PathExists(game + "TOP.DAT"));

    LONG sector1 = (LONG)(8 + rawEntry.size() + 8 + 8 + 100 + 8 + 100 + 8 + 4);
    LONG base = (LONG)(8 + 3 + 8 + 3);
    EXPECT_EQ(bytesTotal, (LONG)(readme.size() + big.size()) + sector1 + base);
    EXPECT_EQ(bytesCopied, bytesTotal - 8 * 4);   /* entry headers are not counted */

    /* Steps: the plain file in three blocks, the raw entry in two, one per chunk. */
    std::vector<LONG> steps = screen.StepCounts();
    LONG afterReadme = (LONG)readme.size();
    std::vector<LONG> expected = {
        afterReadme,
        afterReadme + 1048576, afterReadme + 2097152, afterReadme + 2500000,
        afterReadme + 2500000 + 1048576, afterReadme + 2500000 + 1500000,
        afterReadme + 2500000 + 1500000 + 108, afterReadme + 2500000 + 1500000 + 216,
        afterReadme + 2500000 + 1500000 + 228,
        afterReadme + 2500000 + 1500000 + 231, afterReadme + 2500000 + 1500000 + 234,
    };
    EXPECT_EQ(steps, expected);

    /* The status line names the file of every step, whichever of them
     * the pace lets draw. */
    std::vector<std::string> perStep = { "Copiando README.TXT" };
    perStep.insert(perStep.end(), 3, "Copiando BIG.DAT");
    perStep.insert(perStep.end(), 2, "Copiando G1\\MAPA01.DAT");
    perStep.insert(perStep.end(), 3, "Copiando G1\\MAPA02.DAT");
    perStep.push_back("Copiando G2\\SUB.DAT");
    perStep.push_back("Copiando G2\\TOP.DAT");
    EXPECT_EQ(screen.StepStatuses(), perStep);
    EXPECT_EQ(screen.StatusTexts().back(), " ");
}

TEST_F(CopyFixture, AMissingCdFileStopsThePassWhileTotalling)
{
    ScreenRecorder screen;
    WriteWholeFile(cd + "FIRST.DAT", "first");
    List("FIRST.DAT,FIRST.DAT\r\nMISSING.DAT,MISSING.DAT\r\n");
    EXPECT_EQ(CopyListedFiles(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not open/read from a file that was asked for.\n\n"
                                   "The file is called " + cd + "MISSING.DAT");
    EXPECT_FALSE(PathExists(game + "FIRST.DAT"));
    EXPECT_TRUE(screen.StepCounts().empty());
}

/* The pass stops with a box that names the file: an empty list, a list that
 * leaves every line on the CD, an empty listed file, an empty index. */
TEST_F(CopyFixture, EmptyCdDataStopsThePassWithABoxNamingTheFile)
{
    WriteContainer(cd + "SECTOR2", { { "A.DAT", 0, "a" } });
    WriteWholeFile(cd + "EMPTY.DAT", "");
    WriteWholeFile(cd + "SECTOR1.CFI", "");
    WriteWholeFile(cd + "SECTOR1.CFL", std::string(20, 'x'));
    struct Case {
        std::string list, named;
    } cases[] = {
        { "", cd + "FILELIST.WD" },
        { "SECTOR2.CFL,G2\\X\r\n", cd + "FILELIST.WD" },
        { "EMPTY.DAT,EMPTY.DAT\r\n", cd + "EMPTY.DAT" },
        { "SECTOR1.CFL,G1\\X\r\n", cd + "SECTOR1.CFI" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.list);
        boxes.boxes.clear();
        List(c.list);
        EXPECT_EQ(CopyListedFiles(), 0);
        ExpectRefusal(*this, c.named);
    }
    EXPECT_FALSE(PathExists(game + "EMPTY.DAT"));
}

/* The pass holds its transfer buffers from start to end: a pass that fails
 * inside a container must free them, and the next pass in the same run must
 * make them again and install every byte. */
TEST_F(CopyFixture, AFailedPassIsFollowedByAGoodOne)
{
    std::string big = Pattern(1500000, 4);
    std::string literals;
    std::string literalPayload = LiteralPayload(&literals);
    WriteWholeFile(cd + "BIG.DAT", big);
    List("BIG.DAT,BIG.DAT\r\nSECTOR1.CFL,G1\\X\r\n");
    WriteContainer(cd + "SECTOR1", { { "GOOD.DAT", 1, Chunk(88, 100, literalPayload) },
                                     { "BAD.DAT", 1, Chunk(2000000, 4, "\xFF" "abc") } });
    EXPECT_EQ(CopyListedFiles(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    for (void *block : memoryBlocks)
        EXPECT_EQ(block, (void *)NULL) << "the failed pass left a block behind";

    boxes.boxes.clear();
    WriteContainer(cd + "SECTOR1", { { "GOOD.DAT", 1, Chunk(88, 100, literalPayload) },
                                     { "RAW.DAT", 0, Pattern(1200000, 5) } });
    ASSERT_EQ(CopyListedFiles(), 1) << boxes.LastText();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(Installed("BIG.DAT"), big);
    EXPECT_EQ(Installed("G1\\GOOD.DAT"), literals);
    EXPECT_EQ(Installed("G1\\RAW.DAT"), Pattern(1200000, 5));

    /* The files opened to total the sizes are all closed, also those that a
     * pass failing at its first file never reached. */
    boxes.boxes.clear();
    List("SECTOR1.CFL,G1\\X\r\nBIG.DAT,BIG.DAT\r\n");
    WriteContainer(cd + "SECTOR1", { { "BAD.DAT", 1, Chunk(2000000, 4, "\xFF" "abc") } });
    EXPECT_EQ(CopyListedFiles(), 0);
    EXPECT_TRUE(DeleteFileA((cd + "BIG.DAT").c_str())) << "a file of the CD stayed open";
}

/* ---- Names from the CD that leave the game directory ------------------- */

TEST_F(CopyFixture, UnsafeListDestinationsAreRefused)
{
    WriteWholeFile(cd + "EVIL.DAT", "evil");
    const char *destinations[] = { "..\\EVIL.DAT", "G1\\..\\..\\EVIL.DAT", "C:\\EVIL.DAT", "\\\\EVIL.DAT",
                                   "C:EVIL.DAT", "G1\\.. \\EVIL.DAT", "COM1", "G1\\NUL.TXT" };
    for (const char *destination : destinations) {
        SCOPED_TRACE(destination);
        boxes.boxes.clear();
        List(std::string("EVIL.DAT,") + destination + "\r\n");
        EXPECT_EQ(CopyListedFiles(), 0);
        ExpectRefusal(*this, destination);
        EXPECT_NE(boxes.LastText().find(cd + "EVIL.DAT"), std::string::npos);
    }
    EXPECT_FALSE(PathExists(scratch + "EVIL.DAT"));
}

/* Windows joins these to paths inside the game directory. */
TEST_F(CopyFixture, DestinationsThatStayInsideTheGameDirectoryInstall)
{
    WriteWholeFile(cd + "README.TXT", "lee");
    List("README.TXT,\\README1.TXT\r\nREADME.TXT,.\\README2.TXT\r\nREADME.TXT,G1\\\\X.DAT\r\n");
    ASSERT_EQ(CopyListedFiles(), 1) << boxes.LastText();
    EXPECT_EQ(Installed("README1.TXT"), "lee");
    EXPECT_EQ(Installed("README2.TXT"), "lee");
    EXPECT_EQ(Installed("G1\\X.DAT"), "lee");
}

TEST_F(CopyFixture, UnsafeContainerEntryNamesAreRefused)
{
    WriteContainer(cd + "SECTOR1", { { "OK.DAT", 0, "ok" }, { "..\\EVIL.DAT", 0, "evil" } });
    List("SECTOR1.CFL,G1\\X\r\n");
    EXPECT_EQ(CopyListedFiles(), 0);
    ExpectRefusal(*this, "..\\EVIL.DAT");
    EXPECT_NE(boxes.LastText().find(cd + "SECTOR1.CFI"), std::string::npos);
    EXPECT_EQ(Installed("G1\\OK.DAT"), "ok");
    EXPECT_FALSE(PathExists(game + "EVIL.DAT"));
}

TEST_F(CopyFixture, AContainerDestinationThatClimbsOutIsRefused)
{
    WriteContainer(cd + "SECTOR1", { { "EVIL.DAT", 0, "evil" } });
    List("SECTOR1.CFL,..\\X\r\n");
    EXPECT_EQ(CopyListedFiles(), 0);
    ExpectRefusal(*this, "..\\EVIL.DAT");
    EXPECT_FALSE(PathExists(scratch + "EVIL.DAT"));
}

/* ---- Damaged containers ------------------------------------------------- */

TEST_F(CopyFixture, AnIndexThatIsNotWholeRecordsIsRefused)
{
    WriteWholeFile(cd + "SECTOR1.CFI", std::string(300, 'x'));
    WriteWholeFile(cd + "SECTOR1.CFL", "data");
    List("SECTOR1.CFL,G1\\X\r\n");
    EXPECT_EQ(CopyListedFiles(), 0);
    ExpectRefusal(*this, cd + "SECTOR1.CFI");
}

TEST_F(CopyFixture, DamagedChunksAreRefusedWithoutWritingPastAnything)
{
    struct Case {
        const char *what;
        std::string body;
    } cases[] = {
        { "payload runs past the entry", Chunk(50, -50, std::string(20, 'r')) },
        { "raw chunk lengths differ", Chunk(50, -100, std::string(100, 'r')) },
        { "expanded length over 1 MiB", Chunk(2000000, 4, "\xFF" "abc") },
        { "decodes to fewer bytes than its header", Chunk(10, 4, std::string("\x01\x61\xEE\xF2", 4)) },
        { "header cut short by the entry", Chunk(3, -3, "abc") + "xy" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        boxes.boxes.clear();
        WriteContainer(cd + "SECTOR1", { { "BAD.DAT", 1, c.body } });
        List("SECTOR1.CFL,G1\\X\r\n");
        EXPECT_EQ(CopyListedFiles(), 0);
        ExpectRefusal(*this, cd + "SECTOR1.CFL");
        EXPECT_NE(boxes.LastText().find("G1\\BAD.DAT"), std::string::npos);
    }
}

/* The chunk is the first bytes of its expansion: a padded last flag group
 * installs. */
TEST_F(CopyFixture, AChunkThatDecodesToMoreThanItsHeaderInstallsItsLength)
{
    WriteContainer(cd + "SECTOR1", { { "PAD.DAT", 1, Chunk(3, 4, std::string("\x01\x61\xEE\xF2", 4)) } });
    List("SECTOR1.CFL,G1\\X\r\n");
    ASSERT_EQ(CopyListedFiles(), 1) << boxes.LastText();
    EXPECT_EQ(Installed("G1\\PAD.DAT"), "aaa");
}

TEST_F(CopyFixture, AnEntryRunningPastTheDataFileIsAReadFailure)
{
    std::string index(CFI_NAME_SIZE, '\0');
    memcpy(&index[0], "A.DAT", 5);
    index += Le32(1000);
    WriteWholeFile(cd + "SECTOR1.CFI", index);
    WriteWholeFile(cd + "SECTOR1.CFL", Le32(0) + Le32(0) + "short");
    List("SECTOR1.CFL,G1\\X\r\n");
    EXPECT_EQ(CopyListedFiles(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "File reading problem, not enough information was read.");
}
