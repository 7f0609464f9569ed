/* Reads the CD's BIN/CUE image back: cuecheck CUE ISO TRACKS
 *
 * The cue must name one BIN file with TRACKS tracks: track 1 MODE1/2352 at
 * 00:00:00, the others AUDIO, track 2 with a pregap of two seconds stored as
 * its INDEX 00. Every sector of the data track must carry the sync, its own
 * address, mode 1, the ISO's sector as its user data, and an EDC and a P and
 * Q parity that check. The checks are computed here bit by bit, apart from
 * the tables that master the image: the EDC as a CRC, the parity as the
 * syndromes of each Reed-Solomon vector, which are zero for a codeword. The
 * pregap must be silence, and each audio track sound, with a pitch of its
 * own. Prints what it found; exits 1 at the first fault. */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#define RAW 2352
#define DATA 2048

struct Track {
  int number;
  std::string type;
  long index0, index1; /* frames from the start of the BIN; -1 when absent */
};

static int Fail(const char *format, ...)
{
  va_list args;
  va_start(args, format);
  printf("FAIL: ");
  vprintf(format, args);
  printf("\n");
  va_end(args);
  exit(1);
}

static long Frames(const std::string &msf)
{
  int m, s, f;
  char tail;
  if (sscanf(msf.c_str(), "%d:%d:%d%c", &m, &s, &f, &tail) != 3 || s >= 60 || f >= 75)
    Fail("bad time %s in the cue", msf.c_str());
  return (m * 60L + s) * 75 + f;
}

static uint32_t EdcBitwise(const unsigned char *p, size_t n)
{
  uint32_t crc = 0;
  for (size_t i = 0; i < n; i++) {
    crc ^= p[i];
    for (int bit = 0; bit < 8; bit++)
      crc = (crc >> 1) ^ (0xD8018001u & (0u - (crc & 1)));
  }
  return crc;
}

/* Product in GF(2^8) modulo x^8+x^4+x^3+x^2+1. */
static unsigned Multiply(unsigned a, unsigned b)
{
  unsigned r = 0;
  for (; b; b >>= 1) {
    if (b & 1)
      r ^= a;
    a = (a << 1) ^ ((a & 0x80) ? 0x11D : 0);
  }
  return r & 0xFF;
}

static unsigned powers[45]; /* alpha^n */

/* Whether the vector of count bytes (of the 16-bit words at words[], byte
 * half of each) has both syndromes zero: sum v and sum alpha^(count-1-k) v. */
static int IsCodeword(const unsigned char *area, const int *words, int count, int half)
{
  unsigned s0 = 0, s1 = 0;
  for (int k = 0; k < count; k++) {
    unsigned v = area[2 * words[k] + half];
    s0 ^= v;
    s1 ^= Multiply(powers[count - 1 - k], v);
  }
  return s0 == 0 && s1 == 0;
}

static int ParityChecks(const unsigned char *sector)
{
  const unsigned char *area = sector + 12;
  int words[45];
  for (int column = 0; column < 43; column++) {
    for (int row = 0; row < 26; row++)
      words[row] = 43 * row + column;
    if (!IsCodeword(area, words, 26, 0) || !IsCodeword(area, words, 26, 1))
      return 0;
  }
  for (int diagonal = 0; diagonal < 26; diagonal++) {
    for (int k = 0; k < 43; k++)
      words[k] = (44 * k + 43 * diagonal) % 1118;
    words[43] = 1118 + diagonal;
    words[44] = 1144 + diagonal;
    if (!IsCodeword(area, words, 45, 0) || !IsCodeword(area, words, 45, 1))
      return 0;
  }
  return 1;
}

static int Bcd(long n)
{
  return (int)(((n / 10) << 4) | (n % 10));
}

