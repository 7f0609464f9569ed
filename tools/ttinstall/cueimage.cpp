/* Reading the data track of a BIN/CUE image.
 *
 * A cue sheet is a text of commands, one a line: FILE "name" TYPE starts a
 * file, TRACK nn MODE names a track in it, INDEX nn mm:ss:ff places the
 * track's indices in frames (sectors, 75 a second) from the start of the
 * file; INDEX 00 opens the pregap that the file stores before INDEX 01.
 * Everything else (REM, TITLE, PREGAP, FLAGS...) has no bearing on where the
 * data lies and is passed over. */
#include "tools/ttinstall/cueimage.h"
#include "tools/ttinstall/reason.h"
#include "tools/mkcue/cdsector.h"

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define CUE_MAX_FILES 100
#define CUE_MAX_TRACKS 99
#define READ_SECTORS 16 /* raw sectors read at once */

struct CueFile {
  char name[PATH_MAX]; /* as the cue writes it */
  char path[PATH_MAX]; /* where it was found */
  int binary;          /* BINARY or MOTOROLA: frames are sectors of it */
  uint64_t size;
};

struct CueTrack {
  int number;
  int file;            /* index in the files */
  uint32_t sectorSize; /* 2352 for audio and raw data */
  int data;            /* MODE1/2352 or MODE1/2048 */
  long index0, index1; /* frames in the file, -1 until given */
};


static int EndsWithCue(const char *path)
{
  size_t n = strlen(path);
  return n >= 4 && path[n - 4] == '.' && tolower((unsigned char)path[n - 3]) == 'c' &&
         tolower((unsigned char)path[n - 2]) == 'u' && tolower((unsigned char)path[n - 1]) == 'e';
}

int IsTrackImage(const char *path, int fd)
{
  unsigned char head[16];
  if (EndsWithCue(path))
    return 1;
  return pread(fd, head, sizeof head, 0) == (ssize_t)sizeof head && CdIsMode1Sector(head);
}

/* The next word of a line: quoted (without its quotes) or up to a blank.
 * 0 at the end of the line or for a word too long or unterminated. */
static int NextWord(const char **line, char *word, size_t size)
{
  const char *p = *line;
  while (*p == ' ' || *p == '\t')
    p++;
  if (!*p)
    return 0;
  const char *end;
  if (*p == '"') {
    end = strchr(++p, '"');
    if (!end)
      return 0;
  } else {
    end = p + strcspn(p, " \t");
  }
  size_t n = (size_t)(end - p);
  if (n >= size)
    return 0;
  memcpy(word, p, n);
  word[n] = 0;
  *line = *end == '"' ? end + 1 : end;
  return 1;
}

static int SameWord(const char *a, const char *b)
{
  return strcasecmp(a, b) == 0;
}

/* mm:ss:ff as frames, or -1. */
static long ParseTime(const char *text)
{
  unsigned m, s, f;
  char tail;
  if (sscanf(text, "%3u:%2u:%2u%c", &m, &s, &f, &tail) != 3 || s >= 60 || f >= 75)
    return -1;
  return ((long)m * 60 + s) * 75 + f;
}

/* Opens a regular file without waiting on a FIFO: the descriptor, -1 with
 * errno (EISDIR, or EINVAL for a device or the like). */
static int OpenRegular(const char *path, uint64_t *size)
{
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return -1;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  *size = (uint64_t)st.st_size;
  return fd;
}

/* Finds a file the cue names: beside the cue, or as written when absolute,
 * else by its last component beside the cue. Keeps the descriptor in *fd
 * when fd is not NULL. */
