/* The installer's CD reading, on a small CD as a directory, as the image
 * xorriso masters of it and as BIN/CUE images of that, and on damaged
 * images and other files. */
#include "tools/mkcue/cdsector.h"
#include "tools/ttinstall/cdsource.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

static void Write(const std::string &path, const Bytes &bytes)
{
  FILE *f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f) << path;
  ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  fclose(f);
}

static Bytes Pattern(size_t size, uint32_t seed)
{
  Bytes b(size);
  for (size_t i = 0; i < size; i++) {
    seed = seed * 1103515245u + 12345u;
    b[i] = (unsigned char)(seed >> 16);
  }
  return b;
}

/* Reads a whole file in blocks of 1, 7, 4093, 65537 and 1 MiB + 3 bytes in
 * turn: 1 read, 0 refused with the reason in why, -1 when the layer gave
 * short data without a reason. */
static int ReadAll(const char *name, Bytes *out, std::string *why)
{
  char reason[160] = "";
  uint64_t size = 0;
  int h = CdOpenFile(name, &size, reason, sizeof reason);
  *why = reason;
  if (h < 0)
    return 0;
  static const size_t blocks[] = {1, 7, 4093, 65537, 1048579};
  Bytes buffer(1048579);
  out->clear();
  for (size_t turn = 0;; turn++) {
    size_t want = blocks[turn % 5];
    long n = CdReadFile(h, buffer.data(), want, reason, sizeof reason);
    *why = reason;
    if (n < 0 || (n < (long)want && out->size() + n != size)) {
      CdCloseFile(h);
      return n < 0 ? 0 : -1;
    }
    out->insert(out->end(), buffer.begin(), buffer.begin() + n);
    if (n == 0)
      break;
  }
  CdCloseFile(h);
  return out->size() == size ? 1 : -1;
}

struct CdFile { const char *onDisk, *lookup; Bytes bytes; };

static std::string Msf(size_t frames)
{
  char text[16];
  snprintf(text, sizeof text, "%02zu:%02zu:%02zu", frames / 4500, frames / 75 % 60, frames % 75);
  return text;
}

static void WriteText(const std::string &path, const std::string &text)
{
  Write(path, Bytes(text.begin(), text.end()));
}

/* From the ISO: cd.cue and cd.bin, the raw data track and an audio track
 * after a pregap stored as its INDEX 00; iso.cue naming the ISO and a WAVE
 * file; bare.bin, the raw sectors and audio without a cue; damaged.bin with
 * a byte changed in the middle of the data, raw-cut.bin cut at half its
 * sectors. */
static void WriteBinCue(const std::string &work, const Bytes &image)
{
  Bytes raw;
  unsigned char sector[CD_RAW_SECTOR];
  for (size_t at = 0; at + CD_USER_DATA <= image.size(); at += CD_USER_DATA) {
    CdMakeMode1Sector((uint32_t)(at / CD_USER_DATA), &image[at], sector);
    raw.insert(raw.end(), sector, sector + sizeof sector);
  }
  size_t sectors = raw.size() / CD_RAW_SECTOR;
  Bytes audio = Pattern(30 * CD_RAW_SECTOR, 6), bin = raw;
  bin.resize(bin.size() + 150 * CD_RAW_SECTOR);
  bin.insert(bin.end(), audio.begin(), audio.end());
  Write(work + "/cd.bin", bin);
  WriteText(work + "/cd.cue", "FILE \"cd.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
            "  TRACK 02 AUDIO\r\n    INDEX 00 " + Msf(sectors) + "\r\n    INDEX 01 " + Msf(sectors + 150) + "\r\n");
  WriteText(work + "/iso.cue", "REM by hand\nFILE cd.iso BINARY\n TRACK 01 MODE1/2048\n  INDEX 01 00:00:00\n"
            "FILE \"t 2.wav\" WAVE\n TRACK 02 AUDIO\n  PREGAP 00:02:00\n  INDEX 01 00:00:00\n");
  Write(work + "/t 2.wav", audio);
  Bytes bare = raw;
  bare.insert(bare.end(), audio.begin(), audio.end());
  Write(work + "/bare.bin", bare);
  raw[sectors / 2 * CD_RAW_SECTOR + 700] ^= 1;
  Write(work + "/damaged.bin", raw);
  Write(work + "/raw-cut.bin", Bytes(raw.begin(), raw.begin() + sectors / 2 * CD_RAW_SECTOR));
}

