/* LZSS encoding with hash chains.
 *
 * The input is copied behind a few zero bytes that stand for the fresh ring:
 * the decoder reads zeros before the start of a chunk, so a chunk that starts
 * with zeros can refer to them at once. Positions are hashed on their first
 * three bytes; each hash bucket heads a chain of earlier positions with the
 * same hash, newest first, linked through a table indexed by position modulo
 * the window, which is all the chain ever needs since older positions are out
 * of reach. */
#include "tools/mkcd/lzssenc.h"

#include "setup/engine/lzss.h"

#include <stdint.h>
#include <vector>

#define HASH_BITS 15
#define ZERO_HISTORY LZSS_MAX_MATCH

size_t LzssEncodeBound(size_t length)
{
  return length + (length + 7) / 8;
}

static inline uint32_t Hash3(const unsigned char *p)
{
  uint32_t v = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16);
  return (v * 2654435761u) >> (32 - HASH_BITS);
}

size_t LzssEncode(const unsigned char *input, size_t length, unsigned char *output,
                  int chainDepth)
{
  if (chainDepth <= 0)
    chainDepth = 128;
  std::vector<unsigned char> buffer(ZERO_HISTORY, 0);
  buffer.insert(buffer.end(), input, input + length);
  const unsigned char *buf = buffer.data();
  const size_t end = ZERO_HISTORY + length;
  std::vector<int32_t> head((size_t)1 << HASH_BITS, -1);
  std::vector<int32_t> prev(LZSS_RING_SIZE, -1);

  size_t nextInsert = 0;
  auto insertUpTo = [&](size_t limit) {
    for (; nextInsert < limit; nextInsert++) {
      if (nextInsert + 3 > end)
        continue;
      uint32_t h = Hash3(buf + nextInsert);
      prev[nextInsert & (LZSS_RING_SIZE - 1)] = head[h];
      head[h] = (int32_t)nextInsert;
    }
  };
  /* Longest match for position p (0 when below the minimum), its distance in *distance. */
  auto find = [&](size_t p, size_t *distance) -> size_t {
    size_t maxLength = end - p < LZSS_MAX_MATCH ? end - p : LZSS_MAX_MATCH;
    if (maxLength < LZSS_MIN_MATCH)
      return 0;
    size_t best = LZSS_MIN_MATCH - 1;
    int32_t q = head[Hash3(buf + p)];
    for (int depth = chainDepth; q >= 0 && depth > 0; depth--) {
      size_t d = p - (size_t)q;
      if (d > LZSS_RING_SIZE)
        break;
      const unsigned char *a = buf + q, *b = buf + p;
      if (a[best] == b[best]) {
        size_t n = 0;
        while (n < maxLength && a[n] == b[n])
          n++;
        if (n > best) {
          best = n;
          *distance = d;
          if (n == maxLength)
            break;
        }
      }
      int32_t next = prev[q & (LZSS_RING_SIZE - 1)];
      if (next >= q)
        break; /* the slot was taken by a newer position: the chain ends here */
      q = next;
    }
    return best >= LZSS_MIN_MATCH ? best : 0;
  };

  size_t o = 0, flagAt = 0;
  int items = 8;
  auto startItem = [&]() {
    if (items == 8) {
      flagAt = o++;
      output[flagAt] = 0;
      items = 0;
    }
  };
  auto literal = [&](size_t p) {
    startItem();
    output[flagAt] |= (unsigned char)(1u << items);
    items++;
    output[o++] = buf[p];
  };
  auto reference = [&](size_t p, size_t n, size_t d) {
    startItem();
    items++;
    size_t position = p - ZERO_HISTORY;
    unsigned offset = (unsigned)((LZSS_RING_START + position - d) & (LZSS_RING_SIZE - 1));
    output[o++] = (unsigned char)(offset & 0xFF);
    output[o++] = (unsigned char)(((offset >> 8) << 4) | (unsigned)(n - LZSS_MIN_MATCH));
  };

  size_t p = ZERO_HISTORY;
  size_t length0 = 0, distance0 = 0;
  bool pending = false; /* length0/distance0 already hold the match at p */
  while (p < end) {
    if (!pending) {
      insertUpTo(p);
      length0 = find(p, &distance0);
    }
    pending = false;
    if (length0 && length0 < LZSS_MAX_MATCH && p + 1 < end) {
      insertUpTo(p + 1);
      size_t distance1 = 0;
      size_t length1 = find(p + 1, &distance1);
      if (length1 > length0) {
        literal(p);
        p++;
        length0 = length1;
        distance0 = distance1;
        pending = true;
        continue;
      }
    }
    if (length0) {
      reference(p, length0, distance0);
      p += length0;
    } else {
      literal(p);
      p++;
    }
  }
  return o;
}
