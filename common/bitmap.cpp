/* What both bitmap loaders derive from a bitmap's information header. */
#include "common/general.h"

LONG BitmapColourCount(const BITMAPINFOHEADER *header)
{
    if (header->biClrUsed)
        return (LONG)header->biClrUsed;
    if (header->biBitCount >= 31)
        return 0;
    return 1L << header->biBitCount;
}

LONG BitmapColourTableSize(const BITMAPINFOHEADER *header, LONG colourCount)
{
    return header->biBitCount <= 8 ? 4 * colourCount : 0;
}

LONG BitmapRowSize(LONG width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

/* A logical palette from a colour table; the request lives only for the call. */
HPALETTE CreateColourTablePalette(const RGBQUAD *colours, LONG count)
{
    LOGPALETTE *request = (LOGPALETTE *)AllocateMemory(4 * count + 8, 0);
    if (!request)
        return NULL;
    request->palVersion = 0x300;
    request->palNumEntries = (WORD)count;
    for (LONG i = 0; i < count; i++) {
        request->palPalEntry[i].peRed = colours[i].rgbRed;
        request->palPalEntry[i].peGreen = colours[i].rgbGreen;
        request->palPalEntry[i].peBlue = colours[i].rgbBlue;
        request->palPalEntry[i].peFlags = 0;
    }
    HPALETTE palette = CreatePalette(request);
    FreeMemory(request);
    return palette;
}
