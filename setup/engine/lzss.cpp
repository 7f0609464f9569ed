/* LZSS decoding without the ring.
 *
 * The ring only ever holds the last 4096 bytes of output (or zeros before
 * them), and the output buffer holds every byte of the chunk in order. So a
 * reference whose ring offset lies d bytes behind the ring position reads the
 * output byte d bytes behind the write position (4096 when offset and position
 * coincide), or a zero when that lies before the start of the chunk. Copying
 * from the output lets whole words move at once, which the ring's wrap-around
 * forbids.
 *
 * The main loop takes a whole flag group at a time while the input holds a
 * full group (17 bytes) plus the overrun of a word read, and the output has
 * room for eight longest references plus the overrun of word copies; near either end a careful loop
 * takes one item at a time with every bound checked. */
#include "setup/engine/lzss.h"

#include <stdint.h>
#include <string.h>

#define GROUP_INPUT_MAX 32   /* flag byte + 8 references, and the literal word's overrun */
#define GROUP_OUTPUT_MAX (8 * LZSS_MAX_MATCH + 32) /* 8 longest references + overrun */

static inline void Copy8(unsigned char *dst, const unsigned char *src)
{
  uint64_t v;
  memcpy(&v, src, 8);
  memcpy(dst, &v, 8);
}

static inline void Copy16(unsigned char *dst, const unsigned char *src)
{
  uint64_t a, b;
  memcpy(&a, src, 8);
  memcpy(&b, src + 8, 8);
  memcpy(dst, &a, 8);
  memcpy(dst + 8, &b, 8);
}

/* The number of literals before the next reference of a group, for every
 * value the loop's reference mask takes (a 1 bit per reference, a stop bit
 * at bit 8): its trailing zero bits. A table rather than a bit scan: the
 * 386's bsf is slow, and compilers tuned for today's processors write the
 * scan as tzcnt, which the 386 does not have. */
struct LiteralRuns {
  unsigned char count[512];
  constexpr LiteralRuns() : count()
  {
    for (int value = 1; value < 512; value++) {
      int zeros = 0;
      while (!((value >> zeros) & 1))
        zeros++;
      count[value] = (unsigned char)zeros;
    }
  }
};
static constexpr LiteralRuns literalRuns;

/* Distance in the output of a reference read at output position pos. */
static inline size_t ReferenceDistance(size_t pos, unsigned offset)
{
  size_t distance = (LZSS_RING_START + pos - offset) & (LZSS_RING_SIZE - 1);
  return distance ? distance : LZSS_RING_SIZE;
}

/* A reference whose source lies wholly inside the output already written.
 * Writes up to 24 bytes from dst whatever the length; the caller leaves room. */
static inline void CopyReference(unsigned char *dst, size_t distance, unsigned length)
{
  const unsigned char *src = dst - distance;
  if (__builtin_expect(distance >= 16, 1)) {
    Copy16(dst, src);
    Copy8(dst + 16, src + 16);
  } else if (distance >= 8) {
    Copy8(dst, src);
    Copy8(dst + 8, src + 8);
    Copy8(dst + 16, src + 16);
  } else {
    /* Short distance: the run repeats a pattern of distance bytes. After the
     * first eight bytes the pattern also repeats at a multiple of the
     * distance that is at least 8, which allows word copies again. */
    static const unsigned char widened[8] = {0, 8, 8, 9, 8, 10, 12, 14};
    if (distance == 1) {
      memset(dst, src[0], 24);
      return;
    }
    for (int i = 0; i < 8; i++)
      dst[i] = src[i];
    if (length > 8) {
      const unsigned char *from = dst + 8 - widened[distance];
      Copy8(dst + 8, from);
      if (length > 16)
        Copy8(dst + 16, from + 8);
    }
  }
}

/* A reference near the start of the chunk: bytes before the start are the
 * zeros of the fresh ring. Byte by byte, within the given room. Returns the
 * number of bytes written (less than length only when room ran out). */
