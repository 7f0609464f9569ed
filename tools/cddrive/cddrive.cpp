/* cddrive: a CD-ROM drive for the tests, as a FUSE file system. It presents
 * a CD directory, or an ISO 9660 image file, read-only at a mount point and
 * reads as a drive does: at a set speed, with an access time for every read
 * that does not continue the one before, and with unreadable sectors that
 * fail slowly with EIO. Every open and read goes to a log. */
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "tools/cddrive/sectormap.h"
#include "tools/ttinstall/isodir.h"

static const char kUsage[] =
  "usage: cddrive [OPTION]... SOURCE MOUNTPOINT\n"
  "Presents SOURCE, a CD directory or an ISO 9660 image file, read-only at\n"
  "MOUNTPOINT, read as a CD-ROM drive reads. An image appears as one file of\n"
  "its own name at the root of the mount point.\n"
  "\n"
  "  --speed N       read speed: bytes per second, or Nx in CD speeds of\n"
  "                  75 x 2048 B/s (default 24x = 3686400 B/s)\n"
  "  --access MS     access time of a read that does not continue the one\n"
  "                  before: it does when it starts in the sector the last\n"
  "                  read ended in or the one after (default 100)\n"
  "  --buffer BYTES  the drive's buffer: while the host does not ask, the\n"
  "                  drive reads on after the last read until it holds that\n"
  "                  much (default 262144; 0: no reading ahead)\n"
  "  --error-time MS time a read that touches an unreadable sector takes\n"
  "                  before it fails with EIO (default 1000)\n"
  "  --mapfile FILE  a GNU ddrescue mapfile: its areas '-', '*', '/' and '?'\n"
  "                  are unreadable ('+' alone reads)\n"
  "  --bad PATH:OFF  the sector holding byte OFF (decimal or 0x hex) of the\n"
  "                  file PATH of the CD is unreadable; PATH is matched\n"
  "                  without regard to case, '/' or '\\' between names. For an\n"
  "                  image, PATH is a file inside the image, or the image's\n"
  "                  own name for a byte of the image. May be repeated.\n"
  "  --log FILE      appends one line per operation:\n"
  "                    MS open 0 SIZE 0 PATH\n"
  "                    MS read|eio OFFSET LENGTH COST_MS PATH\n"
  "                  MS: milliseconds since the mount, when the drive began\n"
  "                  the read; COST_MS: what the drive took for it.\n"
  "  --layout FILE   writes where each file lies: FIRST_SECTOR SIZE PATH\n"
  "  -f              stays in the foreground (else returns once mounted)\n"
  "\n"
  "Sectors are 2048 bytes. An image's sectors are its own: mapfile positions\n"
  "are bytes of the image. A directory is laid out as a CD would be: from\n"
  "sector 64, each file from a sector of its own, in the order of a walk of\n"
  "the tree with the names of each directory sorted without regard to case,\n"
  "files before subdirectories; mapfile positions are bytes of that layout\n"
  "(see --layout). Unmount with fusermount3 -u MOUNTPOINT or umount.\n"
  "Exit status: 0 mounted (and, with -f, unmounted); 1 bad usage or source;\n"
  "2 the mount failed.\n";

/* ---- the disc ---- */

#define MAX_ENTRIES 8192
#define LAYOUT_FIRST_SECTOR 64

struct Entry {
  char path[PATH_MAX];   /* in the mount: "/", "/DATA1/FILELIST.WD" */
  int isDir;
  uint64_t size;
  uint64_t firstSector;  /* where the file's bytes lie on the disc */
  int parent;            /* index of the directory holding it, -1 for the root */
};

static Entry g_entry[MAX_ENTRIES];
static int g_entries;
static char g_source[PATH_MAX];  /* absolute */
static int g_sourceIsImage;
static int g_imageFd = -1;
static SectorMap g_bad;

/* ---- the drive ---- */

static double g_speed = 24.0 * 75 * 2048;
static double g_accessMs = 100, g_errorMs = 1000, g_bufferBytes = 256 * 1024;
static FILE *g_log;
static struct timespec g_start, g_busyUntil;
/* Where the drive is: g_taken, the disc byte up to which the host has had
 * the data; g_head, the byte up to which the drive has read into its buffer,
 * at g_headTime (it reads on from there while it waits). */
