/* The progress display over a real main window: rows due, bar position,
 * percentage and the colour coming back into the grey picture. */
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "tests/support/testsupport.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string.h>

enum { WIDTH = 5, HEIGHT = 480 };

/* A 24-bit picture whose every pixel of a row holds the row number (colour)
 * or 7 (grey), so that a revealed row can be told from a grey one. */
static void MakePicture(BitmapImage *image, int bits, int colour)
{
    LONG rowSize = BitmapRowSize(WIDTH, bits);
    LONG table = bits <= 8 ? 4 * 256 : 0;
    BYTE *block = (BYTE *)AllocateMemory((LONG)sizeof(BITMAPINFOHEADER) + table + rowSize * HEIGHT, 0);
    BITMAPINFOHEADER *header = (BITMAPINFOHEADER *)block;
    header->biSize = sizeof(*header);
    header->biWidth = WIDTH;
    header->biHeight = HEIGHT;
    header->biPlanes = 1;
    header->biBitCount = (WORD)bits;
    image->header = header;
    image->colours = (RGBQUAD *)(block + sizeof(*header));
    image->pixels = block + sizeof(*header) + table;
    image->imageSize = rowSize * HEIGHT;
    image->colourCount = bits <= 8 ? 256 : 0;
    for (LONG row = 0; row < HEIGHT; row++)
        memset(image->pixels + row * rowSize, colour ? (int)(row % 200) + 10 : 7, (size_t)rowSize);
}

static int RowIsColoured(LONG row)
{
    return displayedBackground.pixels[row * BitmapRowSize(WIDTH, 24)] != 7;
}

static LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Progress : ::testing::Test {
    void SetUp() override
    {
        appInstance = GetModuleHandleA(NULL);
        InitCommonControls();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = appInstance;
        windowClass.lpszClassName = "ProgressTestWindow";
        RegisterClassA(&windowClass);
        mainWindow = CreateWindowExA(0, "ProgressTestWindow", "", WS_POPUP, 0, 0, 640, 480, NULL, NULL,
                                     appInstance, NULL);
        MakePicture(&primaryBackground, 24, 1);
        MakePicture(&displayedBackground, 24, 0);
        bytesTotal = 96000000;
        bytesCopied = 0;
        ResetProgress();
    }
    void TearDown() override
    {
        CloseProgress();
        FreeBackground(&primaryBackground);
        FreeBackground(&displayedBackground);
        DestroyWindow(mainWindow);
        mainWindow = NULL;
    }
    /* Each step comes late enough to be drawn at once. */
    void StepAt(LONG bytes)
    {
        Sleep(PROGRESS_PACE + 1);
        bytesCopied = bytes;
        ProgressStep();
    }
    LRESULT BarPosition() { return SendMessageA(progressBar, PBM_GETPOS, 0, 0); }
};

TEST_F(Progress, RowsFollowTheBytesCopied)
{
    ASSERT_EQ(pictureRows, HEIGHT);
    ASSERT_EQ(OpenProgress(), 1);
    ASSERT_TRUE(progressBar != NULL);
    EXPECT_EQ(SendMessageA(progressBar, PBM_GETRANGE, FALSE, 0), HEIGHT);
    EXPECT_STREQ(percentageText, "");

    StepAt(199999);
    EXPECT_EQ(revealedRows, 0);
    EXPECT_FALSE(RowIsColoured(0));

    /* 96,000,000 / 480: the first row is due at 200,000 bytes. */
    StepAt(200000);
    EXPECT_EQ(revealedRows, 1);
    EXPECT_TRUE(RowIsColoured(0));
    EXPECT_FALSE(RowIsColoured(1));
    EXPECT_EQ(BarPosition(), 1);

    /* Halfway: the lower half of the picture (the first rows in memory). */
    StepAt(48000000);
    EXPECT_EQ(revealedRows, 240);
    EXPECT_EQ(BarPosition(), 240);
    EXPECT_STREQ(percentageText, "50%");
    EXPECT_TRUE(RowIsColoured(239));
    EXPECT_FALSE(RowIsColoured(240));
    for (LONG row = 0; row < 240; row++) {
        LONG at = row * BitmapRowSize(WIDTH, 24);
        ASSERT_EQ(memcmp(displayedBackground.pixels + at, primaryBackground.pixels + at, WIDTH * 3), 0) << row;
    }

    /* A step that makes no new row due leaves everything as it was. */
    StepAt(48100000);
    EXPECT_EQ(revealedRows, 240);
    EXPECT_STREQ(percentageText, "50%");
}

TEST_F(Progress, ABigBlockRevealsSeveralRowsAtOnce)
{
    OpenProgress();
    StepAt(200000 * 10);
    EXPECT_EQ(revealedRows, 10);
    for (LONG row = 0; row < 10; row++)
        EXPECT_TRUE(RowIsColoured(row)) << "row " << row;
    EXPECT_EQ(BarPosition(), 10);
}

TEST_F(Progress, ACopyThatOutrunsItsTotalStopsAtTheTopRow)
{
    OpenProgress();
    StepAt(96000000);
    EXPECT_EQ(revealedRows, HEIGHT);
    EXPECT_STREQ(percentageText, "100%");
    /* More bytes than announced must not reveal rows past the picture. */
    StepAt(120000000);
    EXPECT_EQ(revealedRows, HEIGHT);
    EXPECT_STREQ(percentageText, "100%");
}

TEST_F(Progress, APalettePictureKeepsItsColoursAndTheBarMoves)
{
    FreeBackground(&primaryBackground);
    FreeBackground(&displayedBackground);
    MakePicture(&primaryBackground, 8, 1);
    MakePicture(&displayedBackground, 8, 0);
    ResetProgress();
    OpenProgress();
    StepAt(48000000);
    EXPECT_EQ(revealedRows, 0);
    EXPECT_EQ(BarPosition(), 240);
    EXPECT_STREQ(percentageText, "50%");
    StepAt(72000000);
    EXPECT_EQ(BarPosition(), 360);
    EXPECT_STREQ(percentageText, "75%");
    EXPECT_EQ(displayedBackground.pixels[0], 7);
}

TEST_F(Progress, WithoutAPictureNothingIsRead)
{
    FreeBackground(&primaryBackground);
    FreeBackground(&displayedBackground);
    ResetProgress();
    EXPECT_EQ(pictureRows, 0);
    OpenProgress();
    StepAt(48000000);
    EXPECT_EQ(revealedRows, 0);
}
