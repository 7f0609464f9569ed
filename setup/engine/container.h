/* Reading the game's containers: a data file (.CFL) of entries back to back
 * and an index file (.CFI) of 268-byte records, one per entry, in data order.
 *
 *   index record:  264 bytes entry name, NUL-terminated; 4 bytes entry size
 *                  (little-endian), the bytes the entry occupies in the data
 *                  file including its 8-byte header
 *   entry:         4 bytes first header word (not used); 4 bytes chunk flag;
 *                  then, with flag 0, the file's bytes as they are, otherwise
 *                  a sequence of chunks filling the entry exactly
 *   chunk:         4 bytes expanded length (at most 1 MiB); 4 bytes stored
 *                  length, signed: > 0 an LZSS payload of that many bytes,
 *                  <= 0 a raw payload of minus that many bytes, whose length
 *                  must equal the expanded length; then the payload
 *
 * Every check here writes a short English reason into the caller's buffer
 * when it answers 0, and answers 1 when the data is sound. Nothing here
 * allocates or touches files. No Win32 here: the same code runs in OUTFIT.EXE
 * and in the native tools. */
#ifndef TT_CONTAINER_H
#define TT_CONTAINER_H

#include <stddef.h>
#include <stdint.h>

#define CFI_ENTRY_SIZE 268
#define CFI_NAME_SIZE 264
#define CFL_HEADER_SIZE 8       /* entry header and chunk header alike */
#define CFL_MAX_CHUNK 1048576   /* largest expanded length and payload of a chunk */

/* Little-endian 32-bit words, byte by byte. */
uint32_t ReadLe32(const unsigned char *p);
void WriteLe32(unsigned char *p, uint32_t value);

/* The index must be a non-zero whole number of records. */
int CheckIndexSize(size_t indexSize, char *reason, size_t reasonSize);

/* Record number (from 0) of an index that passed CheckIndexSize: copies its
 * name into name (CFI_NAME_SIZE bytes) and its size into *entrySize. Refuses
 * a name without NUL within its 264 bytes, a name that IsSafeRelativePath
 * refuses, and an entry size below 8. */
int ReadIndexEntry(const unsigned char *index, size_t indexSize, size_t number,
                   char *name, uint32_t *entrySize, char *reason, size_t reasonSize);

/* The 8-byte header of an entry of entrySize bytes: *chunkFlag receives its
 * second word, *bodySize the bytes that follow the header. */
int ParseEntryHeader(const unsigned char *header, uint32_t entrySize,
                     uint32_t *chunkFlag, uint32_t *bodySize, char *reason, size_t reasonSize);

/* A chunk header, with bytesLeft bytes of the entry body not yet used (the
 * header's own 8 included). *expanded receives the expanded length, *stored
 * the stored length, *payload its absolute value. Refuses lengths over 1 MiB,
 * a raw chunk whose lengths differ, and a chunk that runs past the entry. */
int ParseChunkHeader(const unsigned char *header, uint32_t bytesLeft, uint32_t *expanded,
                     int32_t *stored, uint32_t *payload, char *reason, size_t reasonSize);

/* Whether an LzssDecode result yields the chunk: OK, or TRUNCATED (the lone
 * trailing byte is ignored), with at least the expanded length produced (the
 * chunk is the first expanded bytes; a padded last group may yield more).
 * OUTPUT_FULL, a stream larger than the 1 MiB buffer, is refused. */
int CheckDecodedChunk(int status, size_t produced, uint32_t expanded,
                      char *reason, size_t reasonSize);

/* Whether a name from the CD (an entry name, a file list destination, or the
 * two joined) stays inside the directory it is taken relative to, joined to
 * it as it stands. Accepted: a leading separator, doubled separators and "."
 * components (Windows joins through them), ".." that goes back down no
 * further than it came. Refused: NULL or empty; two separators at the start;
 * a colon anywhere (drive letters, streams); control characters; ".." that
 * climbs out; a component of dots and blanks other than "." and ".." (Windows
 * drops trailing dots and blanks, so ". ." would become ".."); a last
 * component that names no file; the device names CON, PRN, AUX, NUL,
 * COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$ and CLOCK$, with or without an
 * extension, in any component. */
int IsSafeRelativePath(const char *path);

/* 1 when the name from start to end (one component, without a separator)
 * opens a device in every directory: CON, PRN, AUX, NUL, COM1-COM9,
 * LPT1-LPT9 and the like, with an extension or trailing blanks too. */
int IsDeviceName(const char *start, const char *end);

/* Receives the expanded contents of a container walked by ValidateContainer:
 * for each entry first a call with bytes NULL and count 0, then one call per
 * raw block or chunk. Answering 0 stops the walk. */
typedef int (*ContainerSink)(void *context, size_t entry, const char *name,
                             const unsigned char *bytes, size_t count);

/* Checks a whole container held in memory: the index, every record, the
 * entries filling the data exactly, every chunk header, and every LZSS
 * payload decoded into work (CFL_MAX_CHUNK bytes, the caller's). sink may be
 * NULL. Reasons name the entry and the byte position in the data file. */
int ValidateContainer(const unsigned char *index, size_t indexSize,
                      const unsigned char *data, size_t dataSize, unsigned char *work,
                      ContainerSink sink, void *context, char *reason, size_t reasonSize);

#endif