static int g_haveLast;
static uint64_t g_taken, g_head;
static double g_headTime;

static double Ms(const struct timespec *t) {
  return (t->tv_sec - g_start.tv_sec) * 1e3 + (t->tv_nsec - g_start.tv_nsec) / 1e6;
}

static void AddMs(struct timespec *t, double ms) {
  long long ns = t->tv_nsec + (long long)(ms * 1e6);
  t->tv_sec += ns / 1000000000LL;
  t->tv_nsec = ns % 1000000000LL;
}

static int Before(const struct timespec *a, const struct timespec *b) {
  return a->tv_sec < b->tv_sec || (a->tv_sec == b->tv_sec && a->tv_nsec < b->tv_nsec);
}

/* The drive is one mechanism: a read begins when the last one is done (or
 * now, if the drive was idle), in ms since the mount... */
static double DriveStart(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  if (Before(&g_busyUntil, &now)) g_busyUntil = now;
  return Ms(&g_busyUntil);
}

/* ...and the caller waits until it ends. Waiting for an absolute time keeps
 * the sleeps' overshoot from adding up. */
static void Spend(double costMs) {
  AddMs(&g_busyUntil, costMs);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &g_busyUntil, NULL) == EINTR) {}
}

/* What the drive takes for the disc bytes pos..pos+size-1, asked at ms. A
 * read continues the last one when it starts in the sector the last ended
 * in or the next; it then gets what the drive read ahead meanwhile (never
 * past an unreadable sector) without waiting. Any other read first costs
 * the access time. A read that touches an unreadable sector fails after the
 * error time, and the drive has lost its place. */
static double ReadCost(uint64_t pos, uint64_t size, double ms, int *bad) {
  uint64_t first = pos / CD_SECTOR;
  int continues = g_haveLast && g_taken > 0 && first >= (g_taken - 1) / CD_SECTOR &&
                  first <= (g_taken - 1) / CD_SECTOR + 1;
  *bad = SectorMapTouches(&g_bad, pos, size, NULL);
  if (*bad) {
    g_haveLast = 0;
    return (continues ? 0 : g_accessMs) + g_errorMs;
  }
  double bytesPerMs = g_speed / 1000.0;
  if (continues) {
    double ahead = (ms - g_headTime) * bytesPerMs;
    uint64_t head = g_head;
    if (ahead > 0) {
      uint64_t limit = g_taken + (uint64_t)g_bufferBytes;
      head = g_head + (uint64_t)ahead < limit ? g_head + (uint64_t)ahead : limit;
      uint64_t badAt;
      if (head > g_head && SectorMapTouches(&g_bad, g_head, head - g_head, &badAt)) head = badAt;
      if (head < g_head) head = g_head;
    }
    g_taken = pos + size;
    if (pos + size <= head) {
      g_head = head;
      g_headTime = ms;
      return 0;
    }
    uint64_t from = head > pos ? head : pos;
    double cost = (pos + size - from) / bytesPerMs;
    g_head = pos + size;
    g_headTime = ms + cost;
    return cost;
  }
  double cost = g_accessMs + size / bytesPerMs;
  g_haveLast = 1;
  g_taken = g_head = pos + size;
  g_headTime = ms + cost;
  return cost;
}

static void Log(double ms, const char *op, uint64_t offset, uint64_t length, double cost, const char *path) {
  if (!g_log) return;
  fprintf(g_log, "%.3f %s %llu %llu %.3f %s\n", ms, op, (unsigned long long)offset,
          (unsigned long long)length, cost, path);
}

/* ---- building the table of files ---- */

static int CaseLess(const void *a, const void *b) {
  const struct dirent *x = *(const struct dirent *const *)a, *y = *(const struct dirent *const *)b;
  return strcasecmp(x->d_name, y->d_name);
}

static int AddEntry(const char *path, int isDir, uint64_t size, int parent) {
  if (g_entries == MAX_ENTRIES) {
    fprintf(stderr, "cddrive: more than %d files and directories\n", MAX_ENTRIES);
    return -1;
  }
  Entry *e = &g_entry[g_entries];
  snprintf(e->path, sizeof e->path, "%s", path);
  e->isDir = isDir;
  e->size = size;
  e->firstSector = 0;
  e->parent = parent;
  return g_entries++;
}

