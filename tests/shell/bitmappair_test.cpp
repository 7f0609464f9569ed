/* Outfitter's bitmap loader: sizes of rows and tables, the grey copy, the
 * depths it refuses, and headers that cannot be trusted. */
#include "setup/shell/shell.h"
#include "tests/support/testsupport.h"
#include <gtest/gtest.h>
#include <string>

/* A bitmap file: file header, information header, colour table, then rows
 * filled with one repeating pixel value. */
static std::string BitmapFile(LONG width, LONG height, WORD bits, DWORD coloursUsed, const std::string &pixel,
                              DWORD compression = BI_RGB)
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = bits;
    info.biCompression = compression;
    info.biClrUsed = coloursUsed;
    LONG colours = coloursUsed ? (LONG)coloursUsed : (bits <= 8 ? 1L << bits : 0);
    std::string table((size_t)(bits <= 8 ? 4 * colours : 0), '\x40');
    LONG rowSize = BitmapRowSize(width, bits);
    std::string row;
    while ((LONG)row.size() < rowSize)
        row += pixel;
    row.resize((size_t)rowSize);
    std::string rows;
    for (LONG i = 0; i < height; i++)
        rows += row;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = (DWORD)(sizeof(file) + sizeof(info) + table.size());
    file.bfSize = (DWORD)(file.bfOffBits + rows.size());
    return std::string((const char *)&file, sizeof(file)) + std::string((const char *)&info, sizeof(info)) +
           table + rows;
}

struct BitmapPair : ::testing::Test {
    ScratchDirectory scratch{ "bitmappair" };
    BitmapImage primary = {}, secondary = {};
    BoxRecorder boxes;
    void SetUp() override
    {
        RunMode = RUN_NORMAL;
        lowColour = 0;
        mainWindow = NULL;
    }
    void TearDown() override
    {
        FreeBackground(&primary);
        FreeBackground(&secondary);
        RunMode = RUN_NORMAL;
    }
    int Load(const std::string &bytes)
    {
        std::string path = scratch + "picture.bmp";
        WriteWholeFile(path, bytes);
        return LoadBitmapPair(path.c_str(), &primary, &secondary);
    }
};

TEST_F(BitmapPair, RowSizesRoundUpToFourBytes)
{
    EXPECT_EQ(BitmapRowSize(640, 8), 640);
    EXPECT_EQ(BitmapRowSize(641, 8), 644);
    EXPECT_EQ(BitmapRowSize(641, 24), 1924);
    EXPECT_EQ(BitmapRowSize(33, 1), 8);
    EXPECT_EQ(BitmapRowSize(5, 4), 4);

    ASSERT_EQ(Load(BitmapFile(641, 3, 24, 0, std::string("\x0A\x14\x1F", 3))), 1);
    EXPECT_EQ(primary.imageSize, 1924 * 3);
    EXPECT_TRUE(primary.palette == NULL);
    FreeBackground(&primary);
    FreeBackground(&secondary);
    ASSERT_EQ(Load(BitmapFile(33, 2, 1, 0, std::string("\xAA"))), 1);
    EXPECT_EQ(primary.imageSize, 16);
}

TEST_F(BitmapPair, TheSecondCopyTurnsGreyWhileInstalling)
{
    /* Blue 10, green 20, red 31: grey (10 + 20 + 31) / 3 = 20. */
    ASSERT_EQ(Load(BitmapFile(641, 2, 24, 0, std::string("\x0A\x14\x1F", 3))), 1);
    const BYTE *grey = secondary.pixels + 1924 + 640 * 3;   /* last pixel of the second row */
    EXPECT_EQ(grey[0], 20);
    EXPECT_EQ(grey[1], 20);
    EXPECT_EQ(grey[2], 20);
    EXPECT_EQ(primary.pixels[0], 10);
    EXPECT_EQ(primary.pixels[2], 31);
    /* The padding after each row is left alone. */
    EXPECT_EQ(secondary.pixels[1923], primary.pixels[1923]);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(BitmapPair, UninstallingStartsInColourAndTurnsGrey)
{
    RunMode = RUN_UNINSTALL;
    ASSERT_EQ(Load(BitmapFile(4, 2, 24, 0, std::string("\x0A\x14\x1F", 3))), 1);
    EXPECT_EQ(primary.pixels[0], 20);
    EXPECT_EQ(secondary.pixels[0], 10);
}

TEST_F(BitmapPair, PaletteOfTheColoursUsed)
{
    ASSERT_EQ(Load(BitmapFile(16, 2, 8, 16, std::string("\x03"))), 1);
    EXPECT_EQ(primary.colourCount, 16);
    EXPECT_EQ((BYTE *)primary.pixels - (BYTE *)primary.colours, 64);
    ASSERT_TRUE(primary.palette != NULL);
    ASSERT_TRUE(secondary.palette != NULL);
    WORD entries = 0;
    GetObjectA(primary.palette, sizeof(entries), &entries);
    EXPECT_EQ(entries, 16);
    /* The colours of a palette picture stay as they are. */
    EXPECT_EQ(secondary.pixels[0], 3);
}

TEST_F(BitmapPair, SixteenBitsCannotTurnGrey)
{
    ASSERT_EQ(Load(BitmapFile(4, 2, 16, 0, std::string("\x34\x12", 2))), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "No se puede realizar un bitmap monocromo, el bitmap no tiene paleta o 24 bits por pixel.");
    EXPECT_EQ(boxes.boxes[0].caption, "Configuración");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)MB_ICONERROR);
    EXPECT_EQ(secondary.pixels[0], 0x34);
    EXPECT_EQ(secondary.pixels[1], 0x12);
}

TEST_F(BitmapPair, NotABitmapLoadsNothingSilently)
{
    std::string bytes = BitmapFile(4, 2, 24, 0, "x");
    bytes[0] = 'X';
    EXPECT_EQ(Load(bytes), 0);
    EXPECT_TRUE(primary.header == NULL);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(BitmapPair, HeadersThatCannotBeTrustedAreRefused)
{
    const std::string pixel("\x01\x02\x03", 3);
    EXPECT_EQ(Load(BitmapFile(4, 2, 24, 0, pixel, BI_RLE8)), 0);
    /* Sizes that would overflow the block size. */
    std::string huge = BitmapFile(4, 2, 24, 0, pixel);
    ((BITMAPINFOHEADER *)&huge[14])->biWidth = 0x40000000;
    EXPECT_EQ(Load(huge), 0);
    std::string negative = BitmapFile(4, 2, 24, 0, pixel);
    ((BITMAPINFOHEADER *)&negative[14])->biHeight = -2;
    EXPECT_EQ(Load(negative), 0);
    /* More colours than the depth has. */
    std::string colours = BitmapFile(4, 2, 4, 16, pixel);
    ((BITMAPINFOHEADER *)&colours[14])->biClrUsed = 70000;
    EXPECT_EQ(Load(colours), 0);
    EXPECT_TRUE(primary.header == NULL);
    EXPECT_TRUE(secondary.header == NULL);
}

TEST_F(BitmapPair, AShortFileFreesWhatItAllocated)
{
    std::string bytes = BitmapFile(64, 64, 24, 0, std::string("\x01\x02\x03", 3));
    bytes.resize(bytes.size() / 2);
    ShowErrorBoxes = 0;
    EXPECT_EQ(Load(bytes), 0);
    ShowErrorBoxes = 1;
    EXPECT_TRUE(primary.header == NULL);
}
