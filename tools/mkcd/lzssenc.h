/* LZSS encoding in the stream layout that setup/engine/lzss.h decodes:
 * greedy parsing with one step of lazy evaluation, matches found through hash
 * chains over the 4096-byte window, the zero-filled ring before the start
 * usable like any other history. */
#ifndef TT_LZSSENC_H
#define TT_LZSSENC_H

#include <stddef.h>

/* The most bytes LzssEncode can write for length input bytes: every byte a
 * literal, one flag byte per eight. */
size_t LzssEncodeBound(size_t length);

/* Encodes length bytes at input into output (at least
 * LzssEncodeBound(length) bytes) and returns the count written. chainDepth
 * bounds the candidates tried per position (0: the default of 128; larger
 * finds a few more matches, slower). */
size_t LzssEncode(const unsigned char *input, size_t length, unsigned char *output,
                  int chainDepth);

#endif