static int FindCueFile(const char *cueDir, struct CueFile *f, int *fd, char *reason, size_t reasonSize)
{
  char candidates[2][PATH_MAX];
  const char *base = f->name + strlen(f->name);
  while (base > f->name && base[-1] != '/' && base[-1] != '\\')
    base--;
  int n = 0;
  if (f->name[0] == '/')
    snprintf(candidates[n++], PATH_MAX, "%s", f->name);
  else if (snprintf(candidates[n], PATH_MAX, "%s/%s", cueDir, f->name) < PATH_MAX)
    n++;
  if (base != f->name && snprintf(candidates[n], PATH_MAX, "%s/%s", cueDir, base) < PATH_MAX)
    n++;
  int error = ENOENT;
  for (int i = 0; i < n; i++) {
    int opened = OpenRegular(candidates[i], &f->size);
    if (opened < 0) {
      if (errno != ENOENT || i == 0)
        error = errno;
      continue;
    }
    snprintf(f->path, sizeof f->path, "%s", candidates[i]);
    if (fd)
      *fd = opened;
    else
      close(opened);
    return 1;
  }
  if (error == ENOENT)
    return Refuse(reason, reasonSize, "the cue sheet names \"%s\", which is missing", f->name);
  if (error == EISDIR || error == EINVAL)
    return Refuse(reason, reasonSize, "the cue sheet names \"%s\", which is not a regular file", f->name);
  return Refuse(reason, reasonSize, "the cue sheet names \"%s\", which is unreadable: %s", f->name, strerror(error));
}

/* The first frame of a track's place in its file: its pregap where the
 * file stores one. */
static long TrackBegins(const struct CueTrack *t)
{
  return t->index0 >= 0 ? t->index0 : t->index1;
}

/* Where frame lies in the file of tracks[k], which holds it: the frames of
 * the earlier tracks of that file count with their own sector sizes. */
static uint64_t ByteOfFrame(const struct CueTrack *tracks, int k, long frame)
{
  uint64_t byte = 0;
  int first = k;
  while (first > 0 && tracks[first - 1].file == tracks[k].file)
    first--;
  long at = 0;
  for (int i = first; i < k; i++) {
    long next = TrackBegins(&tracks[i + 1]);
    byte += (uint64_t)(next - at) * tracks[i].sectorSize;
    at = next;
  }
  return byte + (uint64_t)(frame - at) * tracks[k].sectorSize;
}

struct CueSheet {
  struct CueFile files[CUE_MAX_FILES];
  struct CueTrack tracks[CUE_MAX_TRACKS];
  int fileCount, trackCount;
};

static struct CueSheet g_cue; /* too large for the stack */

