#include "tests/bench/lzssref.h"

#include "setup/engine/lzss.h"

#include <string.h>

int LzssReferenceDecode(const unsigned char *input, size_t inputLength,
                        unsigned char *output, size_t outputCapacity, size_t *produced)
{
  unsigned char ring[LZSS_RING_SIZE + 16];
  memset(ring, 0, sizeof ring);
  unsigned r = LZSS_RING_START, flags = 0;
  long long remaining = (long long)inputLength;
  size_t o = 0;
  int status = LZSS_OK;
  for (;;) {
    if (((flags >>= 1) & 256) == 0) {
      if (--remaining < 0)
        break;
      flags = *input++ | 0xFF00;
    }
    if (flags & 1) {
      if (--remaining < 0)
        break;
      if (o == outputCapacity) {
        status = LZSS_OUTPUT_FULL;
        break;
      }
      unsigned char c = *input++;
      output[o++] = c;
      ring[r++] = c;
      r &= 0xFFF;
    } else {
      remaining -= 2;
      if (remaining < 0) {
        if (remaining == -1)
          status = LZSS_TRUNCATED;
        break;
      }
      unsigned i = input[0], j = input[1];
      input += 2;
      i |= (j & 0xF0) << 4;
      j = (j & 0x0F) + 2;
      unsigned k;
      for (k = 0; k <= j && o < outputCapacity; k++) {
        unsigned char c = ring[(i + k) & 0xFFF];
        output[o++] = c;
        ring[r++] = c;
        r &= 0xFFF;
      }
      if (k <= j) {
        status = LZSS_OUTPUT_FULL;
        break;
      }
    }
  }
  *produced = o;
  return status;
}
