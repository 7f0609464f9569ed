/* Outfitter's edition of the bitmap loader: the background picture in two
 * copies, one of which is turned grey so that the progress display can bring
 * the colour back row by row. */
#include "setup/shell/shell.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include <string.h>


/* The largest picture accepted: a full 24-bit screen of 4096 x 4096. Anything
 * larger is a damaged header, and its sizes would overflow 32 bits. */
enum { LARGEST_IMAGE = 4096 * 4096 * 4 };

/* Sizes from a header read off the CD; 0 when they cannot describe a sane
 * uncompressed picture. */
static int ReadPictureSizes(const BITMAPINFOHEADER *header, LONG *colourCount, LONG *tableSize,
                            LONG *imageSize)
{
    int bits = header->biBitCount;
    if (header->biCompression != BI_RGB || header->biWidth <= 0 || header->biHeight <= 0)
        return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return 0;
    if (header->biWidth > 4096 || header->biHeight > 4096)
        return 0;
    *colourCount = BitmapColourCount(header);
    if (bits <= 8 && (*colourCount <= 0 || *colourCount > (1L << bits)))
        return 0;
    *tableSize = BitmapColourTableSize(header, *colourCount);
    LONGLONG size = (LONGLONG)BitmapRowSize(header->biWidth, bits) * header->biHeight;
    if (size > LARGEST_IMAGE)
        return 0;
    *imageSize = (LONG)size;
    return 1;
}

static void PointIntoBlock(BitmapImage *image, BYTE *block, LONG tableSize, LONG colourCount, LONG imageSize)
{
    image->header = (BITMAPINFOHEADER *)block;
    image->colours = (RGBQUAD *)(block + sizeof(BITMAPINFOHEADER));
    image->pixels = block + sizeof(BITMAPINFOHEADER) + tableSize;
    image->colourCount = colourCount;
    image->imageSize = imageSize;
    image->palette = NULL;
}

/* Replaces the record's palette by one made from its colour table. */
static void CreateImagePalette(BitmapImage *image)
{
    if (image->palette)
        DeleteObject(image->palette);
    image->palette = CreateColourTablePalette(image->colours, image->colourCount);
    if (!image->palette)
        SetupMessage(Text(TXT_NO_PALETTE), MB_ICONERROR);
}

static int ReadPicture(HANDLE file, BitmapImage *primary, BitmapImage *secondary)
{
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER header;
    LONG colourCount, tableSize, imageSize;
    if (!ReadFromFile(file, &fileHeader, sizeof(fileHeader)) || fileHeader.bfType != 0x4D42)
        return 0;
    if (!ReadFromFile(file, &header, sizeof(header)) ||
        !ReadPictureSizes(&header, &colourCount, &tableSize, &imageSize))
        return 0;

    LONG blockSize = (LONG)sizeof(header) + tableSize + imageSize;
    BYTE *first = (BYTE *)AllocateMemory(blockSize, 0);
    BYTE *second = first ? (BYTE *)AllocateMemory(blockSize, 0) : NULL;
    if (!second) {
        FreeMemory(first);
        return 0;
    }
    PointIntoBlock(primary, first, tableSize, colourCount, imageSize);
    PointIntoBlock(secondary, second, tableSize, colourCount, imageSize);
    memcpy(first, &header, sizeof(header));
    if ((tableSize && !ReadFromFile(file, primary->colours, (DWORD)tableSize)) ||
        !ReadFromFile(file, primary->pixels, (DWORD)imageSize)) {
        FreeMemory(first);
        FreeMemory(second);
        memset(primary, 0, sizeof(*primary));
        memset(secondary, 0, sizeof(*secondary));
        return 0;
    }
    memcpy(second, first, (size_t)blockSize);
    return 1;
}

int LoadBitmapPair(const char *name, BitmapImage *primary, BitmapImage *secondary)
{
    HANDLE file = OpenFileForRead(name);
    if (!file)
        return 0;
    int loaded = ReadPicture(file, primary, secondary);
    CloseFile(&file);
    if (!loaded)
        return 0;
    if (primary->colourCount <= 256)
        CreateImagePalette(primary);
    /* Uninstalling and the system information start in colour and turn
     * grey; installing starts grey and turns to colour. */
    if ((RunMode == RUN_UNINSTALL || RunMode == RUN_SYSTEMINFO) && !lowColour)
        MakeMonochrome(primary);
    else
        MakeMonochrome(secondary);
    return 1;
}

int MakeMonochrome(BitmapImage *image)
{
    const BITMAPINFOHEADER *header = image->header;
    if (header->biBitCount <= 8) {
        CreateImagePalette(image);
        return 1;
    }
    if (header->biBitCount != 24) {
        SetupMessage(Text(TXT_NO_MONOCHROME),
                     MB_ICONERROR);
        return 1;
    }
    LONG rowSize = BitmapRowSize(header->biWidth, 24);
    for (LONG row = 0; row < header->biHeight; row++) {
        BYTE *pixel = image->pixels + row * rowSize;
        for (LONG x = 0; x < header->biWidth; x++, pixel += 3) {
            BYTE grey = (BYTE)((pixel[0] + pixel[1] + pixel[2]) / 3);
            pixel[0] = pixel[1] = pixel[2] = grey;
        }
    }
    return 1;
}
