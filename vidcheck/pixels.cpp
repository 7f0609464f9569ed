/* Mode choice, pixel formats, picture copies and the small decisions of the
 * display test: everything that works on plain numbers and memory, so that
 * it can be checked without a display. */
#include "vidcheck/vidcheck.h"

/* One step of the mode enumeration: 1 to go on, 0 to stop. The first mode
 * of 15 bits or more is taken; a 15- or 16-bit mode replaces a deeper one;
 * once 16 bits are chosen the enumeration stops at the next mode. */
int ChooseModeDepth(int *chosen, int bitsPerPixel)
{
    if (*chosen == 16)
        return 0;
    if (bitsPerPixel < 15)
        return 1;
    if (*chosen < 15)
        *chosen = bitsPerPixel;
    if (bitsPerPixel <= 16 && *chosen > 16)
        *chosen = bitsPerPixel;
    return 1;
}

/* Left shift: the zero bits below the mask. Right shift: what an 8-bit value
 * loses to fit the channel, 3 for 5 bits, 2 for 6, none for 8. */
void ChannelShifts(DWORD mask, int *left, int *right)
{
    int shift = 0;
    while (shift < 32 && mask && !(mask & (1UL << shift)))
        shift++;
    int width = 0;
    DWORD rest = mask ? mask >> shift : 0;
    while (rest & 1) {
        width++;
        rest >>= 1;
    }
    *left = mask ? shift : 0;
    *right = width >= 8 ? 0 : 8 - width;
}

int MakePixelFormat(PixelFormat *format, DWORD redMask, DWORD greenMask, DWORD blueMask,
                    DWORD bitsPerPixel)
{
    if (bitsPerPixel == 15 || bitsPerPixel == 16)
        format->bytesPerPixel = 2;
    else if (bitsPerPixel == 24)
        format->bytesPerPixel = 3;
    else if (bitsPerPixel == 32)
        format->bytesPerPixel = 4;
    else
        return 0;
    ChannelShifts(redMask, &format->left[0], &format->right[0]);
    ChannelShifts(greenMask, &format->left[1], &format->right[1]);
    ChannelShifts(blueMask, &format->left[2], &format->right[2]);
    return 1;
}

DWORD ConvertPixel(const PixelFormat *format, BYTE red, BYTE green, BYTE blue)
{
    return ((DWORD)(red >> format->right[0]) << format->left[0]) |
           ((DWORD)(green >> format->right[1]) << format->left[1]) |
           ((DWORD)(blue >> format->right[2]) << format->left[2]);
}

static void StorePixel(BYTE *to, int bytesPerPixel, DWORD value)
{
    for (int i = 0; i < bytesPerPixel; i++)
        to[i] = (BYTE)(value >> (8 * i));
}

/* A bottom-up 24-bit picture into a top-down surface, cut to the surface so
 * that an oversized picture cannot write past it. */
void CopyPictureRows(BYTE *surface, LONG pitch, LONG surfaceWidth, LONG surfaceHeight,
                     const PixelFormat *format, const BYTE *pixels, LONG width, LONG height)
{
    LONG rowSize = BitmapRowSize(width, 24);
    LONG columns = width < surfaceWidth ? width : surfaceWidth;
    LONG rows = height < surfaceHeight ? height : surfaceHeight;
    const BYTE *sourceRow = pixels + (height - 1) * rowSize;
    BYTE *destinationRow = surface;
    for (LONG y = 0; y < rows; y++) {
        const BYTE *from = sourceRow;
        BYTE *to = destinationRow;
        for (LONG x = 0; x < columns; x++) {
            StorePixel(to, format->bytesPerPixel, ConvertPixel(format, from[2], from[1], from[0]));
            from += 3;
            to += format->bytesPerPixel;
        }
        sourceRow -= rowSize;
        destinationRow += pitch;
    }
}

void ClearSurfaceRect(BYTE *surface, LONG pitch, int bytesPerPixel, const RECT *area)
{
    for (LONG y = area->top; y < area->bottom; y++)
        ZeroMemory(surface + y * pitch + area->left * bytesPerPixel,
                   (SIZE_T)(area->right - area->left) * bytesPerPixel);
}

/* The test reads a picture's size and its pixels as 24-bit rows: anything
 * else, or a picture that does not fit where it is drawn, would have it
 * read or write out of bounds. */
int IsUsableLogo(const BitmapImage *image, LONG maxWidth, LONG maxHeight)
{
    if (!image->header || !image->pixels)
        return 0;
    const BITMAPINFOHEADER *header = image->header;
    return header->biBitCount == 24 && header->biWidth > 0 && header->biHeight > 0 &&
           header->biWidth <= maxWidth && header->biHeight <= maxHeight;
}

/* Fewer than 100 frames in the five seconds; 0 means the test never ran. */
int ShouldWarnSlowAdapter(DWORD frames)
{
    return frames != 0 && frames / 5 < 20;
}

UINT TimerResolution(UINT minimumPeriod, UINT maximumPeriod)
{
    UINT resolution = minimumPeriod > 5 ? minimumPeriod : 5;
    return resolution < maximumPeriod ? resolution : maximumPeriod;
}

/* The tick count the drawing loop goes by: the timer's while it runs. When
 * it could not be started the elapsed time stands in for it, and should it
 * stop ticking the loop still ends after twice the test's length. */
DWORD TestTick(int timerRunning, DWORD timerTicks, DWORD elapsed)
{
    if (elapsed >= gcLongestTest)
        return gcTestTicks;
    return timerRunning ? timerTicks : elapsed / gcTickPeriod;
}
