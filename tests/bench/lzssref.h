/* The plain way to decode the game's LZSS chunks: one byte at a time through
 * the 4096-byte ring. Slow and obviously right; the benchmark measures the
 * engine's decoder against it and the tests and fuzzers compare the two. */
#ifndef TT_LZSSREF_H
#define TT_LZSSREF_H

#include <stddef.h>

/* Same contract and results as LzssDecode (setup/engine/lzss.h), except that
 * nothing past the bytes produced is ever written. */
int LzssReferenceDecode(const unsigned char *input, size_t inputLength,
                        unsigned char *output, size_t outputCapacity, size_t *produced);

#endif
