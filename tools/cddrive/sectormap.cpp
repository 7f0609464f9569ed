/* Unreadable sectors of a CD and the ddrescue mapfile reader. */
#include "tools/cddrive/sectormap.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void SectorMapClear(SectorMap *map) { map->count = 0; }

int SectorMapAdd(SectorMap *map, uint64_t first, uint64_t last) {
  if (last < first) return 1;
  /* The ranges that overlap or touch first..last merge into one. */
  int lo = 0;
  while (lo < map->count && map->range[lo].last != UINT64_MAX && map->range[lo].last + 1 < first) lo++;
  int hi = lo;
  while (hi < map->count && (last == UINT64_MAX || map->range[hi].first <= last + 1)) hi++;
  if (hi > lo) {
    if (map->range[lo].first < first) first = map->range[lo].first;
    if (map->range[hi - 1].last > last) last = map->range[hi - 1].last;
  } else if (map->count == SECTORMAP_MAX) {
    return 0;
  }
  int removed = hi - lo; /* ranges replaced by the merged one */
  int shift = 1 - removed;
  memmove(&map->range[hi + shift], &map->range[hi], (size_t)(map->count - hi) * sizeof(SectorRange));
  map->count += shift;
  map->range[lo].first = first;
  map->range[lo].last = last;
  return 1;
}

int SectorMapAddBytes(SectorMap *map, uint64_t pos, uint64_t size) {
  if (size == 0) return 1;
  uint64_t end = pos + size - 1;
  if (end < pos) end = UINT64_MAX;
  return SectorMapAdd(map, pos / CD_SECTOR, end / CD_SECTOR);
}

static void SetReason(char *reason, size_t reasonSize, int line, const char *what) {
  if (reason && reasonSize) snprintf(reason, reasonSize, "line %d: %s", line, what);
}

/* One number in C form at *p, skipping blanks before it. */
static int ParseNumber(const char **p, const char *end, uint64_t *value) {
  while (*p < end && (**p == ' ' || **p == '\t')) (*p)++;
  char buf[32];
  size_t n = 0;
  while (*p < end && **p != ' ' && **p != '\t' && **p != '\r' && **p != '\n' && n < sizeof buf - 1)
    buf[n++] = *(*p)++;
  buf[n] = 0;
  if (n == 0 || buf[0] == '-' || buf[0] == '+') return 0;
  char *stop;
  errno = 0;
  unsigned long long v = strtoull(buf, &stop, 0);
  if (*stop || errno) return 0;
  *value = v;
  return 1;
}

static int ParseStatus(const char **p, const char *end, char *status) {
  while (*p < end && (**p == ' ' || **p == '\t')) (*p)++;
  if (*p >= end) return 0;
  *status = *(*p)++;
  return *p >= end || **p == ' ' || **p == '\t' || **p == '\r';
}

static int AtLineEnd(const char *p, const char *end) {
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) p++;
  return p >= end || *p == '#';
}

int SectorMapParseMapfile(SectorMap *map, const char *text, size_t len, char *reason, size_t reasonSize) {
  const char *p = text, *end = text + len;
  int line = 0, sawStatus = 0, areas = 0;
  while (p < end) {
    const char *nl = (const char *)memchr(p, '\n', (size_t)(end - p));
    const char *lineEnd = nl ? nl : end;
    line++;
    const char *q = p;
    p = nl ? nl + 1 : end;
    if (AtLineEnd(q, lineEnd)) continue; /* blank or comment */
    uint64_t pos, size;
    char status;
    if (!sawStatus) {
      /* current_pos current_status [current_pass] */
      if (!ParseNumber(&q, lineEnd, &pos)) { SetReason(reason, reasonSize, line, "current position is not a number"); return 0; }
      if (!ParseStatus(&q, lineEnd, &status) || !strchr("?*/-FGB+", status)) {
        SetReason(reason, reasonSize, line, "no current status"); return 0;
      }
      sawStatus = 1;
      continue;
    }
    if (!ParseNumber(&q, lineEnd, &pos)) { SetReason(reason, reasonSize, line, "position is not a number"); return 0; }
    if (!ParseNumber(&q, lineEnd, &size)) { SetReason(reason, reasonSize, line, "size is not a number"); return 0; }
    if (!ParseStatus(&q, lineEnd, &status) || !strchr("+-*/?", status)) {
      SetReason(reason, reasonSize, line, "status is not one of + - * / ?"); return 0;
    }
    if (!AtLineEnd(q, lineEnd)) { SetReason(reason, reasonSize, line, "more than position, size and status"); return 0; }
    if (pos + size < pos) { SetReason(reason, reasonSize, line, "area ends beyond 2^64"); return 0; }
    if (status != '+' && !SectorMapAddBytes(map, pos, size)) {
      SetReason(reason, reasonSize, line, "too many unreadable areas"); return 0;
    }
    areas++;
  }
  if (!sawStatus) { SetReason(reason, reasonSize, line, "no status line: not a ddrescue mapfile"); return 0; }
  (void)areas;
  return 1;
}

int SectorMapReadMapfile(SectorMap *map, const char *path, char *reason, size_t reasonSize) {
  FILE *f = fopen(path, "rb");
  if (!f) {
    if (reason && reasonSize) snprintf(reason, reasonSize, "%s: %s", path, strerror(errno));
    return 0;
  }
  static char text[4 << 20];
  size_t len = fread(text, 1, sizeof text, f);
  int tooBig = len == sizeof text && fgetc(f) != EOF;
  int failed = ferror(f);
  fclose(f);
  if (failed || tooBig) {
    if (reason && reasonSize) snprintf(reason, reasonSize, "%s: %s", path, failed ? "read error" : "larger than 4 MB");
    return 0;
  }
  char why[200];
  if (!SectorMapParseMapfile(map, text, len, why, sizeof why)) {
    if (reason && reasonSize) snprintf(reason, reasonSize, "%s: %s", path, why);
    return 0;
  }
  return 1;
}

int SectorMapTouches(const SectorMap *map, uint64_t pos, uint64_t size, uint64_t *firstBad) {
  if (size == 0) return 0;
  uint64_t endByte = pos + size - 1;
  if (endByte < pos) endByte = UINT64_MAX;
  uint64_t first = pos / CD_SECTOR, last = endByte / CD_SECTOR;
  /* The first range that ends at or after the read's first sector. */
  int lo = 0, hi = map->count;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (map->range[mid].last < first) lo = mid + 1;
    else hi = mid;
  }
  if (lo == map->count || map->range[lo].first > last) return 0;
  if (firstBad) {
    uint64_t s = map->range[lo].first;
    *firstBad = s <= first ? pos : s * CD_SECTOR;
  }
  return 1;
}

uint64_t SectorsFor(uint64_t size) { return size / CD_SECTOR + (size % CD_SECTOR != 0); }
