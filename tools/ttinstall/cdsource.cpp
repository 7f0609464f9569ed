/* Reading the game's CD from a directory or an ISO 9660 image.
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
 * hard link to that name: the table gives it the data of its target.
 *
 * A stream of its own for every file reads the image's directories again
 * and again, and on a CD drive each of those reads is a seek. So the table
 * also holds where each file's bytes lie, from the primary volume
 * descriptor's tree, and a file found there is read straight from its
 * extent; the stream remains for the files it does not name. */
#include "tools/ttinstall/cdsource.h"

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

/* libarchive reads the image in blocks of this size. It passes over the
 * data of an entry by seeking whole blocks and reading the rest of the last:
 * blocks of one sector, which every extent begins on, leave nothing to read,
 * and walking the table then reads the directories alone (on a CD drive,
 * every read elsewhere costs a seek). */
#define CD_IMAGE_BLOCK 2048

struct ImageFile {
  char name[CD_NAME_MAX];  /* normalised, '/'-separated, case as on the CD */
  uint64_t size;
  uint32_t entry;          /* the stream entry that carries its data, from 0 */
  int damaged;             /* libarchive could not describe it */
  uint64_t extent;         /* where its bytes lie in the image; 0: unknown */
};

struct CdHandle {
  int used;
  int fd;
  struct archive *archive; /* NULL for a file of a directory */
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

/* Whether the image file carries the ISO 9660 signature of the primary
 * volume descriptor, to tell a damaged image from another file. */
static int HasIsoSignature(int fd)
{
  char id[5];
  return pread(fd, id, sizeof id, 32768 + 1) == (ssize_t)sizeof id && !memcmp(id, "CD001", 5);
}

/* The reason for a failure of libarchive on the image at fd, opening the
 * image or reading a file of it: the image's shortfall where the file is
 * shorter than its primary volume descriptor says (a copy cut short is the
 * usual damage), else libarchive's own. */
static void RefuseDamaged(int fd, int reading, struct archive *a, char *reason, size_t reasonSize)
{
  unsigned char le[4];
  struct stat st;
  if (pread(fd, le, sizeof le, 32768 + 80) == (ssize_t)sizeof le && fstat(fd, &st) == 0) {
    uint64_t want = 2048 * (uint64_t)(le[0] | (le[1] << 8) | (le[2] << 16) | ((uint32_t)le[3] << 24));
    if ((uint64_t)st.st_size < want) {
      Refuse(reason, reasonSize, "%sthe CD image is cut short (%llu of %llu bytes)",
             reading ? "unreadable: " : "", (unsigned long long)st.st_size, (unsigned long long)want);
      return;
    }
  }
  Refuse(reason, reasonSize, "%s%s", reading ? "unreadable: " : "damaged CD image: ", ArchiveText(a));
}

/* A stream of the image on a descriptor of its own. */
static struct archive *StartImage(int *fdOut, char *reason, size_t reasonSize)
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
  struct archive *a = archive_read_new();
  if (!a) {
    close(fd);
    Refuse(reason, reasonSize, "unreadable: out of memory");
    return NULL;
  }
  archive_read_support_format_iso9660(a);
  if (archive_read_open_fd(a, fd, CD_IMAGE_BLOCK) != ARCHIVE_OK) {
    /* The open already looks for the volume descriptors. */
    if (!HasIsoSignature(fd))
      Refuse(reason, reasonSize, "not a directory or a CD image");
    else
      RefuseDamaged(fd, 0, a, reason, reasonSize);
    archive_read_free(a);
    close(fd);
    return NULL;
  }
  g_imageDev = st.st_dev;
  g_imageIno = st.st_ino;
  *fdOut = fd;
  return a;
}

