// What the screen shows: the kind of a message box's icon, and screenshots.
//
// Icons: a message box's icon static holds an icon handle of the program's
// own process. Under Wine such a handle cannot be compared with ours or
// looked into (LoadIcon gives every process a handle of its own for the same
// system icon, and GetIconInfo on another process's icon fails with
// ERROR_INVALID_CURSOR_HANDLE). What can be compared is what is drawn: the
// static's pixels are read from the screen (so the box must be in front, which
// a message box is) and compared with each system icon drawn on the static's
// background colour: the right one differs in next to no pixel, the others
// in a hundred or more (the question and information icons share their blue
// disc and differ only in the glyph).
#include "robot.h"
#include <stdio.h>
#include <string.h>

#define ICON_SIDE 64               // the largest icon static looked at
#define ICON_MATCH_PERCENT 2       // at most this share of pixels may differ

// IDI_HAND, IDI_EXCLAMATION, IDI_QUESTION and IDI_ASTERISK by number, since
// their macros are narrow or wide strings by the build's character set.
static const struct { int id; const char *name; } systemIcons[] = {
  { 32513, "error" },
  { 32515, "warning" },
  { 32514, "question" },
  { 32516, "information" },
};

struct Pixels {
  HDC dc;
  HBITMAP bitmap, old;
  DWORD *bits;                     // top-down, 32 bits a pixel
};

static int MakePixels(Pixels *p, int width, int height)
{
  BITMAPINFO bi;
  memset(&bi, 0, sizeof(bi));
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = NULL;
  p->dc = CreateCompatibleDC(NULL);
  p->bitmap = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  if (!p->dc || !p->bitmap) {
    if (p->dc) DeleteDC(p->dc);
    if (p->bitmap) DeleteObject(p->bitmap);
    return 0;
  }
  p->bits = (DWORD *)bits;
  p->old = (HBITMAP)SelectObject(p->dc, p->bitmap);
  return 1;
}

static void FreePixels(Pixels *p)
{
  SelectObject(p->dc, p->old);
  DeleteObject(p->bitmap);
  DeleteDC(p->dc);
}

static int Differs(DWORD a, DWORD b)
{
  for (int shift = 0; shift < 24; shift += 8) {
    int d = (int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF);
    if (d > 40 || d < -40) return 1;
  }
  return 0;
}

const char *ClassifyIcon(HWND iconStatic)
{
  RECT r;
  if (!GetWindowRect(iconStatic, &r)) return "unknown";
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return "unknown";
  if (width > ICON_SIDE) width = ICON_SIDE;
  if (height > ICON_SIDE) height = ICON_SIDE;

  // Pixels of another window in front would say nothing about the icon.
  POINT centre = { r.left + width / 2, r.top + height / 2 };
  HWND there = WindowFromPoint(centre);
  if (!there || GetAncestor(there, GA_ROOT) != GetAncestor(iconStatic, GA_ROOT)) return "covered";

  Pixels shot, trial;
  if (!MakePixels(&shot, width, height)) return "unknown";
  if (!MakePixels(&trial, width, height)) {
    FreePixels(&shot);
    return "unknown";
  }
  HDC screen = GetDC(NULL);
  BitBlt(shot.dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  ReleaseDC(NULL, screen);
  GdiFlush();

  // The static paints its background in one colour, which the icon's
  // transparent corner shows; each candidate is drawn on that colour.
  DWORD background = shot.bits[0];
  const char *best = "unknown";
  int bestChanged = width * height, secondChanged = width * height;
  for (unsigned k = 0; k < sizeof(systemIcons) / sizeof(systemIcons[0]); k++) {
    HICON icon = LoadIconW(NULL, MAKEINTRESOURCEW(systemIcons[k].id));
    if (!icon) continue;
    for (int i = 0; i < width * height; i++) trial.bits[i] = background;
    // Drawn at the static's size, as the static itself draws it.
    DrawIconEx(trial.dc, 0, 0, icon, r.right - r.left, r.bottom - r.top, 0, NULL, DI_NORMAL);
    GdiFlush();
    int changed = 0;
    for (int i = 0; i < width * height; i++) changed += Differs(shot.bits[i], trial.bits[i]);
    if (changed < bestChanged) {
      secondChanged = bestChanged;
      bestChanged = changed;
      best = systemIcons[k].name;
    } else if (changed < secondChanged) {
      secondChanged = changed;
    }
  }
  // A match leaves next to nothing different; anything else is no answer
  // (a box still being drawn, or an icon of the program's own).
  if (bestChanged * 100 > width * height * ICON_MATCH_PERCENT || bestChanged * 4 > secondChanged)
    best = "unknown";
  FreePixels(&trial);
  FreePixels(&shot);
  return best;
}

// The whole screen as a 24-bit BMP file; scripts/scenario turns it into PNG.
int SaveScreenBitmap(const wchar_t *path)
{
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) return 0;
  BITMAPINFO bi;
  memset(&bi, 0, sizeof(bi));
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;   // bottom-up, as BMP files are
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = NULL;
  HDC mem = CreateCompatibleDC(NULL);
  HBITMAP bitmap = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  if (!mem || !bitmap) {
    if (mem) DeleteDC(mem);
    if (bitmap) DeleteObject(bitmap);
    return 0;
  }
  HBITMAP old = (HBITMAP)SelectObject(mem, bitmap);
  HDC screen = GetDC(NULL);
  BitBlt(mem, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
  ReleaseDC(NULL, screen);
  GdiFlush();

  DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
  DWORD imageSize = stride * (DWORD)height;
  BITMAPFILEHEADER fh;
  memset(&fh, 0, sizeof(fh));
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + imageSize;
  bi.bmiHeader.biSizeImage = imageSize;

  int ok = 0;
  FILE *f = _wfopen(path, L"wb");
  if (f) {
    ok = fwrite(&fh, sizeof(fh), 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f) == 1 &&
         fwrite(bits, 1, imageSize, f) == imageSize;
    ok = (fclose(f) == 0) && ok;
  }
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  return ok;
}
