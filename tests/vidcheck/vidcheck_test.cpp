/* Vidcheck's pieces that need no DirectDraw, its bitmap loader, its registry
 * record and its multimedia timer, against Wine's real system. */
#include "tests/support/testsupport.h"
#include "vidcheck/vidcheck.h"
#include <gtest/gtest.h>
#include <string.h>

/* ---- Mode choice ---------------------------------------------------------- */

/* Offers the depths in order as the enumeration would; returns the choice and
 * how many modes were offered before the callback asked to stop. */
static int ChooseFromModes(const std::vector<int> &depths, size_t *offered)
{
    int chosen = 0;
    *offered = 0;
    for (int depth : depths) {
        ++*offered;
        if (!ChooseModeDepth(&chosen, depth))
            break;
    }
    return chosen;
}

TEST(ModeChoice, FifteenBitsAreNotReplacedBySixteen)
{
    size_t offered;
    EXPECT_EQ(ChooseFromModes({ 8, 32, 15, 16 }, &offered), 15);
    EXPECT_EQ(offered, 4u);
}

TEST(ModeChoice, SixteenBitsStopTheEnumerationAtTheNextMode)
{
    size_t offered;
    EXPECT_EQ(ChooseFromModes({ 16, 15, 32, 8 }, &offered), 16);
    EXPECT_EQ(offered, 2u);
}

TEST(ModeChoice, OnlyEightBitModesGiveNone)
{
    size_t offered;
    EXPECT_EQ(ChooseFromModes({ 8, 8 }, &offered), 0);
    EXPECT_EQ(ChooseFromModes({}, &offered), 0);
}

TEST(ModeChoice, DeeperModeOnlyWhenNothingElse)
{
    size_t offered;
    EXPECT_EQ(ChooseFromModes({ 32, 24 }, &offered), 32);
    EXPECT_EQ(ChooseFromModes({ 32, 16, 8 }, &offered), 16);   /* Wine's virtual desktop */
    EXPECT_EQ(offered, 3u);
}

/* ---- Pixel formats and the picture copy ----------------------------------- */

static PixelFormat Format(DWORD red, DWORD green, DWORD blue, DWORD bits)
{
    PixelFormat format;
    EXPECT_TRUE(MakePixelFormat(&format, red, green, blue, bits));
    return format;
}

TEST(PixelFormat, ShiftsOf565And555)
{
    PixelFormat f = Format(0xF800, 0x07E0, 0x001F, 16);
    EXPECT_EQ(f.bytesPerPixel, 2);
    EXPECT_EQ(f.left[0], 11); EXPECT_EQ(f.right[0], 3);
    EXPECT_EQ(f.left[1], 5);  EXPECT_EQ(f.right[1], 2);
    EXPECT_EQ(f.left[2], 0);  EXPECT_EQ(f.right[2], 3);
    f = Format(0x7C00, 0x03E0, 0x001F, 16);
    EXPECT_EQ(f.left[0], 10); EXPECT_EQ(f.right[0], 3);
    EXPECT_EQ(f.left[1], 5);  EXPECT_EQ(f.right[1], 3);
    EXPECT_EQ(f.left[2], 0);  EXPECT_EQ(f.right[2], 3);
}

TEST(PixelFormat, DeepModesKeepEightBitChannels)
{
    PixelFormat f = Format(0xFF0000, 0x00FF00, 0x0000FF, 32);
    EXPECT_EQ(f.bytesPerPixel, 4);
    EXPECT_EQ(f.left[0], 16); EXPECT_EQ(f.right[0], 0);
    EXPECT_EQ(f.left[2], 0);  EXPECT_EQ(f.right[2], 0);
    EXPECT_EQ(ConvertPixel(&f, 0x12, 0x34, 0x56), 0x123456u);
    PixelFormat unused;
    EXPECT_FALSE(MakePixelFormat(&unused, 0, 0, 0, 8));
}