static void EndImage(struct archive *a, int fd)
{
  archive_read_free(a);
  close(fd);
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
  f->extent = 0;
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

static uint32_t Le32(const unsigned char *p)
{
  return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}

/* Notes the extents of the files of the directory at byte pos (size bytes)
 * of the image, named under prefix ("" or "DATA1/"), and of the directories
 * below it, down to the eight levels ISO 9660 allows. A record that does
 * not fit the image or the table is passed over: the stream reads that file. */
static void NoteExtents(int fd, uint64_t imageSize, uint64_t pos, uint64_t size, const char *prefix, int depth)
{
  unsigned char sector[2048];  /* one per level: the walk recurses */
  if (depth > 8 || pos + size > imageSize || size > 64 * 2048)
    return;
  for (uint64_t off = 0; off < size; off += 2048) {
    if (pread(fd, sector, sizeof sector, (off_t)(pos + off)) != (ssize_t)sizeof sector)
      return;
    for (unsigned at = 0; at + 34 <= sizeof sector && sector[at];) {
      const unsigned char *r = sector + at;
      unsigned length = r[0], nameLength = r[32];
      at += length;
      if (length < 34 || at > sizeof sector || 33 + nameLength > length)
        break;
      if (nameLength == 1 && (r[33] == 0 || r[33] == 1))
        continue;  /* "." and ".." */
      char name[CD_NAME_MAX];
      int n = snprintf(name, sizeof name, "%s%.*s", prefix, (int)nameLength, (const char *)r + 33);
      if (n < 0 || n >= (int)sizeof name - 1)
        continue;
      char *version = strchr(name + strlen(prefix), ';');
      if (version)
        *version = 0;
      size_t end = strlen(name);
      if (end > strlen(prefix) && name[end - 1] == '.')
        name[--end] = 0;
      uint64_t extent = (uint64_t)Le32(r + 2) * 2048, bytes = Le32(r + 10);
      if (r[25] & 2) {
        strcat(name, "/");
        NoteExtents(fd, imageSize, extent, bytes, name, depth + 1);
        continue;
      }
      struct ImageFile *f = FindImageFile(name);
      if (f && !f->damaged && f->size == bytes && extent > 0 && extent + bytes <= imageSize)
        f->extent = extent;
    }
  }
}

static void NoteImageExtents(int fd)
{
  unsigned char pvd[2048];
  struct stat st;
  if (fstat(fd, &st) != 0 || pread(fd, pvd, sizeof pvd, 16 * 2048) != (ssize_t)sizeof pvd ||
      pvd[0] != 1 || memcmp(pvd + 1, "CD001", 5))
    return;
  NoteExtents(fd, (uint64_t)st.st_size, (uint64_t)Le32(pvd + 156 + 2) * 2048, Le32(pvd + 156 + 10), "", 1);
}

static int OpenImage(char *reason, size_t reasonSize)
{
  int fd;
  struct archive *a = StartImage(&fd, reason, reasonSize);
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
      RefuseDamaged(fd, 0, a, reason, reasonSize);
      EndImage(a, fd);
      return 0;
    }
    if (r == ARCHIVE_WARN && !g_imageWarning[0])
      snprintf(g_imageWarning, sizeof g_imageWarning, "%s", ArchiveText(a));
    if (!AddImageEntry(entry, number, r == ARCHIVE_WARN, reason, reasonSize)) {
      EndImage(a, fd);
      return 0;
    }
  }
  NoteImageExtents(fd);
  EndImage(a, fd);
  return 1;
}

/* A stream positioned at the data of f, or NULL with a reason. */
static struct archive *OpenInImage(const struct ImageFile *f, int *fdOut, char *reason, size_t reasonSize)
{
  if (f->damaged) {
    Refuse(reason, reasonSize, "unreadable: damaged CD image (%s)",
           g_imageWarning[0] ? g_imageWarning : "no data for this name");
    return NULL;
  }
  int fd;
  struct archive *a = StartImage(&fd, reason, reasonSize);
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
      RefuseDamaged(fd, 1, a, reason, reasonSize);
      break;
    }
    if (number == f->entry) {
      if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) ||
          (uint64_t)archive_entry_size(entry) != f->size) {
        Refuse(reason, reasonSize, "unreadable: the CD image has changed");
        break;
      }
      *fdOut = fd;
      return a;
    }
    if (archive_read_data_skip(a) < ARCHIVE_WARN) {
      RefuseDamaged(fd, 1, a, reason, reasonSize);
      break;
    }
  }
  EndImage(a, fd);
  return NULL;
}

/* A descriptor of the image at the first byte of f. */
static int OpenAtExtent(const struct ImageFile *f, char *reason, size_t reasonSize)
{
  int fd = open(g_imagePath, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    RefuseErrno(reason, reasonSize, "unreadable: ", errno);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || st.st_dev != g_imageDev || st.st_ino != g_imageIno ||
      (uint64_t)st.st_size < f->extent + f->size) {
    close(fd);
    Refuse(reason, reasonSize, "unreadable: the CD image has changed");
    return -1;
  }
  if (lseek(fd, (off_t)f->extent, SEEK_SET) < 0) {
    RefuseErrno(reason, reasonSize, "unreadable: ", errno);
    close(fd);
    return -1;
  }
  return fd;
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
    h->archive = NULL;
    if (f->extent)
      h->fd = OpenAtExtent(f, reason, reasonSize);
    else if ((h->archive = OpenInImage(f, &h->fd, reason, reasonSize)) == NULL)
      return -1;
    if (h->fd < 0)
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
        RefuseDamaged(h->fd, 1, h->archive, reason, reasonSize);
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
    EndImage(h->archive, h->fd);
  else
    close(h->fd);
  h->archive = NULL;
  h->fd = -1;
  h->used = 0;
}