static size_t CopyReferenceCareful(unsigned char *output, size_t pos, size_t distance,
                                   unsigned length, size_t room)
{
  size_t n = length < room ? length : room;
  for (size_t k = 0; k < n; k++) {
    size_t at = pos + k;
    output[at] = at >= distance ? output[at - distance] : 0;
  }
  return n;
}

/* A reference of the group loop, whose room the loop has checked: its two
 * bytes at ip, copied to op; the new output position. */
static inline unsigned char *GroupReference(const unsigned char *ip, unsigned char *op,
                                            unsigned char *output)
{
  unsigned b0 = ip[0], b1 = ip[1];
  unsigned length = (b1 & 0x0F) + LZSS_MIN_MATCH;
  size_t pos = (size_t)(op - output);
  size_t distance = ReferenceDistance(pos, b0 | ((b1 & 0xF0) << 4));
  if (__builtin_expect(distance <= pos, 1))
    CopyReference(op, distance, length);
  else
    CopyReferenceCareful(output, pos, distance, length, length);
  return op + length;
}

int LzssDecode(const unsigned char *input, size_t inputLength,
               unsigned char *output, size_t outputCapacity, size_t *produced)
{
  const unsigned char *ip = input;
  const unsigned char *iend = input + inputLength;
  unsigned char *op = output;
  unsigned char *oend = output + outputCapacity;
  int status = LZSS_OK;

  while (iend - ip >= GROUP_INPUT_MAX && oend - op >= GROUP_OUTPUT_MAX) {
    /* Eight literals, as incompressible data is coded: one word, and on to
     * the next group. */
    if (*ip == 0xFF) {
      Copy8(op, ip + 1);
      op += 8;
      ip += 9;
      continue;
    }
    /* Eight references, as well-packed data is mostly coded: no literal
     * runs to look for between them. */
    if (*ip == 0x00) {
      ip++;
      for (int k = 0; k < 8; k++)
        op = GroupReference(ip + 2 * k, op, output);
      ip += 16;
      continue;
    }
    /* One bit per reference, and a stop bit after the eighth item: each turn
     * takes a run of literals (moved as one word) and the reference after it. */
    unsigned references = (~(unsigned)*ip++ & 0xFF) | 0x100;
    for (;;) {
      unsigned literals = literalRuns.count[references];
      Copy8(op, ip);
      op += literals;
      ip += literals;
      references >>= literals;
      if (references == 1)
        break;
      references >>= 1;
      op = GroupReference(ip, op, output);
      ip += 2;
    }
  }

  /* The careful loop: one item at a time, as the stream defines it. */
  while (ip < iend) {
    unsigned flags = *ip++;
    for (int item = 0; item < 8 && status == LZSS_OK; item++, flags >>= 1) {
      if (ip == iend)
        break;
      if (flags & 1) {
        if (op == oend) {
          status = LZSS_OUTPUT_FULL;
          break;
        }
        *op++ = *ip++;
        continue;
      }
      if (iend - ip < 2) {
        status = LZSS_TRUNCATED;
        break;
      }
      unsigned b0 = ip[0], b1 = ip[1];
      ip += 2;
      unsigned length = (b1 & 0x0F) + LZSS_MIN_MATCH;
      size_t pos = (size_t)(op - output);
      size_t distance = ReferenceDistance(pos, b0 | ((b1 & 0xF0) << 4));
      size_t room = (size_t)(oend - op);
      op += CopyReferenceCareful(output, pos, distance, length, room);
      if (room < length)
        status = LZSS_OUTPUT_FULL;
    }
    if (status != LZSS_OK)
      break;
  }

  *produced = (size_t)(op - output);
  return status;
}

const char *LzssStatusText(int status)
{
  switch (status) {
  case LZSS_OK:
    return "complete";
  case LZSS_OUTPUT_FULL:
    return "more output than room";
  case LZSS_TRUNCATED:
    return "ends inside a reference";
  }
  return "unknown result";
}
