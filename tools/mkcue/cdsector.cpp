/* Mode 1 sectors: the EDC and the P and Q parity of the Reed-Solomon
 * product code, computed with tables over GF(2^8) (x^8+x^4+x^3+x^2+1). */
#include "tools/mkcue/cdsector.h"

#include <string.h>

static const unsigned char syncPattern[12] = { 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00 };

static uint32_t edcTable[256];
static unsigned char eccForward[256];  /* x times alpha */
static unsigned char eccBackward[256]; /* x divided by alpha + 1 */
static int tablesMade;

static void MakeTables(void)
{
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t edc = i;
    for (int bit = 0; bit < 8; bit++)
      edc = (edc >> 1) ^ ((edc & 1) ? 0xD8018001u : 0);
    edcTable[i] = edc;
    uint32_t forward = (i << 1) ^ ((i & 0x80) ? 0x11D : 0);
    eccForward[i] = (unsigned char)forward;
    eccBackward[i ^ forward] = (unsigned char)i;
  }
  tablesMade = 1;
}

uint32_t CdEdc(const unsigned char *bytes, size_t count)
{
  if (!tablesMade)
    MakeTables();
  uint32_t edc = 0;
  for (size_t i = 0; i < count; i++)
    edc = (edc >> 8) ^ edcTable[(edc ^ bytes[i]) & 0xFF];
  return edc;
}

/* The parity of one code over the 2064 bytes from the header on: majorCount
 * vectors (the two bytes of each 16-bit word in vectors of their own) of
 * minorCount bytes, vector v starting at (v / 2) * majorStep + v % 2 and
 * stepping minorStep, modulo the area. Two parity bytes per vector go to
 * parity[v] and parity[v + majorCount]. */
static void ComputeParity(const unsigned char *area, size_t majorCount, size_t minorCount, size_t majorStep,
                          size_t minorStep, unsigned char *parity)
{
  size_t size = majorCount * minorCount;
  for (size_t major = 0; major < majorCount; major++) {
    size_t index = (major >> 1) * majorStep + (major & 1);
    unsigned char a = 0, b = 0;
    for (size_t minor = 0; minor < minorCount; minor++) {
      unsigned char byte = area[index];
      index += minorStep;
      if (index >= size)
        index -= size;
      a ^= byte;
      b ^= byte;
      a = eccForward[a];
    }
    a = eccBackward[eccForward[a] ^ b];
    parity[major] = a;
    parity[major + majorCount] = (unsigned char)(a ^ b);
  }
}

static unsigned char Bcd(uint32_t n)
{
  return (unsigned char)(((n / 10) << 4) | (n % 10));
}

void CdMakeMode1Sector(uint32_t lba, const unsigned char *data, unsigned char *sector)
{
  if (!tablesMade)
    MakeTables();
  uint32_t address = lba + CD_ADDRESS_OFFSET;
  memcpy(sector, syncPattern, sizeof syncPattern);
  sector[12] = Bcd(address / (60 * CD_FRAMES_PER_SECOND));
  sector[13] = Bcd(address / CD_FRAMES_PER_SECOND % 60);
  sector[14] = Bcd(address % CD_FRAMES_PER_SECOND);
  sector[15] = 1;
  memcpy(sector + CD_USER_DATA_AT, data, CD_USER_DATA);
  uint32_t edc = CdEdc(sector, CD_EDC_AT);
  for (int i = 0; i < 4; i++)
    sector[CD_EDC_AT + i] = (unsigned char)(edc >> (8 * i));
  memset(sector + CD_EDC_AT + 4, 0, 8);
  ComputeParity(sector + 12, 86, 24, 2, 86, sector + 2076);   /* P: 43 columns of 24 words */
  ComputeParity(sector + 12, 52, 43, 86, 88, sector + 2248);  /* Q: 26 diagonals of 43 words and P */
}

int CdIsMode1Sector(const unsigned char *sector)
{
  return !memcmp(sector, syncPattern, sizeof syncPattern) && sector[15] == 1;
}

int CdMode1EdcMatches(const unsigned char *sector)
{
  uint32_t edc = CdEdc(sector, CD_EDC_AT);
  const unsigned char *s = sector + CD_EDC_AT;
  return edc == ((uint32_t)s[0] | ((uint32_t)s[1] << 8) | ((uint32_t)s[2] << 16) | ((uint32_t)s[3] << 24));
}
