/* The runtime library against Wine's real file system and registry. */
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>

static const UINT libraryBoxStyle = MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST;

TEST(Memory, RecordedBlocksAreSweptOnce)
{
    BoxRecorder boxes;
    InitMemoryBlocks();
    void *block = AllocateMemory(100, 1);
    ASSERT_TRUE(block != NULL);
    EXPECT_EQ(memoryBlocks[0], block);
    EXPECT_EQ(((char *)block)[99], 0);   /* zero-filled */
    EXPECT_EQ(FreeMemory(block), (void *)NULL);
    EXPECT_EQ(memoryBlocks[0], (void *)NULL);
    EXPECT_EQ(FreeMemory(NULL), (void *)NULL);

    void *unrecorded = AllocateMemory(10, 0);
    for (int i = 0; i < gcMemoryBlocks; i++)
        EXPECT_NE(memoryBlocks[i], unrecorded);
    FreeMemory(unrecorded);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Memory, The257thRecordedBlockEscapesTheTable)
{
    BoxRecorder boxes;
    programCaption = "Configuraci\xF3n";
    InitMemoryBlocks();
    for (int i = 0; i < gcMemoryBlocks; i++)
        ASSERT_TRUE(AllocateMemory(16, 1) != NULL);
    EXPECT_TRUE(boxes.boxes.empty());

    char *extra = (char *)AllocateMemory(16, 1);
    ASSERT_TRUE(extra != NULL);
    extra[15] = 'x';   /* usable */
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "You need to increase the gcMemoryBlocks constant in GENERAL");
    EXPECT_EQ(boxes.boxes[0].caption, "Configuraci\xF3n");
    EXPECT_EQ(boxes.boxes[0].style, libraryBoxStyle);

    void *table[gcMemoryBlocks];
    CopyMemory(table, memoryBlocks, sizeof(table));
    FreeMemory(extra);
    EXPECT_EQ(memcmp(table, memoryBlocks, sizeof(table)), 0);
    FreeAllMemoryBlocks();
    for (int i = 0; i < gcMemoryBlocks; i++)
        EXPECT_EQ(memoryBlocks[i], (void *)NULL);
}

TEST(Files, FailuresAreReportedWithTheFileName)
{
    BoxRecorder boxes;
    ScratchDirectory dir("files");
    std::string missing = dir + "missing.txt";
    EXPECT_EQ(OpenFileForRead(missing.c_str()), (HANDLE)NULL);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not open/read from a file that was asked for.\n\n"
                                   "The file is called " + missing);
    EXPECT_EQ(boxes.boxes[0].style, libraryBoxStyle);

    std::string longName = dir.path + std::string(200, 'n') + "\\x.txt";
    EXPECT_EQ(CreateFileForWrite(longName.c_str()), (HANDLE)NULL);
    EXPECT_EQ(boxes.LastText(), "Could not create a file that was asked for.\n\nThe file is called " + longName);

    WriteWholeFile(dir + "forty.bin", std::string(40, 'a'));
    HANDLE file = OpenFileForRead((dir + "forty.bin").c_str());
    ASSERT_TRUE(file != NULL);
    char buffer[100];
    EXPECT_EQ(ReadFromFile(file, buffer, 100), 0);
    EXPECT_EQ(boxes.LastText(), "File reading problem, not enough information was read.");
    EXPECT_EQ(GetSizeOfFile(file), 40u);
    CloseFile(&file);
    EXPECT_EQ(file, (HANDLE)NULL);
    CloseFile(&file);   /* a null handle is left alone */
    EXPECT_EQ(file, (HANDLE)NULL);

    size_t shown = boxes.boxes.size();
    ShowErrorBoxes = 0;
    EXPECT_EQ(OpenFileForRead(missing.c_str()), (HANDLE)NULL);
    ShowErrorBoxes = 1;
    EXPECT_EQ(boxes.boxes.size(), shown);
}

TEST(Files, WritesAndEmptySizes)
{
    BoxRecorder boxes;
    ScratchDirectory dir("write");
    HANDLE file = CreateFileForWrite((dir + "out.txt").c_str());
    ASSERT_TRUE(file != NULL);
    EXPECT_TRUE(WriteToFile(file, "hello", 5));
    CloseFile(&file);
    EXPECT_EQ(ReadWholeFile(dir + "out.txt"), "hello");

    /* A read-only handle cannot be written: reported, 0. */
    file = OpenFileForRead((dir + "out.txt").c_str());
    EXPECT_FALSE(WriteToFile(file, "x", 1));
    EXPECT_EQ(boxes.LastText(), "Unable to write information to a file.");
    CloseFile(&file);

    WriteWholeFile(dir + "empty.txt", "");
    file = OpenFileForRead((dir + "empty.txt").c_str());
    size_t shown = boxes.boxes.size();
    EXPECT_EQ(GetSizeOfFile(file), 0u);
    EXPECT_EQ(boxes.boxes.size(), shown);
    CloseFile(&file);
}

static const char testKey[] = "SOFTWARE\\Tinfoil Tests\\Deeper\\Key";

TEST(Registry, ReadAndWriteStrings)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, testKey);
    char buffer[10] = "untouched";
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, testKey, "Value", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "untouched");

    EXPECT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, testKey, "Value", "Yes", 4));
    EXPECT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, testKey, "Value", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "Yes");
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, testKey, "Other", buffer, sizeof(buffer)));

    /* Larger than the buffer: a failure, and the buffer stays as it was. */
    EXPECT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, testKey, "Long", "0123456789ABC", 14));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, testKey, "Long", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "Yes");

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, testKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tinfoil Tests\\Deeper");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tinfoil Tests");
}

TEST(MessageBoxes, TheDoorPassesEverythingToTheHook)
{
    BoxRecorder boxes;
    boxes.Answer(IDNO);
    EXPECT_EQ(ShowMessageBox((HWND)0, "\xBFSeguro?", "Configuraci\xF3n", MB_YESNO | MB_ICONQUESTION), IDNO);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "\xBFSeguro?");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)(MB_YESNO | MB_ICONQUESTION));
    /* Compiled text reaches the door as Windows-1252 bytes. */
    EXPECT_EQ(std::string("¿Seguro?"), std::string("\xBFSeguro?"));
}

TEST(Bitmaps, RowAndTableSizes)
{
    EXPECT_EQ(BitmapRowSize(640, 8), 640);
    EXPECT_EQ(BitmapRowSize(641, 8), 644);
    EXPECT_EQ(BitmapRowSize(641, 24), 1924);
    EXPECT_EQ(BitmapRowSize(33, 1), 8);
    EXPECT_EQ(BitmapRowSize(5, 4), 4);
    BITMAPINFOHEADER header = {};
    header.biBitCount = 8;
    header.biClrUsed = 16;
    LONG count = BitmapColourCount(&header);
    EXPECT_EQ(count, 16);
    EXPECT_EQ(BitmapColourTableSize(&header, count), 64);
    header.biBitCount = 24;
    header.biClrUsed = 0;
    EXPECT_EQ(BitmapColourTableSize(&header, BitmapColourCount(&header)), 0);
}