TEST(PixelFormat, WhiteAndMixedPixels)
{
    PixelFormat f565 = Format(0xF800, 0x07E0, 0x001F, 16);
    PixelFormat f555 = Format(0x7C00, 0x03E0, 0x001F, 16);
    EXPECT_EQ(ConvertPixel(&f565, 255, 255, 255), 0xFFFFu);
    EXPECT_EQ(ConvertPixel(&f555, 255, 255, 255), 0x7FFFu);
    EXPECT_EQ(ConvertPixel(&f565, 0x80, 0x40, 0x20), 0x8204u);   /* 10000 010000 00100 */
    EXPECT_EQ(ConvertPixel(&f555, 0x80, 0x40, 0x20), 0x4104u);   /* 10000 01000 00100 */
}

/* A 3 x 2 picture, bottom row first, rows padded to 12 bytes: the surface's
 * first row must come from the last row in memory. */
static std::string SmallPicture()
{
    const BYTE bytes[24] = {
        /* bottom row: blue, green, red */
        0, 0, 255,  0, 255, 0,  255, 0, 0,  0xEE, 0xEE, 0xEE,
        /* top row */
        255, 255, 255,  0, 0, 0,  0x20, 0x40, 0x80,  0xEE, 0xEE, 0xEE,
    };
    return std::string((const char *)bytes, sizeof(bytes));
}

static WORD Pixel16(const std::vector<BYTE> &surface, LONG pitch, int x, int y)
{
    return (WORD)(surface[y * pitch + 2 * x] | surface[y * pitch + 2 * x + 1] << 8);
}

TEST(PictureCopy, SixteenBitSurfaceTopRowFirst)
{
    PixelFormat f = Format(0xF800, 0x07E0, 0x001F, 16);
    std::string picture = SmallPicture();
    const LONG pitch = 8;   /* 3 pixels and 2 bytes the copy must leave alone */
    std::vector<BYTE> surface(pitch * 2, 0xAA);
    CopyPictureRows(surface.data(), pitch, 3, 2, &f, (const BYTE *)picture.data(), 3, 2);
    EXPECT_EQ(Pixel16(surface, pitch, 0, 0), 0xFFFF);
    EXPECT_EQ(Pixel16(surface, pitch, 1, 0), 0x0000);
    EXPECT_EQ(Pixel16(surface, pitch, 2, 0), 0x8204);
    EXPECT_EQ(Pixel16(surface, pitch, 0, 1), 0xF800);   /* red */
    EXPECT_EQ(Pixel16(surface, pitch, 1, 1), 0x07E0);   /* green */
    EXPECT_EQ(Pixel16(surface, pitch, 2, 1), 0x001F);   /* blue */
    EXPECT_EQ(surface[6], 0xAA);
    EXPECT_EQ(surface[7], 0xAA);
    EXPECT_EQ(surface[pitch + 6], 0xAA);
}

TEST(PictureCopy, ThirtyTwoBitSurface)
{
    PixelFormat f = Format(0xFF0000, 0x00FF00, 0x0000FF, 32);
    std::string picture = SmallPicture();
    std::vector<BYTE> surface(12 * 2, 0xAA);
    CopyPictureRows(surface.data(), 12, 3, 2, &f, (const BYTE *)picture.data(), 3, 2);
    DWORD first, last;
    memcpy(&first, &surface[0], 4);
    memcpy(&last, &surface[12 + 8], 4);
    EXPECT_EQ(first, 0x00FFFFFFu);
    EXPECT_EQ(last, 0x000000FFu);
}

TEST(PictureCopy, PictureLargerThanTheSurfaceIsCut)
{
    PixelFormat f = Format(0xF800, 0x07E0, 0x001F, 16);
    std::string picture = SmallPicture();
    std::vector<BYTE> surface(5, 0xAA);   /* one 2-byte pixel, then guard bytes */
    CopyPictureRows(surface.data(), 2, 1, 1, &f, (const BYTE *)picture.data(), 3, 2);
    EXPECT_EQ(Pixel16(surface, 2, 0, 0), 0xFFFF);
    EXPECT_EQ(surface[2], 0xAA);
    EXPECT_EQ(surface[4], 0xAA);
}

