/* Reading the game's CD from a directory, an ISO 9660 image or the data
 * track of a BIN/CUE image.
 *
 * A directory is walked one component at a time from a descriptor of its
 * root: each component is looked up by scanning its directory and opened
 * with openat and O_NOFOLLOW, so no symbolic link on the CD is followed and
 * no name leaves the root.
 *
 * An image is read by libarchive, which offers its files as a stream of
 * entries (Joliet or Rock Ridge names where the image has them). Opening the
 * image walks the stream once for a table of its regular files; opening a
 * file starts a stream of its own and skips the entries before it. libarchive
 * answers each entry whose data it has already given under another name as a
 * hard link to that name: the table gives it the data of its target. A
 * BIN/CUE image reaches libarchive as the user data of its data track
 * (cueimage.cpp), through the read callbacks of an image stream; the reads
 * by directory records and extents go through the same stream. */
#include "tools/ttinstall/cdsource.h"
#include "tools/ttinstall/cueimage.h"
#include "tools/ttinstall/isodir.h"

#include <archive.h>
#include <archive_entry.h>
#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define CD_SECTOR_BYTES 2048

/* libarchive reads the image in blocks of this size. It passes over the
 * data of an entry by skipping whole blocks and reading the rest of the last:
 * blocks of one sector, which every extent begins on, leave nothing to read,
 * and walking the table then reads the directories alone (on a CD drive,
 * every read elsewhere costs a seek). */
#define CD_IMAGE_BLOCK CD_SECTOR_BYTES

struct ImageFile {
  char name[CD_NAME_MAX];  /* normalised, '/'-separated, case as on the CD */
  uint64_t size;
  uint32_t entry;          /* the stream entry that carries its data, from 0 */
  int damaged;             /* libarchive could not describe it */
  int raw;                 /* libarchive never reached it: read by its extents */
  IsoExtent extents[4];
  int extentCount;
};

/* An image as it is read: the ISO file, or a data track. */
struct ImageStream {
  int fd;                  /* the image file as opened */
  int isTrack;
  struct CdTrack track;    /* when isTrack */
  uint64_t at;             /* the next byte of the track to read */
  char reason[160];        /* why the last read of a track failed */
  unsigned char block[CD_IMAGE_BLOCK];
};

struct CdHandle {
  int used;
  int fd;                  /* a file of a directory */
  struct archive *archive; /* of an image: NULL when it is read by its extents */
  struct ImageStream stream; /* of an image */
  uint64_t size;
  uint64_t done;
  size_t file;             /* of an image: its place in the table */
  int raw;                 /* of an image: read by its extents, past a read error */
  IsoExtent extents[ISO_MAX_EXTENTS];
  int extentCount;
};

static int g_open;
static int g_isImage;
static int g_isTrack;            /* the image is a BIN/CUE image's data track */
static int g_rootFd = -1;
static char g_imagePath[PATH_MAX];
static dev_t g_imageDev;
static ino_t g_imageIno;
static char g_imageWarning[128]; /* libarchive's first warning on the image */
static char g_imageCut[96];      /* how far a cut image goes */
static int g_byRecords;          /* images read by their directory records alone */
static struct ImageFile g_files[CD_MAX_IMAGE_FILES];
static size_t g_fileCount;
static struct CdHandle g_handles[CD_MAX_OPEN_FILES];
static struct ImageStream g_tableStream; /* the walk for the table */

static int g_failure; /* the kind of the last failure, CD_FAILED_... */

static int Refuse(char *reason, size_t reasonSize, const char *format, ...)
{
  g_failure = CD_FAILED_DAMAGED;
  if (reason && reasonSize) {
    va_list args;
    va_start(args, format);
    vsnprintf(reason, reasonSize, format, args);
    va_end(args);
  }
  return 0;
}

/* strerror in the lower case of the reasons. */
static const char *ErrorText(int error, char *text, size_t size)
{
  snprintf(text, size, "%s", strerror(error));
  text[0] = (char)tolower((unsigned char)text[0]);
  return text;
}

static int RefuseErrno(char *reason, size_t reasonSize, const char *prefix, int error)
{
  char text[96];
  Refuse(reason, reasonSize, "%s%s", prefix, ErrorText(error, text, sizeof text));
  g_failure = error == EACCES || error == EPERM ? CD_FAILED_ACCESS
              : error == ENOENT || error == ENOTDIR ? CD_FAILED_MISSING : CD_FAILED_DAMAGED;
  return 0;
}

/* A name the CD does not have (or may not be asked for). */
static int RefuseMissing(char *reason, size_t reasonSize, const char *format, ...)
{
  g_failure = CD_FAILED_MISSING;
  if (reason && reasonSize) {
    va_list args;
    va_start(args, format);
    vsnprintf(reason, reasonSize, format, args);
    va_end(args);
  }
  return 0;
}

