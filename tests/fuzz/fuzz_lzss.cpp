/* Fuzzes LzssDecode against the plain ring decoder: same result, same byte
 * count, same bytes, and never a byte outside the output buffer (the buffer
 * is exactly the capacity long, so AddressSanitizer sees any overrun).
 * Input: two bytes of output capacity (little-endian, up to 64 KiB), then
 * the stream. */
#include "setup/engine/lzss.h"
#include "tests/bench/lzssref.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  if (size < 2)
    return 0;
  size_t capacity = (size_t)data[0] | ((size_t)data[1] << 8);
  data += 2;
  size -= 2;
  /* Exactly sized copies, so that reading past the input is caught too. */
  std::vector<unsigned char> input(data, data + size);
  unsigned char *fast = (unsigned char *)malloc(capacity ? capacity : 1);
  unsigned char *plain = (unsigned char *)malloc(capacity ? capacity : 1);
  size_t fastCount = 0, plainCount = 0;
  int a = LzssDecode(input.data(), size, fast, capacity, &fastCount);
  int b = LzssReferenceDecode(input.data(), size, plain, capacity, &plainCount);
  if (a != b || fastCount != plainCount || fastCount > capacity ||
      memcmp(fast, plain, fastCount) != 0)
    abort();
  free(fast);
  free(plain);
  return 0;
}
