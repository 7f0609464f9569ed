/* The game's CD for the native installer: a directory (a mounted or copied
 * CD), an ISO 9660 image file, or the data track of a BIN/CUE image (a cue
 * sheet or a bare BIN, see cueimage.h), images read through libarchive.
 *
 * Files are named by their path on the CD in Windows form, relative to its
 * root: "DATA1\\FILELIST.WD". Both '\\' and '/' separate components, one
 * leading separator is allowed, and each component is matched without
 * regard to ASCII case. Names on the CD are compared without ";1"-style
 * version suffixes and trailing dots. Refused: empty names and components,
 * components of dots only ("." and ".."), names of CD_NAME_MAX characters or
 * more. In a directory, symbolic links are never followed (the CD root
 * itself may be one), and only regular files open.
 *
 * One CD at a time, up to CD_MAX_OPEN_FILES files open at once, each read
 * sequentially. Not thread-safe. Functions that answer 0 or -1 write a short
 * English reason into the caller's buffer (which may be NULL). No Win32. */
#ifndef TT_CDSOURCE_H
#define TT_CDSOURCE_H

#include "tools/ttinstall/isodir.h"

#include <stddef.h>
#include <stdint.h>

#define CD_NAME_MAX 260          /* a name on the CD, with its NUL */
#define CD_MAX_OPEN_FILES 4
#define CD_MAX_IMAGE_FILES 2048  /* regular files an image may hold */

/* Opens the CD at path, closing any CD open before. 1 opened; 0 with a
 * reason ("no such file or directory", "not a directory or a CD image",
 * "damaged CD image: ...", "unreadable: ...", or a BIN/CUE image's own,
 * "the cue sheet names ..."). An image is read through
 * once here, for its table of files. */
int OpenCdSource(const char *path, char *reason, size_t reasonSize);

/* With on set, an image opened after it is read by its own directory
 * records and its files by their extents, without libarchive, whose reads
 * ahead would reach into areas a mapfile says are bad. Primary names only. */
void CdReadImagesByRecords(int on);

/* Closes the open files and the CD. */
void CloseCdSource(void);

/* 1 when the open CD is an image file. */
int CdSourceIsImage(void);

/* 1 when that image is a BIN/CUE image (its ISO 9660 bytes are the user
 * data of its data track). */
int CdSourceIsTrackImage(void);

/* 1 with *size when a regular file of that name is on the CD. */
int CdFileSize(const char *name, uint64_t *size);

/* Opens a file for sequential reading: a handle >= 0 with *size (size may
 * be NULL), or -1 with a reason ("not on the CD", "unreadable: ..."). */
int CdOpenFile(const char *name, uint64_t *size, char *reason, size_t reasonSize);

/* Reads exactly count bytes, fewer only at the end of the file: the count
 * read (0 at the end), or -1 with a reason on a read error, a file that
 * ends before its size, or a bad handle. */
long CdReadFile(int handle, void *buffer, size_t count, char *reason, size_t reasonSize);

/* Closes a handle from CdOpenFile; other values are ignored. */
void CdCloseFile(int handle);

/* After CdReadFile failed on a read error: finds the unreadable bytes from
 * the file's next one on, reading each 2048-byte sector once (a drive is
 * slow to fail a sector, and a bad area is not made better by asking
 * again). 1 with the area in *from and *to (bytes of the file, to
 * exclusive; the file then reads on after it); 0 when nothing from there
 * fails. A file of an image is read on by its extents in the image. */
int CdSkipUnreadable(int handle, uint64_t *from, uint64_t *to);

/* Moves a file forward to byte position of it without reading what lies
 * between (a file of an image is then read by its extents). 1 done. */
int CdSeekFile(int handle, uint64_t position);

/* The open image's own directory records, walked (isodir.h), with its size
 * and the size its volume descriptor gives it. 0 with a reason. */
int CdWalkImage(IsoFileVisit visit, void *context, uint64_t *imageBytes, uint64_t *volumeBytes,
                char *reason, size_t reasonSize);

/* 1 when a directory of that name is on the CD. */
int CdDirectoryExists(const char *name);

/* What the last failure of CdOpenFile, CdReadFile or CdFileSize was, for
 * what the user must do about it: the name is not on the CD (or not one it
 * can have), permission is refused (the CD's files need another owner or
 * mode), or the data is damaged or unreadable (an I/O error, a file or an
 * image that ends early: a better copy of the disc is needed). */
enum { CD_FAILED_MISSING = 1, CD_FAILED_ACCESS, CD_FAILED_DAMAGED };
int CdLastFailure(void);

#endif
