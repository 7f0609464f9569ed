/* mkcue: the CD image as rippers keep it, a BIN of raw sectors and its CUE
 * sheet, from the ISO 9660 image of the data track.
 *
 *   mkcue [--tracks N] [--seconds S] ISO BIN CUE
 *
 * Track 1 is the data track: each 2048-byte sector of the ISO becomes a raw
 * Mode 1 sector with its address, EDC and ECC. Tracks 2 to N (N defaults
 * to 1, no audio) are Red Book audio of S seconds each (default and least
 * 4), each a tone of its own: track t plays step t - 2 of a major scale from
 * A3, fading in and out. Track 2 is preceded by two seconds of silence
 * stored in the BIN as its INDEX 00, as rippers write the pregap after a
 * data track. The cue names the BIN by its file name alone, so the two are
 * kept side by side. Both files are written beside their names and renamed
 * when complete. */
#include "tools/mkcue/cdsector.h"

#include <errno.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#define MAX_TRACKS 99
#define PREGAP_FRAMES (2 * CD_FRAMES_PER_SECOND)
#define SAMPLE_RATE 44100
#define SAMPLES_PER_SECTOR (CD_RAW_SECTOR / 4)

static int Error(const char *format, ...)
{
  va_list args;
  va_start(args, format);
  fprintf(stderr, "mkcue: ");
  vfprintf(stderr, format, args);
  fprintf(stderr, "\n");
  va_end(args);
  return 1;
}

static int Usage(void)
{
  fprintf(stderr, "usage: mkcue [--tracks N] [--seconds S] ISO BIN CUE\n");
  return 2;
}

/* "mm:ss:ff" of a frame count. */
static std::string Msf(uint32_t frames)
{
  char text[16];
  snprintf(text, sizeof text, "%02u:%02u:%02u", frames / (60 * CD_FRAMES_PER_SECOND),
           frames / CD_FRAMES_PER_SECOND % 60, frames % CD_FRAMES_PER_SECOND);
  return text;
}

static int WriteAll(FILE *f, const void *bytes, size_t count, const std::string &path)
{
  if (fwrite(bytes, 1, count, f) != count)
    return Error("%s: %s", path.c_str(), strerror(errno));
  return 0;
}

/* One audio sector of track t: its samples from sample number first on. */
static void AudioSector(int track, uint32_t first, uint32_t total, unsigned char *sector)
{
  static const int scale[] = { 0, 2, 4, 5, 7, 9, 11 };
  int step = track - 2;
  double semitones = 12 * (step / 7) + scale[step % 7];
  double frequency = 220.0 * pow(2.0, semitones / 12.0);
  const uint32_t fade = SAMPLE_RATE / 20;
  for (uint32_t i = 0; i < SAMPLES_PER_SECTOR; i++) {
    uint32_t n = first + i;
    double gain = 1.0;
    if (n < fade)
      gain = (double)n / fade;
    else if (total - n < fade)
      gain = (double)(total - n) / fade;
    int sample = (int)lround(9000.0 * gain * sin(2.0 * M_PI * frequency * n / SAMPLE_RATE));
    for (int channel = 0; channel < 2; channel++) {
      sector[4 * i + 2 * channel] = (unsigned char)(sample & 0xFF);
      sector[4 * i + 2 * channel + 1] = (unsigned char)((sample >> 8) & 0xFF);
    }
  }
}

