/* The directory records of an ISO 9660 image, read by hand from the primary
 * volume descriptor down, for where each file's data lies on the disc: the
 * sectors a mapfile of bad areas is set against, and the files of an image
 * whose end is missing. Primary names only (level 1 on the game's CD, so
 * the same names as Joliet's in another case), with their ";1". A file in
 * several extents (the records before its last carry the multi-extent flag)
 * comes as one file; a file of no bytes has no extent. No Win32. */
#ifndef ISODIR_H
#define ISODIR_H

#include <stddef.h>
#include <stdint.h>

enum { ISO_SECTOR = 2048, ISO_MAX_EXTENTS = 16, ISO_PATH_SIZE = 260 };

struct IsoExtent {
    uint64_t offset;    /* in the image, in bytes */
    uint64_t size;
};

/* One regular file, or a directory (its records' own extent, the root's
 * path ""): path '/'-separated from the root, as the records name it.
 * Answering 0 stops the walk (which then answers 0 with reason untouched). */
typedef int (*IsoFileVisit)(void *context, const char *path, int isDirectory, uint64_t size,
                            const IsoExtent *extents, int extentCount);

/* Reads count bytes of the image at byte at: the count read, fewer at its
 * end, -1 with errno on an error. */
typedef long (*IsoRead)(void *context, void *buffer, size_t count, uint64_t at);

/* Walks every directory of the image that read reads. *volumeBytes
 * gets the size the primary volume descriptor gives the volume. 1 when
 * every directory was read; 0 with a reason ("not an ISO 9660 image",
 * "cannot read the directory at byte N: ..."). */
int ReadIsoDirectory(IsoRead read, void *readContext, IsoFileVisit visit, void *context,
                     uint64_t *volumeBytes, char *reason, size_t reasonSize);

#endif
