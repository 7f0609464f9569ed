/* The files of a CD image that lie on the bad areas of a GNU ddrescue
 * mapfile (sectormap.h reads it), found from the image's own directory
 * records (isodir.h) without reading a byte of those areas. Ranges are
 * bytes of each file, the end exclusive. No Win32. */
#ifndef DAMAGEMAP_H
#define DAMAGEMAP_H

#include <stddef.h>
#include <stdint.h>

/* Reads the mapfile and walks the open CD image (cdsource.h). 1 done; 0
 * with the reason (the mapfile cannot be read or is not one, the CD is not
 * an image, its directory cannot be read). */
int LoadDamageMap(const char *mapfilePath, char *reason, size_t reasonSize);
void FreeDamageMap(void);

/* 1 when bytes start..start+size-1 of the CD's file name (in Windows form,
 * "DATA1\\X.CFL") touch a bad area, with the first such area's bytes. */
int DamageMapTouches(const char *name, uint64_t start, uint64_t size, uint64_t *from, uint64_t *to);

/* Each file or directory of the image on a bad area, in the order of the
 * walk: name '/'-separated, and its lost ranges. */
typedef void (*DamagedVisit)(void *context, const char *name, int isDirectory,
                             const uint64_t (*ranges)[2], int rangeCount);
void ForEachDamaged(DamagedVisit visit, void *context);

#endif