static std::string BaseName(const std::string &path)
{
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int main(int argc, char **argv)
{
  int tracks = 1, seconds = 4;
  const char *paths[3] = { NULL, NULL, NULL };
  int pathCount = 0;
  for (int a = 1; a < argc; a++) {
    if ((!strcmp(argv[a], "--tracks") || !strcmp(argv[a], "--seconds")) && a + 1 < argc) {
      char *end;
      long value = strtol(argv[a + 1], &end, 10);
      if (*end || value < 1)
        return Usage();
      if (!strcmp(argv[a], "--tracks"))
        tracks = (int)value;
      else
        seconds = (int)value;
      a++;
    } else if (argv[a][0] == '-' || pathCount == 3) {
      return Usage();
    } else {
      paths[pathCount++] = argv[a];
    }
  }
  if (pathCount != 3)
    return Usage();
  if (tracks > MAX_TRACKS)
    return Error("at most %d tracks", MAX_TRACKS);
  if (seconds < 4)
    return Error("an audio track lasts 4 seconds at least");
  std::string isoPath = paths[0], binPath = paths[1], cuePath = paths[2];

  FILE *iso = fopen(isoPath.c_str(), "rb");
  if (!iso)
    return Error("%s: %s", isoPath.c_str(), strerror(errno));
  std::string binPart = binPath + ".part", cuePart = cuePath + ".part";
  FILE *bin = fopen(binPart.c_str(), "wb");
  if (!bin) {
    fclose(iso);
    return Error("%s: %s", binPart.c_str(), strerror(errno));
  }

  unsigned char data[CD_USER_DATA], sector[CD_RAW_SECTOR];
  uint32_t lba = 0;
  int failed = 0;
  for (;;) {
    size_t got = fread(data, 1, sizeof data, iso);
    if (got == 0)
      break;
    if (got != sizeof data) {
      failed = Error("%s: not a whole number of 2048-byte sectors", isoPath.c_str());
      break;
    }
    CdMakeMode1Sector(lba++, data, sector);
    if ((failed = WriteAll(bin, sector, sizeof sector, binPart)) != 0)
      break;
  }
  if (!failed && ferror(iso))
    failed = Error("%s: %s", isoPath.c_str(), strerror(errno));
  if (!failed && lba < 4 * CD_FRAMES_PER_SECOND)
    failed = Error("%s: a data track lasts 4 seconds (300 sectors) at least", isoPath.c_str());
  fclose(iso);

  std::string cue = "FILE \"" + BaseName(binPath) + "\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n";
  uint32_t frame = lba;
  const uint32_t samples = (uint32_t)seconds * SAMPLE_RATE;
  const uint32_t sectors = samples / SAMPLES_PER_SECTOR;
  for (int t = 2; t <= tracks && !failed; t++) {
    char head[32];
    snprintf(head, sizeof head, "  TRACK %02d AUDIO\n", t);
    cue += head;
    if (t == 2) {
      cue += "    INDEX 00 " + Msf(frame) + "\n";
      memset(sector, 0, sizeof sector);
      for (int i = 0; i < PREGAP_FRAMES && !failed; i++)
        failed = WriteAll(bin, sector, sizeof sector, binPart);
      frame += PREGAP_FRAMES;
    }
    cue += "    INDEX 01 " + Msf(frame) + "\n";
    for (uint32_t s = 0; s < sectors && !failed; s++) {
      AudioSector(t, s * SAMPLES_PER_SECTOR, sectors * SAMPLES_PER_SECTOR, sector);
      failed = WriteAll(bin, sector, sizeof sector, binPart);
    }
    frame += sectors;
  }
  if (fclose(bin) != 0 && !failed)
    failed = Error("%s: %s", binPart.c_str(), strerror(errno));

  if (!failed) {
    FILE *f = fopen(cuePart.c_str(), "wb");
    if (!f)
      failed = Error("%s: %s", cuePart.c_str(), strerror(errno));
    else if ((failed = WriteAll(f, cue.data(), cue.size(), cuePart)) == 0 && fclose(f) != 0)
      failed = Error("%s: %s", cuePart.c_str(), strerror(errno));
    else if (failed)
      fclose(f);
  }
  if (!failed && (rename(binPart.c_str(), binPath.c_str()) != 0 || rename(cuePart.c_str(), cuePath.c_str()) != 0))
    failed = Error("%s: %s", binPath.c_str(), strerror(errno));
  if (failed) {
    remove(binPart.c_str());
    remove(cuePart.c_str());
    return 1;
  }
  return 0;
}
