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
 * (cueimage.cpp), through the read callbacks of an image stream. */
#include "tools/ttinstall/cdsource.h"
#include "tools/ttinstall/cueimage.h"

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

/* libarchive reads the image in blocks of this size. */
#define CD_IMAGE_BLOCK (64 * 1024)

struct ImageFile {
  char name[CD_NAME_MAX];  /* normalised, '/'-separated, case as on the CD */
  uint64_t size;
  uint32_t entry;          /* the stream entry that carries its data, from 0 */
  int damaged;             /* libarchive could not describe it */
};

/* An image as libarchive reads it: the ISO file, or a data track. */
struct ImageStream {
  int fd;                  /* the image file as opened */
  int isTrack;
  struct CdTrack track;    /* when isTrack */
  uint64_t at;             /* the next byte of the track to read */
  unsigned char block[CD_IMAGE_BLOCK];
};

struct CdHandle {
  int used;
  int fd;                  /* a file of a directory */
  struct archive *archive; /* NULL for a file of a directory */
  struct ImageStream stream;
  uint64_t size;
  uint64_t done;
};

static int g_open;
static int g_isImage;
static int g_rootFd = -1;
static char g_imagePath[PATH_MAX];
static dev_t g_imageDev;
static ino_t g_imageIno;
static char g_imageWarning[128]; /* libarchive's first warning on the image */
static struct ImageFile g_files[CD_MAX_IMAGE_FILES];
static size_t g_fileCount;
static struct CdHandle g_handles[CD_MAX_OPEN_FILES];
static struct ImageStream g_tableStream; /* the walk for the table */