TEST(PictureCopy, ClearingTouchesOnlyTheRectangle)
{
    std::vector<BYTE> surface(4 * 8, 0xAA);   /* 4 rows of 4 16-bit pixels */
    RECT area = { 1, 1, 3, 3 };
    ClearSurfaceRect(surface.data(), 8, 2, &area);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) {
            bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
            EXPECT_EQ(Pixel16(surface, 8, x, y), inside ? 0 : 0xAAAA) << x << "," << y;
        }
}

/* ---- Decisions ------------------------------------------------------------- */

TEST(SlowAdapter, WarnsBelowOneHundredFramesOnly)
{
    EXPECT_TRUE(ShouldWarnSlowAdapter(99));
    EXPECT_TRUE(ShouldWarnSlowAdapter(1));
    EXPECT_FALSE(ShouldWarnSlowAdapter(100));
    EXPECT_FALSE(ShouldWarnSlowAdapter(0));
}

TEST(TickTimer, ResolutionChoice)
{
    EXPECT_EQ(TimerResolution(1, 1000000), 5u);
    EXPECT_EQ(TimerResolution(1, 3), 3u);
    EXPECT_EQ(TimerResolution(10, 1000), 10u);
}

TEST(TickTimer, LoopEndsWithoutATimer)
{
    EXPECT_EQ(TestTick(1, 3, 1600), 3u);          /* the timer decides while it runs */
    EXPECT_EQ(TestTick(0, 0, 499), 0u);           /* no timer: half seconds elapsed */
    EXPECT_EQ(TestTick(0, 0, 1600), 3u);
    EXPECT_EQ(TestTick(0, 0, 5000), 10u);
    EXPECT_EQ(TestTick(1, 4, 10000), 10u);        /* a timer that stopped ticking */
}

static volatile LONG callbackCalls;
static void CALLBACK CountCalls(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    InterlockedIncrement(&callbackCalls);
}

TEST(TickTimer, TicksOnItsOwnThreadAndStops)
{
    TIMECAPS caps;
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof(caps)), (MMRESULT)TIMERR_NOERROR);
    UINT resolution = 0;
    ResetTickCount();
    ASSERT_TRUE(StartTickTimer(&resolution, 20, CountCalls));
    EXPECT_EQ(resolution, TimerResolution(caps.wPeriodMin, caps.wPeriodMax));
    DWORD start = GetTickCount();
    while (ReadTickCount() < 3 && GetTickCount() - start < 2000)
        ;   /* a busy wait, as the drawing loop does: the count must be read fresh */
    EXPECT_GE(ReadTickCount(), 3u);
    StopTickTimer(&resolution);
    EXPECT_EQ(resolution, 0u);
    EXPECT_GE(callbackCalls, 3);
    DWORD stopped = ReadTickCount();
    Sleep(100);
    EXPECT_EQ(ReadTickCount(), stopped);
}

/* ---- The "Display Tested" record ------------------------------------------ */

static const char recordKey[] = "SOFTWARE\\Vornhollow Entertainment";

struct DisplayRecord : ::testing::Test {
    bool keyExisted = false;
    void SetUp() override
    {
        HKEY key;
        keyExisted = RegOpenKeyExA(HKEY_LOCAL_MACHINE, recordKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (keyExisted)
            RegCloseKey(key);
        DeleteValue();
    }
    void TearDown() override
    {
        DeleteValue();
        if (!keyExisted)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, recordKey);
    }
    static void DeleteValue()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, recordKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Display Tested");
            RegCloseKey(key);
        }
    }
    static void SetValue(const char *text, DWORD count)
    {
        WriteRegistryString(HKEY_LOCAL_MACHINE, recordKey, "Display Tested", text, count);
    }
    /* The stored bytes, and their count. */
    static std::string Stored(DWORD *type)
    {
        char data[64];
        DWORD size = sizeof(data);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, recordKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        LONG status = RegQueryValueExA(key, "Display Tested", NULL, type, (BYTE *)data, &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? std::string(data, size) : "<no value>";
    }
};

