/* Vidcheck's bitmap loader: one copy of a Windows bitmap file in one memory
 * block, its failures reported in English through ShowError. */
#include "common/general.h"

/* The largest picture this loader takes: four 640 x 480 screens at 32 bits.
 * A header from a damaged file can claim anything; a bound keeps the size
 * arithmetic far from overflow and the allocation sensible. */
enum { gcLargestImage = 4 * 640 * 480 * 4 };

static const char notBitmapText[] = "This is not a valid Windows bitmap file.";
static const char paletteText[] = "Unable to create a palette for the desired graphic.";

static void ClearBitmapImage(BitmapImage *image)
{
    image->header = NULL;
    image->colours = NULL;
    image->pixels = NULL;
    image->palette = NULL;
    image->imageSize = 0;
    image->colourCount = 0;
}

/* The information header must describe what this loader can lay out: an
 * uncompressed bottom-up bitmap of a standard depth whose colour table and
 * rows fit the bound above. */
static int IsLoadableHeader(const BITMAPINFOHEADER *header)
{
    int bits = header->biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return 0;
    if (header->biCompression != BI_RGB)
        return 0;
    if (header->biWidth <= 0 || header->biHeight <= 0)
        return 0;
    if (header->biWidth > gcLargestImage || header->biHeight > gcLargestImage)
        return 0;
    if (bits <= 8 && header->biClrUsed > (1UL << bits))
        return 0;
    LONGLONG rowSize = ((LONGLONG)header->biWidth * bits + 31) / 32 * 4;
    return rowSize * header->biHeight <= gcLargestImage;
}

static int ReadBitmapBody(HANDLE file, BitmapImage *image, const BITMAPINFOHEADER *info)
{
    LONG tableSize = BitmapColourTableSize(info, image->colourCount);
    BYTE *block = (BYTE *)AllocateMemory(40 + tableSize + image->imageSize, 0);
    if (!block)
        return 0;
    image->header = (BITMAPINFOHEADER *)block;
    image->colours = (RGBQUAD *)(block + 40);
    image->pixels = block + 40 + tableSize;
    CopyMemory(block, info, 40);
    if ((tableSize && !ReadFromFile(file, image->colours, (DWORD)tableSize)) ||
        !ReadFromFile(file, image->pixels, (DWORD)image->imageSize)) {
        FreeMemory(block);
        ClearBitmapImage(image);
        return 0;
    }
    return 1;
}

int LoadBitmapFile(const char *name, BitmapImage *image)
{
    ClearBitmapImage(image);
    HANDLE file = OpenFileForRead(name);
    if (!file)
        return 0;
    BITMAPFILEHEADER fileHeader;
    if (!ReadFromFile(file, &fileHeader, 14)) {
        CloseFile(&file);
        return 0;
    }
    if (fileHeader.bfType != 0x4D42) {
        ShowError(notBitmapText);
        CloseFile(&file);
        return 0;
    }
    BITMAPINFOHEADER info;
    if (!ReadFromFile(file, &info, 40)) {
        CloseFile(&file);
        return 0;
    }
    if (!IsLoadableHeader(&info)) {
        ShowError(notBitmapText);
        CloseFile(&file);
        return 0;
    }
    image->colourCount = BitmapColourCount(&info);
    image->imageSize = BitmapRowSize(info.biWidth, info.biBitCount) * info.biHeight;
    int loaded = ReadBitmapBody(file, image, &info);
    CloseFile(&file);
    if (!loaded)
        return 0;

    /* Deeper pictures carry no colour table and need no palette; a 32-bit
     * one has a colour count of 0 here (2^32 does not fit). */
    if (image->colourCount > 256 || image->colourCount == 0 || info.biBitCount > 8)
        return 1;
    image->palette = CreateColourTablePalette(image->colours, image->colourCount);
    if (!image->palette)
        ShowError(paletteText);
    return 1;
}
