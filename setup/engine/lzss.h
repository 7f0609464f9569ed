/* LZSS decoding of one compressed chunk of a container entry.
 *
 * Stream layout: groups of one flag byte and up to eight items, taken from the
 * flag byte's least significant bit upwards. A 1 bit is a literal byte; a 0 bit
 * is a reference of two bytes B0 B1 into a 4096-byte ring: offset
 * B0 + 256 * (B1 >> 4), length (B1 & 0x0F) + 3. The ring starts zero-filled
 * with its write position at 4078, fresh for every chunk; a reference is copied
 * byte by byte, so one that overlaps the bytes it writes repeats them. There is
 * no end marker: the stream ends with its input.
 *
 * No Win32 here: the same code runs in OUTFIT.EXE and in the native tools. */
#ifndef TT_LZSS_H
#define TT_LZSS_H

#include <stddef.h>

#define LZSS_RING_SIZE 4096
#define LZSS_RING_START 4078 /* 4096 - 18 */
#define LZSS_MIN_MATCH 3
#define LZSS_MAX_MATCH 18

/* Results of LzssDecode. */
#define LZSS_OK 0          /* the input was used up; every item was decoded */
#define LZSS_OUTPUT_FULL 1 /* the stream holds more than the output capacity */
#define LZSS_TRUNCATED 2   /* the input ended one byte into a reference; that byte was ignored */

/* Decodes inputLength bytes at input into output, which holds outputCapacity
 * bytes. Never writes outside output[0 .. outputCapacity-1]; bytes past the
 * count produced may be overwritten with scratch values. *produced receives the
 * number of bytes decoded (on LZSS_OUTPUT_FULL: outputCapacity). Keeps no
 * state between calls. */
int LzssDecode(const unsigned char *input, size_t inputLength,
               unsigned char *output, size_t outputCapacity, size_t *produced);

/* A short English name of a result, for messages. */
const char *LzssStatusText(int status);

#endif