/* Lays out directory dir (an entry already added) and everything below it:
 * its files first, then its subdirectories, each in sorted order. */
static int WalkDirectory(int dir, uint64_t *nextSector) {
  char real[PATH_MAX * 2];
  snprintf(real, sizeof real, "%s%s", g_source, g_entry[dir].path);
  DIR *d = opendir(real);
  if (!d) { fprintf(stderr, "cddrive: %s: %s\n", real, strerror(errno)); return 0; }
  static struct dirent *names[MAX_ENTRIES];
  static struct dirent copies[MAX_ENTRIES];
  int n = 0;
  struct dirent *de;
  while ((de = readdir(d)) != NULL) {
    if (!strcmp(de->d_name, ".") || !strcmp(de->d_name, "..")) continue;
    if (n == MAX_ENTRIES) { closedir(d); fprintf(stderr, "cddrive: %s: too many names\n", real); return 0; }
    copies[n] = *de;
    names[n] = &copies[n];
    n++;
  }
  closedir(d);
  qsort(names, (size_t)n, sizeof names[0], CaseLess);
  int firstChild = g_entries;
  for (int pass = 0; pass < 2; pass++) {
    for (int i = 0; i < n; i++) {
      char child[PATH_MAX];
      int len = snprintf(child, sizeof child, "%s%s%s", g_entry[dir].path,
                         dir == 0 ? "" : "/", names[i]->d_name);
      if (len >= (int)sizeof child) { fprintf(stderr, "cddrive: name too long under %s\n", real); return 0; }
      char childReal[PATH_MAX * 2];
      snprintf(childReal, sizeof childReal, "%s%s", g_source, child);
      struct stat st;
      if (lstat(childReal, &st) != 0) { fprintf(stderr, "cddrive: %s: %s\n", childReal, strerror(errno)); return 0; }
      if (pass == 0 && S_ISREG(st.st_mode)) {
        int e = AddEntry(child, 0, (uint64_t)st.st_size, dir);
        if (e < 0) return 0;
        g_entry[e].firstSector = *nextSector;
        *nextSector += SectorsFor((uint64_t)st.st_size);
      } else if (pass == 1 && S_ISDIR(st.st_mode)) {
        if (AddEntry(child, 1, 0, dir) < 0) return 0;
      }
      /* Anything else (links, devices) is not on a CD. */
    }
  }
  int lastChild = g_entries;
  for (int e = firstChild; e < lastChild; e++)
    if (g_entry[e].isDir && !WalkDirectory(e, nextSector)) return 0;
  return 1;
}

/* ---- files inside an ISO 9660 image, for --bad ---- */

static long ReadImageAt(void *, void *buffer, size_t count, uint64_t at) {
  return (long)pread(g_imageFd, buffer, count, (off_t)at);
}

struct ImageSearch {
  const char *want;
  uint64_t at;     /* the byte of the file asked for; then its byte in the image */
  uint64_t size;   /* the file's */
  int found;
};

static int SameCdPath(const char *a, const char *b);

/* The records name a file with its ";1" version and, for a name without an
 * extension, a trailing dot. */
static int FindImageByte(void *context, const char *path, int isDirectory, uint64_t size,
                         const IsoExtent *extents, int extentCount) {
  struct ImageSearch *search = (struct ImageSearch *)context;
  char name[ISO_PATH_SIZE];
  snprintf(name, sizeof name, "%s", path);
  char *version = strrchr(name, ';');
  if (version) *version = 0;
  size_t n = strlen(name);
  if (n && name[n - 1] == '.') name[n - 1] = 0;
  if (isDirectory || search->found || !SameCdPath(name, search->want)) return 1;
  search->found = -1;  /* there, but the byte lies beyond its end */
  search->size = size;
  uint64_t start = 0;
  for (int i = 0; i < extentCount && search->at < size; start += extents[i].size, i++)
    if (search->at < start + extents[i].size) {
      search->at = extents[i].offset + search->at - start;
      search->found = 1;
      break;
    }
  return 1;
}

/* The byte position in the image of byte off of the file path (components
 * split by '/' or '\\'), through the image's own directory records: 1, or
 * 0 for no such file, -1 when the file has no such byte. */
