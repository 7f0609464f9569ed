/* The data track of a CD image kept as rippers keep it: a CUE sheet and
 * the files it names, or a bare BIN of raw Mode 1 sectors. The data track is
 * the cue's first MODE1/2352 or MODE1/2048 track; its user data, 2048 bytes
 * a sector, is the ISO 9660 image that cdsource.cpp reads.
 *
 * Files named by a cue are taken relative to the cue's directory (absolute
 * names as written); one not found there is looked for by its last
 * component beside the cue, as a cue moved with its files is. Every file
 * named must be there and be a regular file, audio files too, although
 * only the data track is read. Raw sectors are checked as they are read:
 * sync, mode and EDC. No Win32. */
#ifndef TT_CUEIMAGE_H
#define TT_CUEIMAGE_H

#include <stddef.h>
#include <stdint.h>

#define CUE_MAX_SIZE (64 * 1024) /* a longer file is no cue sheet */

struct CdTrack {
  int fd;              /* the file that holds the data track */
  uint64_t start;      /* the byte of its first sector in that file */
  uint32_t sectorSize; /* 2048 (user data only) or 2352 (raw sectors) */
  uint64_t sectors;    /* its sectors */
};

/* 1 when the file at path, open on fd, is read as a cue sheet (its name
 * ends in ".cue") or a bare BIN (it starts with a raw Mode 1 sector). */
int IsTrackImage(const char *path, int fd);

/* The data track of the image at path, open on fd: 1 with *track, whose fd
 * the caller closes; 0 with a reason ("damaged cue sheet: line 3: ...",
 * "the cue sheet names \"X.BIN\", which is missing", "the CD image is cut
 * short: ...", "the cue sheet has no data track ..."). */
int OpenTrackImage(const char *path, int fd, struct CdTrack *track, char *reason, size_t reasonSize);

/* Copies count bytes of the track's user data from offset on: the count
 * copied, fewer only at the track's end, or -1 with a reason for a read
 * error or a damaged sector. */
long ReadTrackData(const struct CdTrack *track, uint64_t offset, void *buffer, size_t count, char *reason,
                   size_t reasonSize);

#endif