static int ParseCue(char *text, const char *cueDir, char *reason, size_t reasonSize)
{
  struct CueSheet *c = &g_cue;
  c->fileCount = c->trackCount = 0;
  int lineNumber = 0;
  for (char *line = text; line;) {
    char *next = strchr(line, '\n');
    if (next)
      *next++ = 0;
    lineNumber++;
    size_t n = strlen(line);
    if (n && line[n - 1] == '\r')
      line[n - 1] = 0;
    const char *p = line;
    char command[16], word[PATH_MAX], type[32];
    if (!NextWord(&p, command, sizeof command)) {
      line = next;
      continue;
    }
    if (SameWord(command, "FILE")) {
      if (c->fileCount == CUE_MAX_FILES)
        return Refuse(reason, reasonSize, "damaged cue sheet: more than %d files", CUE_MAX_FILES);
      if (!NextWord(&p, word, sizeof word) || !word[0] || !NextWord(&p, type, sizeof type))
        return Refuse(reason, reasonSize, "damaged cue sheet: line %d: FILE without a name and a type", lineNumber);
      struct CueFile *f = &c->files[c->fileCount++];
      snprintf(f->name, sizeof f->name, "%s", word);
      f->binary = SameWord(type, "BINARY") || SameWord(type, "MOTOROLA");
      if (!FindCueFile(cueDir, f, NULL, reason, reasonSize))
        return 0;
    } else if (SameWord(command, "TRACK")) {
      if (!c->fileCount)
        return Refuse(reason, reasonSize, "damaged cue sheet: line %d: TRACK before FILE", lineNumber);
      if (c->trackCount == CUE_MAX_TRACKS)
        return Refuse(reason, reasonSize, "damaged cue sheet: more than %d tracks", CUE_MAX_TRACKS);
      char *end;
      if (!NextWord(&p, word, sizeof word) || !NextWord(&p, type, sizeof type))
        return Refuse(reason, reasonSize, "damaged cue sheet: line %d: TRACK without a number and a mode", lineNumber);
      long number = strtol(word, &end, 10);
      if (*end || number < 1 || number > CUE_MAX_TRACKS)
        return Refuse(reason, reasonSize, "damaged cue sheet: line %d: track number \"%s\"", lineNumber, word);
      struct CueTrack *t = &c->tracks[c->trackCount++];
      t->number = (int)number;
      t->file = c->fileCount - 1;
      t->data = SameWord(type, "MODE1/2352") || SameWord(type, "MODE1/2048");
      t->sectorSize = SameWord(type, "MODE1/2048") ? 2048 : SameWord(type, "MODE2/2336") ? 2336
                      : SameWord(type, "CDG") ? 2448 : CD_RAW_SECTOR;
      t->index0 = t->index1 = -1;
    } else if (SameWord(command, "INDEX")) {
      if (!c->trackCount)
        return Refuse(reason, reasonSize, "damaged cue sheet: line %d: INDEX before TRACK", lineNumber);
      struct CueTrack *t = &c->tracks[c->trackCount - 1];
      long frame = -1;
      if (!NextWord(&p, word, sizeof word) || !NextWord(&p, type, sizeof type) || (frame = ParseTime(type)) < 0)
        return Refuse(reason, reasonSize, "damaged cue sheet: line %d: INDEX without a number and a time", lineNumber);
      int index = atoi(word);
      if (index == 0)
        t->index0 = frame;
      else if (index == 1)
        t->index1 = frame;
    }
    line = next;
  }
  for (int k = 0; k < c->trackCount; k++) {
    struct CueTrack *t = &c->tracks[k];
    if (t->index1 < 0)
      return Refuse(reason, reasonSize, "damaged cue sheet: track %d has no INDEX 01", t->number);
    int firstOfFile = k == 0 || c->tracks[k - 1].file != t->file;
    if ((t->index0 >= 0 && t->index0 > t->index1) || (!firstOfFile && TrackBegins(t) < c->tracks[k - 1].index1))
      return Refuse(reason, reasonSize, "damaged cue sheet: the indices of track %d go backwards", t->number);
  }
  /* Each binary file must hold the start of its last track. */
  for (int k = 0; k < c->trackCount; k++) {
    const struct CueTrack *t = &c->tracks[k];
    const struct CueFile *f = &c->files[t->file];
    if (!f->binary || (k + 1 < c->trackCount && c->tracks[k + 1].file == t->file))
      continue;
    uint64_t need = ByteOfFrame(c->tracks, k, t->index1) + t->sectorSize;
    if (f->size < need)
      return Refuse(reason, reasonSize, "the CD image is cut short: \"%s\" holds %llu bytes, its tracks need %llu at least",
                    f->name, (unsigned long long)f->size, (unsigned long long)need);
  }
  return 1;
}

static int OpenFromCue(const char *path, int fd, struct CdTrack *track, char *reason, size_t reasonSize)
{
  static char text[CUE_MAX_SIZE + 1];
  ssize_t got = pread(fd, text, CUE_MAX_SIZE + 1, 0);
  if (got < 0)
    return Refuse(reason, reasonSize, "unreadable: %s", strerror(errno));
  if (got > CUE_MAX_SIZE || memchr(text, 0, (size_t)got))
    return Refuse(reason, reasonSize, "not a cue sheet (a text of %d bytes at most)", CUE_MAX_SIZE);
  text[got] = 0;
  char cueDir[PATH_MAX];
  const char *slash = strrchr(path, '/');
  if (!slash)
    snprintf(cueDir, sizeof cueDir, ".");
  else
    snprintf(cueDir, sizeof cueDir, "%.*s", slash == path ? 1 : (int)(slash - path), path);
  if (!ParseCue(text, cueDir, reason, reasonSize))
    return 0;
  const struct CueSheet *c = &g_cue;
  int k = 0;
  while (k < c->trackCount && !c->tracks[k].data)
    k++;
  if (k == c->trackCount)
    return Refuse(reason, reasonSize, "the cue sheet has no data track (MODE1/2352 or MODE1/2048)");
  const struct CueTrack *t = &c->tracks[k];
  struct CueFile f = c->files[t->file];
  if (!f.binary)
    return Refuse(reason, reasonSize, "the data track's file \"%s\" is not BINARY", f.name);
  track->sectorSize = t->sectorSize;
  track->start = ByteOfFrame(c->tracks, k, t->index1);
  uint64_t end;
  if (k + 1 < c->trackCount && c->tracks[k + 1].file == t->file) {
    end = ByteOfFrame(c->tracks, k + 1, TrackBegins(&c->tracks[k + 1]));
  } else {
    end = f.size;
    if ((end - track->start) % t->sectorSize)
      return Refuse(reason, reasonSize, "the CD image is cut short: \"%s\" ends within a sector", f.name);
  }
  track->sectors = (end - track->start) / t->sectorSize;
  if (!FindCueFile(cueDir, &f, &track->fd, reason, reasonSize))
    return 0;
  if (f.size < end) {
    close(track->fd);
    return Refuse(reason, reasonSize, "the CD image is cut short: \"%s\" holds %llu bytes, its tracks need %llu at least",
                  f.name, (unsigned long long)f.size, (unsigned long long)end);
  }
  return 1;
}