int main(int argc, char **argv)
{
  if (argc != 4) {
    fprintf(stderr, "usage: cuecheck CUE ISO TRACKS\n");
    return 2;
  }
  powers[0] = 1;
  for (int n = 1; n < 45; n++)
    powers[n] = Multiply(powers[n - 1], 2);
  std::string cuePath = argv[1];
  int expectedTracks = atoi(argv[3]);
  std::ifstream cue(cuePath);
  if (!cue)
    Fail("cannot read %s", cuePath.c_str());
  std::string line, binName;
  std::vector<Track> tracks;
  int files = 0;
  while (std::getline(cue, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "FILE") {
      size_t open = line.find('"'), close = line.rfind('"');
      if (open == std::string::npos || close <= open || line.substr(close + 1).find("BINARY") == std::string::npos)
        Fail("not a quoted BINARY file: %s", line.c_str());
      binName = line.substr(open + 1, close - open - 1);
      files++;
    } else if (command == "TRACK") {
      Track t = { 0, "", -1, -1 };
      words >> t.number >> t.type;
      if (t.number != (int)tracks.size() + 1)
        Fail("track %d where %d belongs", t.number, (int)tracks.size() + 1);
      tracks.push_back(t);
    } else if (command == "INDEX" && !tracks.empty()) {
      int index;
      std::string at;
      words >> index >> at;
      if (index == 0)
        tracks.back().index0 = Frames(at);
      else if (index == 1)
        tracks.back().index1 = Frames(at);
      else
        Fail("INDEX %d", index);
    } else if (!command.empty()) {
      Fail("unexpected line in the cue: %s", line.c_str());
    }
  }
  if (files != 1 || binName.find('/') != std::string::npos)
    Fail("the cue must name one BIN beside it, not %d files (%s)", files, binName.c_str());
  if ((int)tracks.size() != expectedTracks)
    Fail("%d tracks in the cue, %d expected", (int)tracks.size(), expectedTracks);
  if (tracks[0].type != "MODE1/2352" || tracks[0].index1 != 0 || tracks[0].index0 != -1)
    Fail("track 1 is not MODE1/2352 from 00:00:00");
  for (size_t i = 1; i < tracks.size(); i++) {
    const Track &t = tracks[i];
    if (t.type != "AUDIO" || t.index1 <= tracks[i - 1].index1)
      Fail("track %d is not an AUDIO track after track %d", t.number, t.number - 1);
    if ((i == 1) != (t.index0 >= 0) || (i == 1 && t.index1 - t.index0 != 150))
      Fail("track %d: only track 2 has a pregap, of two seconds", t.number);
  }

  std::string dir = cuePath.find('/') == std::string::npos ? "." : cuePath.substr(0, cuePath.rfind('/'));
  FILE *bin = fopen((dir + "/" + binName).c_str(), "rb");
  FILE *iso = fopen(argv[2], "rb");
  if (!bin || !iso)
    Fail("cannot open %s or %s", binName.c_str(), argv[2]);
  fseek(bin, 0, SEEK_END);
  long binSize = ftell(bin);
  fseek(iso, 0, SEEK_END);
  long isoSectors = ftell(iso) / DATA;
  rewind(bin);
  rewind(iso);
  if (binSize % RAW)
    Fail("the BIN holds %ld bytes, not whole sectors", binSize);
  long binFrames = binSize / RAW;
  long dataEnd = tracks.size() > 1 ? tracks[1].index0 : binFrames;
  if (dataEnd != isoSectors)
    Fail("the data track has %ld sectors, the ISO %ld", dataEnd, isoSectors);

  unsigned char raw[RAW], data[DATA];
  for (long lba = 0; lba < dataEnd; lba++) {
    if (fread(raw, 1, RAW, bin) != RAW || fread(data, 1, DATA, iso) != DATA)
      Fail("short read at sector %ld", lba);
    static const unsigned char sync[12] = { 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0 };
    long address = lba + 150;
    if (memcmp(raw, sync, 12) || raw[12] != Bcd(address / 4500) || raw[13] != Bcd(address / 75 % 60) ||
        raw[14] != Bcd(address % 75) || raw[15] != 1)
      Fail("sector %ld: sync or header", lba);
    if (memcmp(raw + 16, data, DATA))
      Fail("sector %ld: user data differs from the ISO", lba);
    uint32_t edc = EdcBitwise(raw, 2064);
    if (raw[2064] != (edc & 0xFF) || raw[2065] != ((edc >> 8) & 0xFF) || raw[2066] != ((edc >> 16) & 0xFF) ||
        raw[2067] != (edc >> 24))
      Fail("sector %ld: EDC", lba);
    for (int i = 2068; i < 2076; i++)
      if (raw[i])
        Fail("sector %ld: the 8 bytes after the EDC are not zero", lba);
    if (!ParityChecks(raw))
      Fail("sector %ld: P or Q parity", lba);
  }
  printf("ok: data track, %ld Mode 1 sectors: the ISO's data, addresses, EDC and ECC\n", dataEnd);

  std::set<long> pitches;
  for (size_t i = 1; i < tracks.size(); i++) {
    long start = i == 1 ? tracks[i].index0 : tracks[i].index1;
    long end = i + 1 < tracks.size() ? tracks[i + 1].index1 : binFrames;
    long crossings = 0, loud = 0;
    int last = 0;
    for (long frame = start; frame < end; frame++) {
      if (fread(raw, 1, RAW, bin) != RAW)
        Fail("track %d: short read", tracks[i].number);
      for (int s = 0; s < RAW; s += 4) {
        int left = (short)(raw[s] | (raw[s + 1] << 8)), right = (short)(raw[s + 2] | (raw[s + 3] << 8));
        if (frame < tracks[i].index1) {
          if (left || right)
            Fail("track 2: the pregap is not silence");
          continue;
        }
        if (left > 4000 || left < -4000)
          loud++;
        if ((left > 0 && last <= 0) || (left < 0 && last >= 0))
          crossings++;
        last = left;
      }
    }
    if (end - tracks[i].index1 < 300 || loud < 44100 || !pitches.insert(crossings / ((end - tracks[i].index1) / 75)).second)
      Fail("track %d: not 4 seconds of a sound with a pitch of its own", tracks[i].number);
  }
  printf("ok: %d audio tracks, silence before the first, each its own tone\n", (int)tracks.size() - 1);
  return 0;
}