static int FindInImage(const char *path, uint64_t off, uint64_t *pos, uint64_t *size) {
  struct ImageSearch search = { path, off, 0, 0 };
  uint64_t volume;
  ReadIsoDirectory(ReadImageAt, NULL, FindImageByte, &search, &volume, NULL, 0);
  if (search.found == 1) *pos = search.at;
  *size = search.size;
  return search.found;
}

/* ---- looking files up ---- */

static int SameCdPath(const char *a, const char *b) {
  for (;;) {
    while (*a == '/' || *a == '\\') a++;
    while (*b == '/' || *b == '\\') b++;
    size_t la = strcspn(a, "/\\"), lb = strcspn(b, "/\\");
    if (la != lb || strncasecmp(a, b, la)) return 0;
    if (!la) return 1;
    a += la;
    b += lb;
  }
}

static int FindEntry(const char *path) {
  for (int i = 0; i < g_entries; i++)
    if (!strcmp(g_entry[i].path, path)) return i;
  return -1;
}

/* --bad PATH:OFF: the sector of that byte is unreadable. */
static int AddBadByte(const char *arg) {
  const char *colon = strrchr(arg, ':');
  char *stop;
  if (!colon || colon == arg || !colon[1]) goto bad;
  {
    errno = 0;
    unsigned long long off = strtoull(colon + 1, &stop, 0);
    if (*stop || errno || colon[1] == '-') goto bad;
    char name[PATH_MAX];
    snprintf(name, sizeof name, "%.*s", (int)(colon - arg), arg);
    uint64_t pos = 0, size = 0;
    int found = 0;
    for (int i = 0; i < g_entries && !found; i++)
      if (!g_entry[i].isDir && SameCdPath(g_entry[i].path, name)) {
        pos = g_entry[i].firstSector * CD_SECTOR;
        size = g_entry[i].size;
        found = 1;
      }
    if (found && off >= size) found = -1;
    else if (found) pos += off;
    else if (g_sourceIsImage) found = FindInImage(name, off, &pos, &size);
    if (!found) { fprintf(stderr, "cddrive: --bad %s: no such file on the CD\n", arg); return 0; }
    if (found < 0) { fprintf(stderr, "cddrive: --bad %s: the file has %llu bytes\n", arg, (unsigned long long)size); return 0; }
    if (!SectorMapAddBytes(&g_bad, pos, 1)) { fprintf(stderr, "cddrive: too many bad sectors\n"); return 0; }
    return 1;
  }
bad:
  fprintf(stderr, "cddrive: --bad wants PATH:OFFSET, not %s\n", arg);
  return 0;
}

/* ---- the file system ---- */

static int FsGetattr(const char *path, struct stat *st, struct fuse_file_info *) {
  int i = FindEntry(path);
  if (i < 0) return -ENOENT;
  memset(st, 0, sizeof *st);
  st->st_mode = g_entry[i].isDir ? S_IFDIR | 0555 : S_IFREG | 0444;
  st->st_nlink = g_entry[i].isDir ? 2 : 1;
  st->st_size = (off_t)g_entry[i].size;
  st->st_blksize = CD_SECTOR;
  st->st_blocks = (blkcnt_t)(SectorsFor(g_entry[i].size) * (CD_SECTOR / 512));
  st->st_uid = getuid();
  st->st_gid = getgid();
  return 0;
}

static int FsReaddir(const char *path, void *buf, fuse_fill_dir_t fill, off_t, struct fuse_file_info *,
                     enum fuse_readdir_flags) {
  int dir = FindEntry(path);
  if (dir < 0) return -ENOENT;
  if (!g_entry[dir].isDir) return -ENOTDIR;
  fill(buf, ".", NULL, 0, (enum fuse_fill_dir_flags)0);
  fill(buf, "..", NULL, 0, (enum fuse_fill_dir_flags)0);
  for (int i = 0; i < g_entries; i++)
    if (g_entry[i].parent == dir) fill(buf, strrchr(g_entry[i].path, '/') + 1, NULL, 0, (enum fuse_fill_dir_flags)0);
  return 0;
}