int OpenTrackImage(const char *path, int fd, struct CdTrack *track, char *reason, size_t reasonSize)
{
  track->fd = -1;
  if (EndsWithCue(path))
    return OpenFromCue(path, fd, track, reason, reasonSize);
  struct stat st;
  if (fstat(fd, &st) != 0)
    return Refuse(reason, reasonSize, "unreadable: %s", strerror(errno));
  if ((uint64_t)st.st_size % CD_RAW_SECTOR)
    return Refuse(reason, reasonSize, "the CD image is cut short: it ends within a sector");
  track->fd = dup(fd);
  if (track->fd < 0)
    return Refuse(reason, reasonSize, "unreadable: %s", strerror(errno));
  track->start = 0;
  track->sectorSize = CD_RAW_SECTOR;
  track->sectors = (uint64_t)st.st_size / CD_RAW_SECTOR;
  return 1;
}

/* pread of exactly count bytes: 1, or 0 with a reason. */
static int ReadExactly(int fd, void *buffer, size_t count, uint64_t at, char *reason, size_t reasonSize)
{
  size_t got = 0;
  while (got < count) {
    ssize_t n = pread(fd, (char *)buffer + got, count - got, (off_t)(at + got));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return Refuse(reason, reasonSize, "%s", strerror(errno));
    if (n == 0)
      return Refuse(reason, reasonSize, "the CD image has changed");
    got += (size_t)n;
  }
  return 1;
}

long ReadTrackData(const struct CdTrack *track, uint64_t offset, void *buffer, size_t count, char *reason,
                   size_t reasonSize)
{
  uint64_t total = track->sectors * CD_USER_DATA;
  if (offset >= total)
    return 0;
  if (count > total - offset)
    count = (size_t)(total - offset);
  if (count > (size_t)LONG_MAX)
    count = (size_t)LONG_MAX;
  if (track->sectorSize == CD_USER_DATA)
    return ReadExactly(track->fd, buffer, count, track->start + offset, reason, reasonSize) ? (long)count : -1;
  static unsigned char raw[READ_SECTORS * CD_RAW_SECTOR];
  size_t done = 0;
  while (done < count) {
    uint64_t sector = (offset + done) / CD_USER_DATA;
    size_t within = (size_t)((offset + done) % CD_USER_DATA);
    uint64_t sectors = (within + (count - done) + CD_USER_DATA - 1) / CD_USER_DATA;
    if (sectors > READ_SECTORS)
      sectors = READ_SECTORS;
    if (!ReadExactly(track->fd, raw, (size_t)sectors * CD_RAW_SECTOR, track->start + sector * CD_RAW_SECTOR, reason,
                     reasonSize))
      return -1;
    for (uint64_t i = 0; i < sectors && done < count; i++) {
      const unsigned char *s = raw + i * CD_RAW_SECTOR;
      if (!CdIsMode1Sector(s)) {
        Refuse(reason, reasonSize, "sector %llu of the data track is no Mode 1 sector", (unsigned long long)(sector + i));
        return -1;
      }
      if (!CdMode1EdcMatches(s)) {
        Refuse(reason, reasonSize, "sector %llu of the data track is damaged (its EDC does not match)",
               (unsigned long long)(sector + i));
        return -1;
      }
      size_t n = CD_USER_DATA - within;
      if (n > count - done)
        n = count - done;
      memcpy((char *)buffer + done, s + CD_USER_DATA_AT + within, n);
      done += n;
      within = 0;
    }
  }
  return (long)count;
}