TEST_F(DisplayRecord, FirstRunWritesYesWithItsZero)
{
    EXPECT_FALSE(IsDisplayTested());
    DWORD type = 0;
    EXPECT_EQ(Stored(&type), std::string("Yes", 4));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_TRUE(IsDisplayTested());
}

TEST_F(DisplayRecord, OnlyExactYesCounts)
{
    const char *untested[] = { "yes", "Yes ", "YES", "Y", "Yes, tested on a long day" };
    for (const char *text : untested) {
        SCOPED_TRACE(text);
        SetValue(text, (DWORD)strlen(text) + 1);
        EXPECT_FALSE(IsDisplayTested());
        DWORD type = 0;
        EXPECT_EQ(Stored(&type), std::string("Yes", 4));
    }
}

TEST_F(DisplayRecord, YesStoredWithoutItsZeroCounts)
{
    SetValue("Yes", 3);
    EXPECT_TRUE(IsDisplayTested());
}

/* ---- LoadBitmapFile ---------------------------------------------------------- */

static std::string BitmapFile(LONG width, LONG height, WORD bits, DWORD coloursUsed = 0,
                              DWORD compression = BI_RGB, bool truncate = false)
{
    BITMAPINFOHEADER info;
    ZeroMemory(&info, sizeof(info));
    info.biSize = 40;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = bits;
    info.biCompression = compression;
    info.biClrUsed = coloursUsed;
    LONG colours = coloursUsed ? (LONG)coloursUsed : (bits <= 8 ? 1L << bits : 0);
    LONG table = bits <= 8 ? 4 * colours : 0;
    /* A header that claims a huge picture gets no pixels at all. */
    LONGLONG claimed = ((LONGLONG)width * bits + 31) / 32 * 4 * height;
    LONG rows = claimed > 0 && claimed < (1 << 24) ? (LONG)claimed : 0;
    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof(file));
    file.bfType = 0x4D42;
    file.bfOffBits = 14 + 40 + table;
    file.bfSize = file.bfOffBits + rows;
    std::string bytes((const char *)&file, 14);
    bytes.append((const char *)&info, 40);
    for (LONG i = 0; i < table; i++)
        bytes.push_back((char)(i * 7));
    for (LONG i = 0; i < rows; i++)
        bytes.push_back((char)(i * 13));
    if (truncate)
        bytes.resize(bytes.size() - 10);
    return bytes;
}

struct BitmapLoad : ::testing::Test {
    ScratchDirectory scratch{ "vidbmp" };
    BitmapImage image;
    void SetUp() override { programCaption = "Réglage"; }
    void TearDown() override
    {
        FreeMemory(image.header);
        if (image.palette)
            DeleteObject(image.palette);
    }
    int Load(const std::string &bytes)
    {
        std::string path = scratch + "pic.bmp";
        WriteWholeFile(path, bytes);
        return LoadBitmapFile(path.c_str(), &image);
    }
    void ExpectEmpty()
    {
        EXPECT_EQ(image.header, (BITMAPINFOHEADER *)NULL);
        EXPECT_EQ(image.pixels, (BYTE *)NULL);
        EXPECT_EQ(image.palette, (HPALETTE)NULL);
    }
};

TEST_F(BitmapLoad, NotBmIsRefusedWithItsMessage)
{
    BoxRecorder boxes;
    std::string bytes = BitmapFile(4, 4, 24);
    bytes[0] = 'M';
    bytes[1] = 'B';
    EXPECT_EQ(Load(bytes), 0);
    ExpectEmpty();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "This is not a valid Windows bitmap file.");
    EXPECT_EQ(boxes.boxes[0].caption, "R\xE9glage");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)(MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST));
}