static int FsOpen(const char *path, struct fuse_file_info *fi) {
  int i = FindEntry(path);
  if (i < 0) return -ENOENT;
  if (g_entry[i].isDir) return -EISDIR;
  if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  int fd = g_sourceIsImage ? dup(g_imageFd) : -1;
  if (!g_sourceIsImage) {
    char real[PATH_MAX * 2];
    snprintf(real, sizeof real, "%s%s", g_source, path);
    fd = open(real, O_RDONLY);
  }
  if (fd < 0) return -errno;
  fi->fh = ((uint64_t)(unsigned)fd << 32) | (unsigned)i;
  /* Every read comes here as the program asked for it: no page cache that
   * would hide a second read, no read-ahead the program did not ask for. */
  fi->direct_io = 1;
  fi->keep_cache = 0;
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  Log(Ms(&now), "open", 0, g_entry[i].size, 0, path);
  return 0;
}

static int FsRead(const char *path, char *buf, size_t size, off_t offset, struct fuse_file_info *fi) {
  int fd = (int)(fi->fh >> 32), i = (int)(fi->fh & 0xffffffffu);
  const Entry *e = &g_entry[i];
  uint64_t off = (uint64_t)offset;
  if (off >= e->size) size = 0;
  else if (size > e->size - off) size = (size_t)(e->size - off);
  if (size == 0) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    Log(Ms(&now), "read", off, 0, 0, path);
    return 0;
  }
  uint64_t pos = e->firstSector * CD_SECTOR + off;
  double began = DriveStart();
  int bad;
  double cost = ReadCost(pos, size, began, &bad);
  Spend(cost);
  Log(began, bad ? "eio" : "read", off, size, cost, path);
  if (bad) return -EIO;
  uint64_t at = g_sourceIsImage ? pos : off;
  size_t done = 0;
  while (done < size) {
    ssize_t n = pread(fd, buf + done, size - done, (off_t)(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -errno;
    if (n == 0) break;
    done += (size_t)n;
  }
  return (int)done;
}

static int FsRelease(const char *, struct fuse_file_info *fi) {
  close((int)(fi->fh >> 32));
  return 0;
}

static void *FsInit(struct fuse_conn_info *conn, struct fuse_config *cfg) {
  conn->max_readahead = 0;
  /* A read the kernel splits goes to the drive piece after piece, and the
   * first that fails ends it, as one request to a drive does. */
  conn->want &= ~FUSE_CAP_ASYNC_DIO;
  cfg->direct_io = 1;
  cfg->kernel_cache = 0;
  cfg->entry_timeout = cfg->attr_timeout = 3600;  /* a CD does not change */
  clock_gettime(CLOCK_MONOTONIC, &g_start);
  g_busyUntil = g_start;
  return NULL;
}

/* ---- start-up ---- */

static int ParseSpeed(const char *s) {
  char *stop;
  errno = 0;
  double v = strtod(s, &stop);
  if (stop == s || errno || v <= 0) return 0;
  if ((*stop == 'x' || *stop == 'X') && !stop[1]) v *= 75 * 2048;
  else if (*stop) return 0;
  g_speed = v;
  return 1;
}

static int ParseMs(const char *s, double *ms) {
  char *stop;
  errno = 0;
  double v = strtod(s, &stop);
  if (stop == s || *stop || errno || v < 0) return 0;
  *ms = v;
  return 1;
}

int main(int argc, char **argv) {
  const char *mapfile = NULL, *logPath = NULL, *layoutPath = NULL;
  const char *bad[256];
  int nbad = 0, foreground = 0;
  const char *pos[2];
  int npos = 0;
  for (int i = 1; i < argc; i++) {
    const char *a = argv[i];
    const char *v = i + 1 < argc ? argv[i + 1] : NULL;
    if (!strcmp(a, "-h") || !strcmp(a, "--help")) { fputs(kUsage, stdout); return 0; }
    if (!strcmp(a, "-f")) { foreground = 1; continue; }
    if (a[0] == '-' && a[1]) {
      if (!v) { fprintf(stderr, "cddrive: %s wants a value\n%s", a, kUsage); return 1; }
      i++;
      if (!strcmp(a, "--speed")) { if (!ParseSpeed(v)) { fprintf(stderr, "cddrive: --speed %s: not a speed\n", v); return 1; } }
      else if (!strcmp(a, "--access")) { if (!ParseMs(v, &g_accessMs)) { fprintf(stderr, "cddrive: --access %s: not a time in ms\n", v); return 1; } }
      else if (!strcmp(a, "--buffer")) { if (!ParseMs(v, &g_bufferBytes)) { fprintf(stderr, "cddrive: --buffer %s: not a size in bytes\n", v); return 1; } }
      else if (!strcmp(a, "--error-time")) { if (!ParseMs(v, &g_errorMs)) { fprintf(stderr, "cddrive: --error-time %s: not a time in ms\n", v); return 1; } }
      else if (!strcmp(a, "--mapfile")) mapfile = v;
      else if (!strcmp(a, "--log")) logPath = v;
      else if (!strcmp(a, "--layout")) layoutPath = v;
      else if (!strcmp(a, "--bad")) {
        if (nbad == (int)(sizeof bad / sizeof bad[0])) { fprintf(stderr, "cddrive: too many --bad\n"); return 1; }
        bad[nbad++] = v;
      } else { fprintf(stderr, "cddrive: unknown option %s\n%s", a, kUsage); return 1; }
      continue;
    }
    if (npos == 2) { fprintf(stderr, "cddrive: one SOURCE and one MOUNTPOINT\n%s", kUsage); return 1; }
    pos[npos++] = a;
  }
  if (npos != 2) { fputs(kUsage, stderr); return 1; }
  if (!realpath(pos[0], g_source)) { fprintf(stderr, "cddrive: %s: %s\n", pos[0], strerror(errno)); return 1; }
  struct stat st;
  if (stat(g_source, &st) != 0) { fprintf(stderr, "cddrive: %s: %s\n", g_source, strerror(errno)); return 1; }
  AddEntry("/", 1, 0, -1);
  if (S_ISDIR(st.st_mode)) {
    uint64_t next = LAYOUT_FIRST_SECTOR;
    if (!WalkDirectory(0, &next)) return 1;
  } else if (S_ISREG(st.st_mode)) {
    g_sourceIsImage = 1;
    g_imageFd = open(g_source, O_RDONLY);
    if (g_imageFd < 0) { fprintf(stderr, "cddrive: %s: %s\n", g_source, strerror(errno)); return 1; }
    char name[PATH_MAX];
    snprintf(name, sizeof name, "/%s", strrchr(g_source, '/') + 1);
    AddEntry(name, 0, (uint64_t)st.st_size, 0);
  } else {
    fprintf(stderr, "cddrive: %s: neither a directory nor a file\n", g_source);
    return 1;
  }
  char reason[PATH_MAX + 200];
  if (mapfile && !SectorMapReadMapfile(&g_bad, mapfile, reason, sizeof reason)) {
    fprintf(stderr, "cddrive: mapfile %s\n", reason);
    return 1;
  }
  for (int i = 0; i < nbad; i++)
    if (!AddBadByte(bad[i])) return 1;
  if (layoutPath) {
    FILE *f = fopen(layoutPath, "w");
    if (!f) { fprintf(stderr, "cddrive: %s: %s\n", layoutPath, strerror(errno)); return 1; }
    for (int i = 0; i < g_entries; i++)
      if (!g_entry[i].isDir)
        fprintf(f, "%llu %llu %s\n", (unsigned long long)g_entry[i].firstSector,
                (unsigned long long)g_entry[i].size, g_entry[i].path + 1);
    if (fclose(f) != 0) { fprintf(stderr, "cddrive: %s: write error\n", layoutPath); return 1; }
  }
  if (logPath) {
    g_log = fopen(logPath, "a");
    if (!g_log) { fprintf(stderr, "cddrive: %s: %s\n", logPath, strerror(errno)); return 1; }
    setvbuf(g_log, NULL, _IOLBF, 0);
  }

  static struct fuse_operations ops;
  ops.getattr = FsGetattr;
  ops.readdir = FsReaddir;
  ops.open = FsOpen;
  ops.read = FsRead;
  ops.release = FsRelease;
  ops.init = FsInit;
  /* One thread: the drive does one thing at a time. */
  char *fargv[] = {argv[0], (char *)pos[1], (char *)"-s", (char *)"-o",
                   (char *)"ro,fsname=cddrive,subtype=cddrive,auto_unmount",
                   (char *)(foreground ? "-f" : NULL), NULL};
  int fargc = foreground ? 6 : 5;
  int rc = fuse_main(fargc, fargv, &ops, NULL);
  return rc == 0 ? 0 : 2;
}