TEST(CdSource, DirectoryImageAndDamagedImages)
{
  char dirTemplate[] = "/tmp/tt-cdsource.XXXXXX";
  ASSERT_TRUE(mkdtemp(dirTemplate));
  std::string work = dirTemplate, cd = work + "/cd";
  ASSERT_EQ(system(("mkdir -p " + cd + "/DATA1/English").c_str()), 0);
  CdFile files[] = {
    {"DATA1/FILELIST.WD", "data1\\filelist.wd", Pattern(5000, 1)},
    {"DATA1/English/ReadMe.txt", "DATA1/ENGLISH/README.TXT", Pattern(77, 2)},
    {"DATA1/SECTOR1.CFL", "\\Data1\\Sector1.cfl", Pattern(3 << 20, 3)},
    {"EMPTY.TXT", "empty.txt", Bytes()},
    /* a hard link: the image gives its data under the first name only */
    {"DATA1/COPY.WD", "DATA1\\copy.wd", Pattern(5000, 1)},
  };
  for (CdFile &f : files)
    if (strcmp(f.onDisk, "DATA1/COPY.WD"))
      Write(cd + "/" + f.onDisk, f.bytes);
  ASSERT_EQ(link((cd + "/DATA1/FILELIST.WD").c_str(), (cd + "/DATA1/COPY.WD").c_str()), 0);
  Write(work + "/OUTSIDE.TXT", Pattern(10, 4));
  ASSERT_EQ(symlink("../../OUTSIDE.TXT", (cd + "/DATA1/LINK.TXT").c_str()), 0);
  ASSERT_EQ(symlink("..", (cd + "/UP").c_str()), 0);
  Write(work + "/notacd.bin", Pattern(100000, 5));

  bool haveXorriso = system("command -v xorriso >/dev/null 2>&1") == 0;
  std::string iso = work + "/cd.iso";
  if (haveXorriso) {
    ASSERT_EQ(system(("xorriso -as mkisofs -quiet -o " + iso + " " + cd + " 2>/dev/null").c_str()), 0);
    /* the first 40 KiB (volume descriptors, no directories), and the
     * image cut inside the 3 MiB file */
    Bytes image(1 << 23);
    FILE *f = fopen(iso.c_str(), "rb");
    ASSERT_TRUE(f);
    image.resize(fread(image.data(), 1, image.size(), f));
    fclose(f);
    Write(work + "/head.iso", Bytes(image.begin(), image.begin() + 40960));
    Write(work + "/cut.iso", Bytes(image.begin(), image.begin() + image.size() / 2));
    WriteBinCue(work, image);
  }

  /* sound: every file reads back; otherwise refused at the open, or some
   * file fails with a reason and none reads back wrong */
  struct Row { std::string path; int image, sound, mastered, byRecords; };
  const Row rows[] = {
    {cd, 0, 1, 0}, {iso, 1, 1, 1}, {work + "/notacd.bin", 1, 0, 0}, {work + "/missing", 0, 0, 0},
    {work + "/head.iso", 1, 0, 1}, {work + "/cut.iso", 1, 0, 1},
    {work + "/cd.cue", 1, 1, 1}, {work + "/iso.cue", 1, 1, 1}, {work + "/bare.bin", 1, 1, 1},
    {work + "/damaged.bin", 1, 0, 1}, {work + "/raw-cut.bin", 1, 0, 1},
    /* the image by its own directory records, as with a mapfile */
    {iso, 1, 1, 1, 1}, {work + "/cut.iso", 1, 0, 1, 1},
    {work + "/cd.cue", 1, 1, 1, 1}, {work + "/raw-cut.bin", 1, 0, 1, 1},
  };
  char reason[160];
  for (const Row &row : rows) {
    SCOPED_TRACE(row.path);
    if (row.mastered && !haveXorriso)
      continue;
    reason[0] = 0;
    CdReadImagesByRecords(row.byRecords);
    int opened = OpenCdSource(row.path.c_str(), reason, sizeof reason);
    /* cut inside a file, the image's directory is all there */
    EXPECT_TRUE(opened || row.path != work + "/cut.iso") << reason;
    if (!row.sound) {
      int failures = !opened;
      EXPECT_TRUE(opened || reason[0]);
      for (size_t i = 0; opened && i < sizeof files / sizeof files[0]; i++) {
        Bytes got;
        std::string why;
        int read = ReadAll(files[i].lookup, &got, &why);
        EXPECT_NE(read, -1) << files[i].lookup;
        EXPECT_TRUE(read != 1 || got == files[i].bytes) << files[i].lookup;
        EXPECT_TRUE(read != 0 || !why.empty()) << files[i].lookup;
        failures += read == 0;
      }
      EXPECT_GT(failures, 0);
      CloseCdSource();
      continue;
    }
    ASSERT_TRUE(opened) << reason;
    EXPECT_EQ(CdSourceIsImage(), row.image);
    for (const CdFile &f : files) {
      SCOPED_TRACE(f.lookup);
      uint64_t size = 1;
      EXPECT_TRUE(CdFileSize(f.lookup, &size));
      EXPECT_EQ(size, f.bytes.size());
      Bytes got;
      std::string why;
      EXPECT_EQ(ReadAll(f.lookup, &got, &why), 1) << why;
      EXPECT_TRUE(got == f.bytes);
    }
    /* names refused or absent, each with a reason */
    const char *refused[] = {"DATA1\\NOPE.WD", "DATA1\\..\\DATA1\\FILELIST.WD", "DATA1", "",
                             "DATA1\\\\FILELIST.WD", "DATA1\\LINK.TXT", "UP\\OUTSIDE.TXT",
                             "DATA1\\FILELIST.WD\\X"};
    for (const char *name : refused) {
      SCOPED_TRACE(name);
      reason[0] = 0;
      EXPECT_FALSE(CdFileSize(name, NULL));
      EXPECT_EQ(CdOpenFile(name, NULL, reason, sizeof reason), -1);
      EXPECT_NE(reason[0], 0);
    }
    /* four files open at once, read in turn, not five */
    int handles[CD_MAX_OPEN_FILES];
    for (int &h : handles)
      EXPECT_GE(h = CdOpenFile(files[2].lookup, NULL, reason, sizeof reason), 0) << reason;
    EXPECT_EQ(CdOpenFile(files[0].lookup, NULL, reason, sizeof reason), -1);
    unsigned char block[4093];
    for (int turn = 0; turn < 2 * CD_MAX_OPEN_FILES; turn++) {
      EXPECT_EQ(CdReadFile(handles[turn % CD_MAX_OPEN_FILES], block, sizeof block, reason, sizeof reason),
                (long)sizeof block);
      EXPECT_EQ(memcmp(block, files[2].bytes.data() + turn / CD_MAX_OPEN_FILES * sizeof block, sizeof block), 0);
    }
    CloseCdSource();
    EXPECT_EQ(CdReadFile(handles[0], block, 1, reason, sizeof reason), -1);
  }
  ASSERT_EQ(system(("rm -rf " + work).c_str()), 0);
  if (!haveXorriso)
    GTEST_SKIP() << "xorriso is not installed: the image rows were not run";
}