static int SameName(const char *a, const char *b)
{
  for (;; a++, b++) {
    unsigned char x = (unsigned char)*a, y = (unsigned char)*b;
    if (x >= 'a' && x <= 'z')
      x = (unsigned char)(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z')
      y = (unsigned char)(y - 'a' + 'A');
    if (x != y)
      return 0;
    if (!x)
      return 1;
  }
}

/* A component as it is compared: without a version suffix (";" and digits)
 * and without trailing dots. n is its length; answers the length kept. */
static size_t TrimComponent(const char *s, size_t n)
{
  const char *semicolon = (const char *)memchr(s, ';', n);
  if (semicolon) {
    size_t at = (size_t)(semicolon - s), i = at + 1;
    while (i < n && isdigit((unsigned char)s[i]))
      i++;
    if (i == n)
      n = at;
  }
  while (n > 0 && s[n - 1] == '.')
    n--;
  return n;
}

/* A caller's name in the form of the table: components trimmed, joined by
 * '/'. 0 with a reason for the names refused (see cdsource.h). */
static int NormaliseName(const char *name, char *out, char *reason, size_t reasonSize)
{
  if (!name || !name[0])
    return RefuseMissing(reason, reasonSize, "empty name");
  if (strlen(name) >= CD_NAME_MAX)
    return RefuseMissing(reason, reasonSize, "name too long (%d characters at most)", CD_NAME_MAX - 1);
  const char *p = name;
  if (*p == '\\' || *p == '/')
    p++;
  size_t used = 0;
  for (;;) {
    size_t n = strcspn(p, "\\/");
    size_t dots = 0;
    while (dots < n && p[dots] == '.')
      dots++;
    if (n == 0)
      return RefuseMissing(reason, reasonSize, "empty component in \"%s\"", name);
    if (dots == n)
      return RefuseMissing(reason, reasonSize, "\".\" or \"..\" in \"%s\"", name);
    size_t kept = TrimComponent(p, n);
    if (kept == 0)
      return RefuseMissing(reason, reasonSize, "empty component in \"%s\"", name);
    if (used)
      out[used++] = '/';
    memcpy(out + used, p, kept);
    used += kept;
    p += n;
    if (!*p)
      break;
    p++;
  }
  out[used] = 0;
  return 1;
}

/* ---- Directories ---- */

/* Looks up a component in the directory dirFd and copies the entry's own
 * name into found (NAME_MAX + 1 bytes): an entry that equals it after
 * trimming is preferred over one that differs in case. 1 found, 0 not
 * there, -1 with errno. */
static int FindEntry(int dirFd, const char *want, char *found)
{
  int fd = dup(dirFd);
  if (fd < 0)
    return -1;
  DIR *dir = fdopendir(fd);
  if (!dir) {
    int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  rewinddir(dir); /* the duplicate shares the offset of earlier scans */
  int result = 0;
  errno = 0;
  for (struct dirent *d; (d = readdir(dir)) != NULL; errno = 0) {
    if (!strcmp(d->d_name, ".") || !strcmp(d->d_name, ".."))
      continue;
    char trimmed[CD_NAME_MAX];
    size_t n = strlen(d->d_name);
    if (n >= sizeof trimmed)
      continue;
    n = TrimComponent(d->d_name, n);
    memcpy(trimmed, d->d_name, n);
    trimmed[n] = 0;
    if (!SameName(trimmed, want))
      continue;
    if (!result || !strcmp(trimmed, want)) {
      snprintf(found, NAME_MAX + 1, "%s", d->d_name);
      result = 1;
      if (!strcmp(trimmed, want))
        break;
    }
  }
  int error = errno;
  closedir(dir);
  if (!result && error) {
    errno = error;
    return -1;
  }
  return result;
}

/* Walks the directories of a normalised name: *dirFd receives the
 * directory that holds its last component (g_rootFd or a descriptor the
 * caller closes), leaf that component's entry name. */
static int ResolveInDirectory(const char *normal, int *dirFd, char *leaf, char *reason, size_t reasonSize)
{
  int fd = g_rootFd;
  const char *p = normal;
  for (;;) {
    char component[CD_NAME_MAX];
    size_t n = strcspn(p, "/");
    memcpy(component, p, n);
    component[n] = 0;
    int found = FindEntry(fd, component, leaf);
    if (found <= 0) {
      int error = errno;
      if (fd != g_rootFd)
        close(fd);
      if (found < 0)
        return RefuseErrno(reason, reasonSize, "unreadable: ", error);
      return RefuseMissing(reason, reasonSize, "not on the CD");
    }
    if (!p[n]) {
      *dirFd = fd;
      return 1;
    }
    int next = openat(fd, leaf, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int error = errno;
    if (fd != g_rootFd)
      close(fd);
    if (next < 0) {
      if (error == ELOOP)
        return RefuseMissing(reason, reasonSize, "not on the CD: \"%s\" is a symbolic link, not followed", leaf);
      if (error == ENOTDIR || error == ENOENT)
        return RefuseMissing(reason, reasonSize, "not on the CD");
      return RefuseErrno(reason, reasonSize, "unreadable: ", error);
    }
    fd = next;
    p += n + 1;
  }
}

static int DirectoryFileSize(const char *normal, uint64_t *size)
{
  int dirFd;
  char leaf[NAME_MAX + 1];
  if (!ResolveInDirectory(normal, &dirFd, leaf, NULL, 0))
    return 0;
  struct stat st;
  int ok = fstatat(dirFd, leaf, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
  if (dirFd != g_rootFd)
    close(dirFd);
  if (ok && size)
    *size = (uint64_t)st.st_size;
  if (!ok)
    RefuseMissing(NULL, 0, "");
  return ok;
}

/* The file's descriptor, or -1 with a reason. */
static int OpenInDirectory(const char *normal, uint64_t *size, char *reason, size_t reasonSize)
{
  int dirFd;
  char leaf[NAME_MAX + 1];
  if (!ResolveInDirectory(normal, &dirFd, leaf, reason, reasonSize))
    return -1;
  /* O_NONBLOCK: opening a FIFO must not wait for a writer. */
  int fd = openat(dirFd, leaf, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  int error = errno;
  if (dirFd != g_rootFd)
    close(dirFd);
  if (fd < 0) {
    if (error == ELOOP)
      RefuseMissing(reason, reasonSize, "not on the CD: \"%s\" is a symbolic link, not followed", leaf);
    else
      RefuseErrno(reason, reasonSize, "unreadable: ", error);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    RefuseMissing(reason, reasonSize, "not on the CD");
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  *size = (uint64_t)st.st_size;
  return fd;
}

/* ---- Images ---- */

/* A name from libarchive in the form of the table; 0 for a name that has
 * no place there (too long, empty or dots-only components). */
static int NormaliseImageName(const char *path, char *out)
{
  if (!path)
    return 0;
  while (*path == '/' || (path[0] == '.' && path[1] == '/'))
    path += *path == '/' ? 1 : 2;
  size_t used = 0;
  const char *p = path;
  for (;;) {
    size_t n = strcspn(p, "/");
    size_t kept = TrimComponent(p, n);
    if (kept == 0)
      return n == 0 && p[n] == 0 && used > 0; /* only a directory's trailing '/' */
    if (used + (used ? 1 : 0) + kept >= CD_NAME_MAX)
      return 0;
    if (used)
      out[used++] = '/';
    memcpy(out + used, p, kept);
    used += kept;
    out[used] = 0;
    p += n;
    if (!*p)
      return 1;
    p++;
  }
}

static struct ImageFile *FindImageFile(const char *normal)
{
  struct ImageFile *match = NULL;
  for (size_t i = 0; i < g_fileCount; i++) {
    if (!SameName(g_files[i].name, normal))
      continue;
    if (!strcmp(g_files[i].name, normal))
      return &g_files[i];
    if (!match)
      match = &g_files[i];
  }
  return match;
}

static const char *ArchiveText(struct archive *a)
{
  const char *text = archive_error_string(a);
  return text ? text : "read error";
}

/* pread of the image's ISO 9660 bytes: the count read, fewer at its end,
 * -1 with errno on an error (EIO for a damaged sector of a data track,
 * whose reason is kept in the stream). */
static long ImagePread(struct ImageStream *s, void *buffer, size_t count, uint64_t at)
{
  if (!s->isTrack)
    return (long)pread(s->fd, buffer, count, (off_t)at);
  long n = ReadTrackData(&s->track, at, buffer, count, s->reason, sizeof s->reason);
  if (n < 0)
    errno = EIO;
  return n;
}

/* The size of the image's ISO 9660 bytes. */
static uint64_t ImageSize(struct ImageStream *s)
{
  struct stat st;
  if (s->isTrack)
    return s->track.sectors * CD_SECTOR_BYTES;
  return fstat(s->fd, &st) == 0 ? (uint64_t)st.st_size : 0;
}

/* Whether the image carries the ISO 9660 signature of the primary volume
 * descriptor, to tell a damaged image from another file. */
static int HasIsoSignature(struct ImageStream *s)
{
  char id[5];
  return ImagePread(s, id, sizeof id, 32768 + 1) == (long)sizeof id && !memcmp(id, "CD001", 5);
}

/* The reason for a failed read of the image's bytes, errno as ImagePread
 * left it. */
static void RefuseImageRead(struct ImageStream *s, char *reason, size_t reasonSize)
{
  if (s->isTrack)
    Refuse(reason, reasonSize, "unreadable: %s", s->reason);
  else
    RefuseErrno(reason, reasonSize, "unreadable: ", errno);
}

static la_ssize_t ReadStream(struct archive *a, void *data, const void **buffer)
{
  struct ImageStream *s = (struct ImageStream *)data;
  char reason[200];
  long n;
  if (s->isTrack) {
    n = ReadTrackData(&s->track, s->at, s->block, sizeof s->block, reason, sizeof reason);
  } else {
    do
      n = (long)read(s->fd, s->block, sizeof s->block);
    while (n < 0 && errno == EINTR);
    if (n < 0)
      snprintf(reason, sizeof reason, "%s", strerror(errno));
  }
  if (n < 0) {
    archive_set_error(a, EIO, "%s", reason);
    return -1;
  }
  s->at += (uint64_t)n;
  *buffer = s->block;
  return n;
}

/* Whole blocks only, as libarchive's reader of a descriptor skips (it
 * reads the rest): the reads stay on block boundaries, and one that serves
 * a file reaches no further into the sectors after it than that file's
 * block does. */
static la_int64_t SkipStream(struct archive *a, void *data, la_int64_t request)
{
  struct ImageStream *s = (struct ImageStream *)data;
  (void)a;
  request = request / CD_IMAGE_BLOCK * CD_IMAGE_BLOCK;
  if (request <= 0)
    return 0;
  if (s->isTrack) {
    uint64_t left = ImageSize(s) > s->at ? ImageSize(s) - s->at : 0;
    if ((uint64_t)request > left)
      request = (la_int64_t)left;
    s->at += (uint64_t)request;
    return request;
  }
  if (lseek(s->fd, request, SEEK_CUR) < 0)
    return 0;
  s->at += (uint64_t)request;
  return request;
}

/* The reason for a failure of libarchive on the image, opening the image
 * or reading a file of it: the image's shortfall where it is shorter than
 * its primary volume descriptor says (a copy cut short is the usual
 * damage), else libarchive's own. */
static void RefuseDamaged(struct ImageStream *s, int reading, struct archive *a, char *reason, size_t reasonSize)
{
  unsigned char le[4];
  if (ImagePread(s, le, sizeof le, 32768 + 80) == (long)sizeof le) {
    uint64_t want = 2048 * (uint64_t)(le[0] | (le[1] << 8) | (le[2] << 16) | ((uint32_t)le[3] << 24));
    uint64_t size = ImageSize(s);
    if (size < want) {
      Refuse(reason, reasonSize, "%sthe CD image is cut short (%llu of %llu bytes)",
             reading ? "unreadable: " : "", (unsigned long long)size, (unsigned long long)want);
      return;
    }
  }
  Refuse(reason, reasonSize, "%s%s", reading ? "unreadable: " : "damaged CD image: ", ArchiveText(a));
}

static void CloseImageStream(struct ImageStream *s)
{
  if (s->track.fd >= 0)
    close(s->track.fd);
  if (s->fd >= 0)
    close(s->fd);
  s->track.fd = -1;
  s->fd = -1;
}

static void EndImage(struct archive *a, struct ImageStream *s)
{
  if (a)
    archive_read_free(a);
  CloseImageStream(s);
}

/* The image on a descriptor of its own, from its first byte: the ISO file,
 * or the data track of a cue sheet or a bare BIN. *st gets the image
 * file's status. 1 done; 0 with a reason. */
static int OpenImageStream(struct ImageStream *s, struct stat *st, char *reason, size_t reasonSize)
{
  s->fd = -1;
  s->track.fd = -1;
  int fd = open(g_imagePath, O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return RefuseErrno(reason, reasonSize, "unreadable: ", errno);
  if (fstat(fd, st) != 0 || (g_open && (st->st_dev != g_imageDev || st->st_ino != g_imageIno))) {
    close(fd);
    return Refuse(reason, reasonSize, "unreadable: the CD image has changed");
  }
  s->fd = fd;
  s->at = 0;
  s->reason[0] = 0;
  s->isTrack = IsTrackImage(g_imagePath, fd);
  if (s->isTrack && !OpenTrackImage(g_imagePath, fd, &s->track, reason, reasonSize)) {
    s->track.fd = -1;
    CloseImageStream(s);
    return 0;
  }
  /* A bare BIN goes on into its audio tracks: the file system ends where
   * its volume does, and libarchive's reading ahead stops there. */
  unsigned char le[4];
  if (s->isTrack && HasIsoSignature(s) && ImagePread(s, le, sizeof le, 32768 + 80) == (long)sizeof le) {
    uint64_t volume = (uint64_t)(le[0] | (le[1] << 8) | (le[2] << 16) | ((uint32_t)le[3] << 24));
    if (volume > 16 && volume < s->track.sectors)
      s->track.sectors = volume;
  }
  return 1;
}

/* A stream of the image on a descriptor of its own. */
static struct archive *StartImage(struct ImageStream *s, char *reason, size_t reasonSize)
{
  struct stat st;
  if (!OpenImageStream(s, &st, reason, reasonSize))
    return NULL;
  struct archive *a = archive_read_new();
  if (!a) {
    Refuse(reason, reasonSize, "unreadable: out of memory");
    EndImage(NULL, s);
    return NULL;
  }
  archive_read_support_format_iso9660(a);
  archive_read_set_callback_data(a, s);
  archive_read_set_read_callback(a, ReadStream);
  archive_read_set_skip_callback(a, SkipStream);
  if (archive_read_open1(a) != ARCHIVE_OK) {
    /* The open already looks for the volume descriptors. */
    if (!HasIsoSignature(s))
      Refuse(reason, reasonSize, s->isTrack ? "the data track holds no ISO 9660 file system"
                                            : "not a directory or a CD image");
    else
      RefuseDamaged(s, 0, a, reason, reasonSize);
    EndImage(a, s);
    return NULL;
  }
  g_imageDev = st.st_dev;
  g_imageIno = st.st_ino;
  return a;
}

static int AddImageEntry(struct archive_entry *entry, uint32_t number, int warned, char *reason, size_t reasonSize)
{
  char name[CD_NAME_MAX];
  if (!NormaliseImageName(archive_entry_pathname(entry), name))
    return 1;
  mode_t type = archive_entry_filetype(entry);
  const char *link = archive_entry_hardlink(entry);
  /* libarchive gives no type for an entry it warns it cannot read. */
  if (type != AE_IFREG && !(warned && type == 0))
    return 1;
  if (g_fileCount == CD_MAX_IMAGE_FILES)
    return Refuse(reason, reasonSize, "more than %d files on the CD image", CD_MAX_IMAGE_FILES);
  struct ImageFile *f = &g_files[g_fileCount];
  snprintf(f->name, sizeof f->name, "%s", name);
  f->size = (uint64_t)archive_entry_size(entry);
  f->entry = number;
  f->damaged = type == 0;
  if (link) {
    char target[CD_NAME_MAX];
    struct ImageFile *t = NormaliseImageName(link, target) ? FindImageFile(target) : NULL;
    if (t) {
      f->size = t->size;
      f->entry = t->entry;
      f->damaged = t->damaged;
    } else {
      f->damaged = 1;
    }
  }
  g_fileCount++;
  return 1;
}

/* Bytes of the image at a byte of it, for the reads that go by its own
 * directory records and extents rather than through libarchive: context
 * is the image's stream. */
static long PreadImage(void *context, void *buffer, size_t count, uint64_t at)
{
  return ImagePread((struct ImageStream *)context, buffer, count, at);
}

static int AddRecordedFile(void *context, const char *path, int isDirectory, uint64_t size,
                           const IsoExtent *extents, int extentCount)
{
  (void)context;
  char name[CD_NAME_MAX];
  if (isDirectory || !NormaliseImageName(path, name) || FindImageFile(name))
    return 1;
  if (g_fileCount == CD_MAX_IMAGE_FILES)
    return 0;
  struct ImageFile *f = &g_files[g_fileCount++];
  memset(f, 0, sizeof *f);
  snprintf(f->name, sizeof f->name, "%s", name);
  f->size = size;
  f->raw = 1;
  f->damaged = extentCount > (int)(sizeof f->extents / sizeof f->extents[0]);
  if (!f->damaged) {
    memcpy(f->extents, extents, sizeof(IsoExtent) * (size_t)extentCount);
    f->extentCount = extentCount;
  }
  return 1;
}

/* A file of the table that the directory records also name, with the same
 * size, is read straight from its extents rather than through a stream of
 * its own, which would read the image's directories again (on a CD drive,
 * a seek each time). */
static int NoteRecordedExtents(void *context, const char *path, int isDirectory, uint64_t size,
                               const IsoExtent *extents, int extentCount)
{
  (void)context;
  char name[CD_NAME_MAX];
  if (isDirectory || !size || !NormaliseImageName(path, name))
    return 1;
  struct ImageFile *f = FindImageFile(name);
  if (!f || f->raw || f->damaged || f->size != size || extentCount < 1 ||
      extentCount > (int)(sizeof f->extents / sizeof f->extents[0]))
    return 1;
  memcpy(f->extents, extents, sizeof(IsoExtent) * (size_t)extentCount);
  f->extentCount = extentCount;
  f->raw = 1;
  return 1;
}

/* libarchive walks the image in the order of the data and stops at the
 * first error: at the end of an image that is cut short, or at a sector
 * that cannot be read, before the files that lie beyond. When the image's
 * own directory records are all there, those files go in the table to be
 * read by their extents: they are the game's CD's, only damaged or
 * unreadable in places. */
static int AddRecordedFiles(struct ImageStream *s)
{
  uint64_t volume = 0;
  if (!ReadIsoDirectory(PreadImage, s, AddRecordedFile, NULL, &volume, NULL, 0))
    return 0;
  uint64_t size = ImageSize(s);
  if (size < volume)
    snprintf(g_imageCut, sizeof g_imageCut, "the CD image is cut short (%llu of %llu bytes)",
             (unsigned long long)size, (unsigned long long)volume);
  return 1;
}

/* The table from the image's own directory records alone: nothing but the
 * volume descriptors and the directories is read. */
static int OpenImageByRecords(char *reason, size_t reasonSize)
{
  struct ImageStream *s = &g_tableStream;
  struct stat st;
  if (!OpenImageStream(s, &st, reason, reasonSize))
    return 0;
  uint64_t volume;
  int result = HasIsoSignature(s);
  if (!result) {
    Refuse(reason, reasonSize, s->isTrack ? "the data track holds no ISO 9660 file system"
                                          : "not a directory or a CD image");
  } else {
    g_imageDev = st.st_dev;
    g_imageIno = st.st_ino;
    char why[160] = "more files than the table holds";
    result = ReadIsoDirectory(PreadImage, s, AddRecordedFile, NULL, &volume, why, sizeof why);
    uint64_t size = ImageSize(s);
    if (!result)
      Refuse(reason, reasonSize, "damaged CD image: %s", why);
    else if (size < volume)
      snprintf(g_imageCut, sizeof g_imageCut, "the CD image is cut short (%llu of %llu bytes)",
               (unsigned long long)size, (unsigned long long)volume);
  }
  CloseImageStream(s);
  return result;
}

static int OpenImage(char *reason, size_t reasonSize)
{
  g_fileCount = 0;
  g_imageWarning[0] = 0;
  g_imageCut[0] = 0;
  if (g_byRecords)
    return OpenImageByRecords(reason, reasonSize);
  struct ImageStream *s = &g_tableStream;
  struct archive *a = StartImage(s, reason, reasonSize);
  if (!a)
    return 0;
  g_fileCount = 0;
  g_imageWarning[0] = 0;
  g_imageCut[0] = 0;
  struct archive_entry *entry;
  for (uint32_t number = 0;; number++) {
    int r = archive_read_next_header(a, &entry);
    if (r == ARCHIVE_EOF)
      break;
    if (r < ARCHIVE_WARN) {
      int kept = AddRecordedFiles(s);
      if (!kept)
        RefuseDamaged(s, 0, a, reason, reasonSize);
      EndImage(a, s);
      return kept;
    }
    if (r == ARCHIVE_WARN && !g_imageWarning[0])
      snprintf(g_imageWarning, sizeof g_imageWarning, "%s", ArchiveText(a));
    if (!AddImageEntry(entry, number, r == ARCHIVE_WARN, reason, reasonSize)) {
      EndImage(a, s);
      return 0;
    }
  }
  uint64_t volume = 0;
  if (ReadIsoDirectory(PreadImage, s, NoteRecordedExtents, NULL, &volume, NULL, 0) && ImageSize(s) < volume)
    snprintf(g_imageCut, sizeof g_imageCut, "the CD image is cut short (%llu of %llu bytes)",
             (unsigned long long)ImageSize(s), (unsigned long long)volume);
  EndImage(a, s);
  return 1;
}

/* A stream positioned at the data of f, or NULL with a reason. */
static struct archive *OpenInImage(const struct ImageFile *f, struct ImageStream *s, char *reason, size_t reasonSize)
{
  if (f->damaged) {
    Refuse(reason, reasonSize, "unreadable: damaged CD image (%s)",
           g_imageWarning[0] ? g_imageWarning : "no data for this name");
    return NULL;
  }
  struct archive *a = StartImage(s, reason, reasonSize);
  if (!a)
    return NULL;
  struct archive_entry *entry;
  for (uint32_t number = 0;; number++) {
    int r = archive_read_next_header(a, &entry);
    if (r == ARCHIVE_EOF) {
      Refuse(reason, reasonSize, "unreadable: the CD image has changed");
      break;
    }
    if (r < ARCHIVE_WARN) {
      RefuseDamaged(s, 1, a, reason, reasonSize);
      break;
    }
    if (number == f->entry) {
      if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) ||
          (uint64_t)archive_entry_size(entry) != f->size) {
        Refuse(reason, reasonSize, "unreadable: the CD image has changed");
        break;
      }
      return a;
    }
    if (archive_read_data_skip(a) < ARCHIVE_WARN) {
      RefuseDamaged(s, 1, a, reason, reasonSize);
      break;
    }
  }
  EndImage(a, s);
  return NULL;
}

/* ---- The interface ---- */

int OpenCdSource(const char *path, char *reason, size_t reasonSize)
{
  CloseCdSource();
  if (!path || !path[0])
    return Refuse(reason, reasonSize, "no such file or directory");
  if (strlen(path) >= sizeof g_imagePath)
    return Refuse(reason, reasonSize, "path too long");
  struct stat st;
  if (stat(path, &st) != 0)
    return RefuseErrno(reason, reasonSize, "", errno);
  if (S_ISDIR(st.st_mode)) {
    g_rootFd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_rootFd < 0)
      return RefuseErrno(reason, reasonSize, "unreadable: ", errno);
    /* A root that cannot be listed fails here rather than file by file:
     * a scan for ".", which no entry matches, reads it through. */
    char found[NAME_MAX + 1];
    if (FindEntry(g_rootFd, ".", found) < 0) {
      RefuseErrno(reason, reasonSize, "unreadable: ", errno);
      close(g_rootFd);
      g_rootFd = -1;
      return 0;
    }
    g_isImage = 0;
    g_open = 1;
    return 1;
  }
  if (!S_ISREG(st.st_mode))
    return Refuse(reason, reasonSize, "not a directory or a CD image");
  snprintf(g_imagePath, sizeof g_imagePath, "%s", path);
  if (!OpenImage(reason, reasonSize)) {
    g_fileCount = 0;
    return 0;
  }
  g_isImage = 1;
  g_isTrack = g_tableStream.isTrack;
  g_open = 1;
  return 1;
}

void CloseCdSource(void)
{
  for (int i = 0; i < CD_MAX_OPEN_FILES; i++)
    CdCloseFile(i);
  if (g_rootFd >= 0)
    close(g_rootFd);
  g_rootFd = -1;
  g_fileCount = 0;
  g_isImage = 0;
  g_isTrack = 0;
  g_open = 0;
}

int CdSourceIsImage(void)
{
  return g_open && g_isImage;
}

int CdSourceIsTrackImage(void)
{
  return g_open && g_isImage && g_isTrack;
}

int CdFileSize(const char *name, uint64_t *size)
{
  char normal[CD_NAME_MAX];
  if (!g_open || !NormaliseName(name, normal, NULL, 0))
    return 0;
  if (!g_isImage)
    return DirectoryFileSize(normal, size);
  const struct ImageFile *f = FindImageFile(normal);
  if (!f || f->damaged) {
    g_failure = f ? CD_FAILED_DAMAGED : CD_FAILED_MISSING;
    return 0;
  }
  if (size)
    *size = f->size;
  return 1;
}

int CdDirectoryExists(const char *name)
{
  char normal[CD_NAME_MAX];
  if (!g_open || !NormaliseName(name, normal, NULL, 0))
    return 0;
  if (g_isImage) {
    /* The table holds files only: a directory is there when a file is in it. */
    size_t length = strlen(normal);
    for (size_t i = 0; i < g_fileCount; i++) {
      char head[CD_NAME_MAX];
      snprintf(head, sizeof head, "%s", g_files[i].name);
      if (strlen(head) > length && head[length] == '/') {
        head[length] = 0;
        if (SameName(head, normal))
          return 1;
      }
    }
    return 0;
  }
  int dirFd;
  char leaf[NAME_MAX + 1];
  if (!ResolveInDirectory(normal, &dirFd, leaf, NULL, 0))
    return 0;
  struct stat st;
  int ok = fstatat(dirFd, leaf, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
  if (dirFd != g_rootFd)
    close(dirFd);
  return ok;
}

int CdWalkImage(IsoFileVisit visit, void *context, uint64_t *imageBytes, uint64_t *volumeBytes,
                char *reason, size_t reasonSize)
{
  if (!CdSourceIsImage())
    return Refuse(reason, reasonSize, "the CD is not an image");
  struct ImageStream *s = &g_tableStream;
  struct stat st;
  if (!OpenImageStream(s, &st, reason, reasonSize))
    return 0;
  *imageBytes = ImageSize(s);
  int result = ReadIsoDirectory(PreadImage, s, visit, context, volumeBytes, reason, reasonSize);
  CloseImageStream(s);
  return result;
}

void CdReadImagesByRecords(int on)
{
  g_byRecords = on;
}

int CdLastFailure(void)
{
  return g_failure ? g_failure : CD_FAILED_DAMAGED;
}

int CdOpenFile(const char *name, uint64_t *size, char *reason, size_t reasonSize)
{
  char normal[CD_NAME_MAX];
  if (!g_open) {
    Refuse(reason, reasonSize, "no CD open");
    return -1;
  }
  if (!NormaliseName(name, normal, reason, reasonSize))
    return -1;
  int handle = 0;
  while (handle < CD_MAX_OPEN_FILES && g_handles[handle].used)
    handle++;
  if (handle == CD_MAX_OPEN_FILES) {
    Refuse(reason, reasonSize, "too many files open on the CD (%d at most)", CD_MAX_OPEN_FILES);
    return -1;
  }
  struct CdHandle *h = &g_handles[handle];
  if (g_isImage) {
    const struct ImageFile *f = FindImageFile(normal);
    if (!f) {
      RefuseMissing(reason, reasonSize, "not on the CD");
      return -1;
    }
    h->fd = -1;
    if (f->raw && !f->damaged) {
      struct stat st;
      if (!OpenImageStream(&h->stream, &st, reason, reasonSize))
        return -1;
      h->archive = NULL;
      memcpy(h->extents, f->extents, sizeof f->extents);
      h->extentCount = f->extentCount;
    } else {
      h->archive = OpenInImage(f, &h->stream, reason, reasonSize);
      if (!h->archive)
        return -1;
    }
    h->size = f->size;
    h->file = (size_t)(f - g_files);
    h->raw = f->raw;
  } else {
    h->archive = NULL;
    h->raw = 0;
    h->stream.fd = -1;
    h->stream.track.fd = -1;
    h->fd = OpenInDirectory(normal, &h->size, reason, reasonSize);
    if (h->fd < 0)
      return -1;
  }
  h->done = 0;
  h->used = 1;
  if (size)
    *size = h->size;
  return handle;
}

/* Bytes of an open file from byte at of it on, with pread: a file of a
 * directory, or one of an image by its extents. */
static ssize_t ReadAtByte(struct CdHandle *h, void *buffer, size_t count, uint64_t at)
{
  if (!h->raw)
    return pread(h->fd, buffer, count, (off_t)at);
  uint64_t start = 0;
  for (int i = 0; i < h->extentCount; i++) {
    const IsoExtent *e = &h->extents[i];
    if (at < start + e->size) {
      uint64_t left = start + e->size - at;
      return ImagePread(&h->stream, buffer, count < left ? count : (size_t)left, e->offset + at - start);
    }
    start += e->size;
  }
  return 0;
}

struct ExtentSearch {
  const char *name;
  struct CdHandle *handle;
};

static int TakeExtents(void *context, const char *path, int isDirectory, uint64_t size,
                       const IsoExtent *extents, int extentCount)
{
  struct ExtentSearch *search = (struct ExtentSearch *)context;
  char name[CD_NAME_MAX];
  if (isDirectory || search->handle->extentCount || !NormaliseImageName(path, name) ||
      !SameName(name, search->name) || size != search->handle->size)
    return 1;
  memcpy(search->handle->extents, extents, sizeof(IsoExtent) * (size_t)extentCount);
  search->handle->extentCount = extentCount;
  return 1;
}

/* A file of an image read on by its extents in the image's own directory
 * records, not by libarchive's stream (which ends at an error, and cannot
 * skip without reading). */
static int MakeRaw(struct CdHandle *h)
{
  if (!h->archive || h->raw)
    return 1;
  struct ExtentSearch search = { g_files[h->file].name, h };
  uint64_t volume;
  h->extentCount = 0;
  if (!ReadIsoDirectory(PreadImage, &h->stream, TakeExtents, &search, &volume, NULL, 0) ||
      (!h->extentCount && h->size))
    return 0;
  h->raw = 1;
  return 1;
}

int CdSeekFile(int handle, uint64_t position)
{
  if (handle < 0 || handle >= CD_MAX_OPEN_FILES || !g_handles[handle].used)
    return 0;
  struct CdHandle *h = &g_handles[handle];
  if (position < h->done || position > h->size || !MakeRaw(h))
    return 0;
  h->done = position;
  return 1;
}

int CdSkipUnreadable(int handle, uint64_t *from, uint64_t *to)
{
  if (handle < 0 || handle >= CD_MAX_OPEN_FILES || !g_handles[handle].used)
    return 0;
  struct CdHandle *h = &g_handles[handle];
  if (!MakeRaw(h))
    return 0;
  /* Each sector once: a drive that fails a sector is slow to fail it again. */
  unsigned char sector[CD_SECTOR_BYTES];
  uint64_t at = h->done, bad = h->size;
  while (at < h->size) {
    uint64_t end = (at / CD_SECTOR_BYTES + 1) * CD_SECTOR_BYTES;
    size_t count = (size_t)((end < h->size ? end : h->size) - at);
    ssize_t n;
    do
      n = ReadAtByte(h, sector, count, at);
    while (n < 0 && errno == EINTR);
    if (n == (ssize_t)count && bad != h->size)
      break;   /* readable again */
    if (n != (ssize_t)count && bad == h->size)
      bad = at;
    at += count;
  }
  if (bad == h->size)
    return 0;   /* nothing unreadable from here: not a read error */
  *from = bad;
  *to = at;
  h->done = at;
  return 1;
}

long CdReadFile(int handle, void *buffer, size_t count, char *reason, size_t reasonSize)
{
  if (handle < 0 || handle >= CD_MAX_OPEN_FILES || !g_handles[handle].used) {
    Refuse(reason, reasonSize, "not an open file of the CD");
    return -1;
  }
  struct CdHandle *h = &g_handles[handle];
  if (count > h->size - h->done)
    count = (size_t)(h->size - h->done);
  if (count > (size_t)LONG_MAX)
    count = (size_t)LONG_MAX;
  size_t got = 0;
  while (got < count) {
    char *at = (char *)buffer + got;
    ssize_t n;
    if (h->archive && !h->raw) {
      n = archive_read_data(h->archive, at, count - got);
      if (n < 0) {
        RefuseDamaged(&h->stream, 1, h->archive, reason, reasonSize);
        return -1;
      }
    } else {
      n = ReadAtByte(h, at, count - got, h->done + got);
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0) {
        if (h->raw)
          RefuseImageRead(&h->stream, reason, reasonSize);
        else
          RefuseErrno(reason, reasonSize, "unreadable: ", errno);
        return -1;
      }
    }
    if (n == 0 && h->raw && g_imageCut[0]) {
      Refuse(reason, reasonSize, "unreadable: %s", g_imageCut);
      return -1;
    }
    if (n == 0) {
      Refuse(reason, reasonSize, "unreadable: the file ends at byte %llu of %llu",
             (unsigned long long)(h->done + got), (unsigned long long)h->size);
      return -1;
    }
    got += (size_t)n;
  }
  h->done += got;
  return (long)got;
}

void CdCloseFile(int handle)
{
  if (handle < 0 || handle >= CD_MAX_OPEN_FILES || !g_handles[handle].used)
    return;
  struct CdHandle *h = &g_handles[handle];
  if (h->archive)
    EndImage(h->archive, &h->stream);
  else
    CloseImageStream(&h->stream);
  if (h->fd >= 0)
    close(h->fd);
  h->archive = NULL;
  h->fd = -1;
  h->used = 0;
}