static int Refuse(char *reason, size_t reasonSize, const char *format, ...)
{
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
  return Refuse(reason, reasonSize, "%s%s", prefix, ErrorText(error, text, sizeof text));
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
    return Refuse(reason, reasonSize, "empty name");
  if (strlen(name) >= CD_NAME_MAX)
    return Refuse(reason, reasonSize, "name too long (%d characters at most)", CD_NAME_MAX - 1);
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
      return Refuse(reason, reasonSize, "empty component in \"%s\"", name);
    if (dots == n)
      return Refuse(reason, reasonSize, "\".\" or \"..\" in \"%s\"", name);
    size_t kept = TrimComponent(p, n);
    if (kept == 0)
      return Refuse(reason, reasonSize, "empty component in \"%s\"", name);
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
      return Refuse(reason, reasonSize, "not on the CD");
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
        return Refuse(reason, reasonSize, "not on the CD: \"%s\" is a symbolic link, not followed", leaf);
      if (error == ENOTDIR || error == ENOENT)
        return Refuse(reason, reasonSize, "not on the CD");
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
      Refuse(reason, reasonSize, "not on the CD: \"%s\" is a symbolic link, not followed", leaf);
    else
      RefuseErrno(reason, reasonSize, "unreadable: ", error);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    Refuse(reason, reasonSize, "not on the CD");
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

/* pread of the image's ISO 9660 bytes: the count read, -1 on an error. */
static long ImagePread(struct ImageStream *s, void *buffer, size_t count, uint64_t at)
{
  if (s->isTrack)
    return ReadTrackData(&s->track, at, buffer, count, NULL, 0);
  return (long)pread(s->fd, buffer, count, (off_t)at);
}

/* The size of the image's ISO 9660 bytes. */
static uint64_t ImageSize(struct ImageStream *s)
{
  struct stat st;
  if (s->isTrack)
    return s->track.sectors * 2048;
  return fstat(s->fd, &st) == 0 ? (uint64_t)st.st_size : 0;
}

/* Whether the image carries the ISO 9660 signature of the primary volume
 * descriptor, to tell a damaged image from another file. */
static int HasIsoSignature(struct ImageStream *s)
{
  char id[5];
  return ImagePread(s, id, sizeof id, 32768 + 1) == (long)sizeof id && !memcmp(id, "CD001", 5);
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

static la_int64_t SkipStream(struct archive *a, void *data, la_int64_t request)
{
  struct ImageStream *s = (struct ImageStream *)data;
  (void)a;
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

/* The reason for a failure of libarchive on the image at fd, opening the
 * image or reading a file of it: the image's shortfall where the file is
 * shorter than its primary volume descriptor says (a copy cut short is the
 * usual damage), else libarchive's own. */
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

static void EndImage(struct archive *a, struct ImageStream *s)
{
  if (a)
    archive_read_free(a);
  if (s->track.fd >= 0)
    close(s->track.fd);
  close(s->fd);
  s->track.fd = -1;
  s->fd = -1;
}

/* A stream of the image on a descriptor of its own. */
static struct archive *StartImage(struct ImageStream *s, char *reason, size_t reasonSize)
{
  int fd = open(g_imagePath, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    RefuseErrno(reason, reasonSize, "unreadable: ", errno);
    return NULL;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || (g_open && (st.st_dev != g_imageDev || st.st_ino != g_imageIno))) {
    close(fd);
    Refuse(reason, reasonSize, "unreadable: the CD image has changed");
    return NULL;
  }
  s->fd = fd;
  s->at = 0;
  s->isTrack = IsTrackImage(g_imagePath, fd);
  s->track.fd = -1;
  if (s->isTrack && !OpenTrackImage(g_imagePath, fd, &s->track, reason, reasonSize)) {
    close(fd);
    return NULL;
  }
  /* A bare BIN goes on into its audio tracks: the file system ends where
   * its volume does, and libarchive's reading ahead stops there. */
  unsigned char le[4];
  if (s->isTrack && HasIsoSignature(s) && ImagePread(s, le, sizeof le, 32768 + 80) == (long)sizeof le) {
    uint64_t volume = (uint64_t)(le[0] | (le[1] << 8) | (le[2] << 16) | ((uint32_t)le[3] << 24));
    if (volume > 16 && volume < s->track.sectors)
      s->track.sectors = volume;
  }
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

static int OpenImage(char *reason, size_t reasonSize)
{
  struct ImageStream *s = &g_tableStream;
  struct archive *a = StartImage(s, reason, reasonSize);
  if (!a)
    return 0;
  g_fileCount = 0;
  g_imageWarning[0] = 0;
  struct archive_entry *entry;
  for (uint32_t number = 0;; number++) {
    int r = archive_read_next_header(a, &entry);
    if (r == ARCHIVE_EOF)
      break;
    if (r < ARCHIVE_WARN) {
      RefuseDamaged(s, 0, a, reason, reasonSize);
      EndImage(a, s);
      return 0;
    }
    if (r == ARCHIVE_WARN && !g_imageWarning[0])
      snprintf(g_imageWarning, sizeof g_imageWarning, "%s", ArchiveText(a));
    if (!AddImageEntry(entry, number, r == ARCHIVE_WARN, reason, reasonSize)) {
      EndImage(a, s);
      return 0;
    }
  }
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
  g_open = 0;
}

int CdSourceIsImage(void)
{
  return g_open && g_isImage;
}

int CdFileSize(const char *name, uint64_t *size)
{
  char normal[CD_NAME_MAX];
  if (!g_open || !NormaliseName(name, normal, NULL, 0))
    return 0;
  if (!g_isImage)
    return DirectoryFileSize(normal, size);
  const struct ImageFile *f = FindImageFile(normal);
  if (!f || f->damaged)
    return 0;
  if (size)
    *size = f->size;
  return 1;
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
      Refuse(reason, reasonSize, "not on the CD");
      return -1;
    }
    h->archive = OpenInImage(f, &h->stream, reason, reasonSize);
    if (!h->archive)
      return -1;
    h->size = f->size;
  } else {
    h->archive = NULL;
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
    if (h->archive) {
      n = archive_read_data(h->archive, at, count - got);
      if (n < 0) {
        RefuseDamaged(&h->stream, 1, h->archive, reason, reasonSize);
        return -1;
      }
    } else {
      n = read(h->fd, at, count - got);
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0) {
        RefuseErrno(reason, reasonSize, "unreadable: ", errno);
        return -1;
      }
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
    close(h->fd);
  h->archive = NULL;
  h->fd = -1;
  h->used = 0;
}
