/* Deterministic stand-in game data: the same kind, size and seed give the
 * same bytes on every machine and every run. */
#ifndef TT_GENDATA_H
#define TT_GENDATA_H

#include <stddef.h>
#include <stdint.h>

/* Kinds of data, from the most to the least compressible:
 *   table   comma-separated records, CR LF lines (level scripts, object lists)
 *   text    prose from a word list, CR LF lines (dialogue, help texts)
 *   image   8-bit pixels in smooth areas and flat runs (sprites, textures)
 *   binary  fixed-size records of small numbers (maps, object data)
 *   exe     an executable's look: headers, code-like bytes, strings, padding
 *   mixed   64 KiB blocks of the kinds above in turn
 *   sound   8-bit PCM tones with a little noise (barely compressible)
 *   noise   random bytes (video, already compressed data)
 *   icon    a valid 32 x 32 16-colour Windows icon; its size is always 766 */
#define GEN_TABLE 0
#define GEN_TEXT 1
#define GEN_IMAGE 2
#define GEN_BINARY 3
#define GEN_EXE 4
#define GEN_MIXED 5
#define GEN_SOUND 6
#define GEN_NOISE 7
#define GEN_ICON 8
#define GEN_KINDS 9

#define GEN_ICON_SIZE 766

/* The kind named (as above), or -1. */
int GenerateKindFromName(const char *name);
const char *GenerateKindName(int kind);

/* Fills out[0 .. size-1]. */
void GenerateData(int kind, uint64_t seed, unsigned char *out, size_t size);

#endif