TEST_F(BitmapLoad, MissingFileIsReportedByName)
{
    BoxRecorder boxes;
    std::string path = scratch + "logo.bmp";
    EXPECT_EQ(LoadBitmapFile(path.c_str(), &image), 0);
    ExpectEmpty();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not open/read from a file that was asked for.\n\n"
                                   "The file is called " + path);
}

TEST_F(BitmapLoad, RowSizes)
{
    struct { LONG width; WORD bits; LONG rowSize; } rows[] = {
        { 640, 8, 640 }, { 641, 8, 644 }, { 641, 24, 1924 }, { 33, 1, 8 }, { 5, 4, 4 }, { 97, 24, 292 },
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.width);
        SCOPED_TRACE(row.bits);
        EXPECT_EQ(Load(BitmapFile(row.width, 3, row.bits)), 1);
        EXPECT_EQ(image.imageSize, row.rowSize * 3);
        EXPECT_EQ(image.pixels[0], 0);
        EXPECT_EQ(image.pixels[image.imageSize - 1], (BYTE)((image.imageSize - 1) * 13));
        TearDown();
    }
    image.header = NULL;
    image.palette = NULL;
}

TEST_F(BitmapLoad, ColoursUsedSetsTableAndPalette)
{
    EXPECT_EQ(Load(BitmapFile(8, 2, 8, 16)), 1);
    EXPECT_EQ(image.colourCount, 16);
    EXPECT_EQ((BYTE *)image.pixels - (BYTE *)image.header, 40 + 64);
    EXPECT_EQ(image.colours[1].rgbBlue, 28);   /* table byte 4 */
    ASSERT_TRUE(image.palette != NULL);
    WORD entries = 0;
    GetObjectA(image.palette, sizeof(entries), &entries);
    EXPECT_EQ(entries, 16);
}

TEST_F(BitmapLoad, TwentyFourBitsHaveNoPalette)
{
    EXPECT_EQ(Load(BitmapFile(97, 61, 24)), 1);
    EXPECT_EQ(image.palette, (HPALETTE)NULL);
    EXPECT_EQ(image.pixels, (BYTE *)image.header + 40);
    EXPECT_EQ(image.header->biWidth, 97);
}

TEST_F(BitmapLoad, ShortFileLoadsNothing)
{
    BoxRecorder boxes;
    EXPECT_EQ(Load(BitmapFile(16, 16, 24, 0, BI_RGB, true)), 0);
    ExpectEmpty();
    EXPECT_EQ(boxes.LastText(), "File reading problem, not enough information was read.");
}

TEST_F(BitmapLoad, HeadersItCannotLayOutAreRefused)
{
    BoxRecorder boxes;
    EXPECT_EQ(Load(BitmapFile(16, -16, 24)), 0);                 /* top-down */
    EXPECT_EQ(Load(BitmapFile(16, 16, 8, 0, BI_RLE8)), 0);       /* compressed */
    EXPECT_EQ(Load(BitmapFile(16, 16, 7)), 0);                   /* no such depth */
    EXPECT_EQ(Load(BitmapFile(0x7FFFFFF, 0x7FFFFFF, 24)), 0);    /* size overflows */
    EXPECT_EQ(Load(BitmapFile(16, 16, 4, 300)), 0);              /* table beyond 4 bits */
    ExpectEmpty();
    ASSERT_EQ(boxes.boxes.size(), 5u);
    for (auto &box : boxes.boxes)
        EXPECT_EQ(box.text, "This is not a valid Windows bitmap file.");
}

TEST_F(BitmapLoad, OnlyFittingTwentyFourBitPicturesAreDrawn)
{
    EXPECT_FALSE(IsUsableLogo(&image, 640, 480));   /* nothing loaded yet */
    ASSERT_EQ(Load(BitmapFile(640, 480, 24)), 1);
    EXPECT_TRUE(IsUsableLogo(&image, 640, 480));
    EXPECT_FALSE(IsUsableLogo(&image, 630, 470));
    TearDown();
    ASSERT_EQ(Load(BitmapFile(64, 48, 8)), 1);
    EXPECT_FALSE(IsUsableLogo(&image, 640, 480));
}
