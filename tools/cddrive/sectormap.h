/* Unreadable sectors of a CD: the bad areas of a GNU ddrescue mapfile, or
 * sectors named one by one, kept as sorted, merged ranges of 2048-byte
 * sectors. No Win32, no FUSE: the test drive (cddrive.cpp) and the native
 * tools share it.
 *
 * A ddrescue mapfile is text: comment lines starting with '#', one status
 * line "current_pos current_status [current_pass]", then one line per area,
 * "pos size status", numbers in C form (0x... hex, or decimal). Status '+'
 * is rescued; '-' (bad sector), '*' (non-trimmed), '/' (non-scraped) and
 * '?' (non-tried) all count as unreadable: an area that was never read
 * holds no data of the disc. An area that covers part of a sector makes
 * the whole sector unreadable. */
#ifndef TT_SECTORMAP_H
#define TT_SECTORMAP_H

#include <stddef.h>
#include <stdint.h>

#define CD_SECTOR 2048
#define SECTORMAP_MAX 4096  /* ranges after merging */

struct SectorRange {
  uint64_t first, last;  /* sectors, inclusive */
};

struct SectorMap {
  SectorRange range[SECTORMAP_MAX];
  int count;
};

/* Empties the map. */
void SectorMapClear(SectorMap *map);

/* Marks sectors first..last (inclusive) unreadable. 1 done; 0 when the map
 * is full (it is then unchanged). */
int SectorMapAdd(SectorMap *map, uint64_t first, uint64_t last);

/* Marks every sector that bytes pos..pos+size-1 of the disc touch. Size 0
 * marks nothing. 1 done; 0 when the map is full. */
int SectorMapAddBytes(SectorMap *map, uint64_t pos, uint64_t size);

/* Adds the unreadable areas of a mapfile held in text (len bytes, need not
 * end in NUL). 1 done; 0 with a reason naming the line ("line 4: size is
 * not a number") in the caller's buffer (may be NULL), the map then holding
 * what came before that line. */
int SectorMapParseMapfile(SectorMap *map, const char *text, size_t len,
                          char *reason, size_t reasonSize);

/* The same from a file. */
int SectorMapReadMapfile(SectorMap *map, const char *path, char *reason, size_t reasonSize);

/* 1 when bytes pos..pos+size-1 of the disc touch an unreadable sector;
 * with firstBad (may be NULL) the byte position of the first such sector's
 * start, or pos itself when the read begins inside it. Size 0 touches none. */
int SectorMapTouches(const SectorMap *map, uint64_t pos, uint64_t size, uint64_t *firstBad);

/* Sectors a file of size bytes takes (0 for an empty file). */
uint64_t SectorsFor(uint64_t size);

#endif
