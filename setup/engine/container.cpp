/* Checks on container indexes, entry and chunk headers, and names from the CD. */
#include "setup/engine/container.h"

#include "setup/engine/lzss.h"
#include "common/textformat.h"

#include <stdarg.h>
#include <string.h>

static int Refuse(char *reason, size_t reasonSize, const char *format, ...)
{
  if (reason && reasonSize) {
    va_list args;
    va_start(args, format);
    FormatTextList(reason, reasonSize, format, args);
    va_end(args);
  }
  return 0;
}

uint32_t ReadLe32(const unsigned char *p)
{
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

void WriteLe32(unsigned char *p, uint32_t value)
{
  p[0] = (unsigned char)value;
  p[1] = (unsigned char)(value >> 8);
  p[2] = (unsigned char)(value >> 16);
  p[3] = (unsigned char)(value >> 24);
}

int CheckIndexSize(size_t indexSize, char *reason, size_t reasonSize)
{
  if (indexSize == 0)
    return Refuse(reason, reasonSize, "index is empty");
  if (indexSize % CFI_ENTRY_SIZE != 0)
    return Refuse(reason, reasonSize, "index size %lu is not a multiple of %d",
                  (unsigned long)indexSize, CFI_ENTRY_SIZE);
  return 1;
}

int ReadIndexEntry(const unsigned char *index, size_t indexSize, size_t number,
                   char *name, uint32_t *entrySize, char *reason, size_t reasonSize)
{
  if (number >= indexSize / CFI_ENTRY_SIZE)
    return Refuse(reason, reasonSize, "index has no entry %lu", (unsigned long)number);
  const unsigned char *record = index + number * CFI_ENTRY_SIZE;
  const void *end = memchr(record, 0, CFI_NAME_SIZE);
  if (!end)
    return Refuse(reason, reasonSize, "entry %lu: name is not terminated within %d bytes",
                  (unsigned long)number, CFI_NAME_SIZE);
  memcpy(name, record, (size_t)((const unsigned char *)end - record) + 1);
  if (!IsSafeRelativePath(name))
    return Refuse(reason, reasonSize, "entry %lu: unsafe name \"%s\"", (unsigned long)number, name);
  *entrySize = ReadLe32(record + CFI_NAME_SIZE);
  if (*entrySize < CFL_HEADER_SIZE)
    return Refuse(reason, reasonSize, "entry %lu (%s): size %lu is smaller than its %d-byte header",
                  (unsigned long)number, name, (unsigned long)*entrySize, CFL_HEADER_SIZE);
  return 1;
}

int ParseEntryHeader(const unsigned char *header, uint32_t entrySize,
                     uint32_t *chunkFlag, uint32_t *bodySize, char *reason, size_t reasonSize)
{
  if (entrySize < CFL_HEADER_SIZE)
    return Refuse(reason, reasonSize, "entry size %lu is smaller than its %d-byte header",
                  (unsigned long)entrySize, CFL_HEADER_SIZE);
  *chunkFlag = ReadLe32(header + 4);
  *bodySize = entrySize - CFL_HEADER_SIZE;
  return 1;
}

int ParseChunkHeader(const unsigned char *header, uint32_t bytesLeft, uint32_t *expanded,
                     int32_t *stored, uint32_t *payload, char *reason, size_t reasonSize)
{
  if (bytesLeft < CFL_HEADER_SIZE)
    return Refuse(reason, reasonSize, "chunk header needs %d bytes, only %lu left in the entry",
                  CFL_HEADER_SIZE, (unsigned long)bytesLeft);
  *expanded = ReadLe32(header);
  *stored = (int32_t)ReadLe32(header + 4);
  if (*expanded > CFL_MAX_CHUNK)
    return Refuse(reason, reasonSize, "chunk expanded length %lu is over %d",
                  (unsigned long)*expanded, CFL_MAX_CHUNK);
  /* Widened before negating: -INT32_MIN does not fit in 32 bits. */
  int64_t magnitude = *stored < 0 ? -(int64_t)*stored : (int64_t)*stored;
  if (magnitude > CFL_MAX_CHUNK)
    return Refuse(reason, reasonSize, "chunk stored length %ld is over %d in size",
                  (long)*stored, CFL_MAX_CHUNK);
  *payload = (uint32_t)magnitude;
  if (*stored <= 0 && *payload != *expanded)
    return Refuse(reason, reasonSize, "raw chunk of %lu bytes claims an expanded length of %lu",
                  (unsigned long)*payload, (unsigned long)*expanded);
  if (*payload > bytesLeft - CFL_HEADER_SIZE)
    return Refuse(reason, reasonSize, "chunk of %lu payload bytes runs past the entry (%lu left)",
                  (unsigned long)*payload, (unsigned long)(bytesLeft - CFL_HEADER_SIZE));
  return 1;
}

int CheckDecodedChunk(int status, size_t produced, uint32_t expanded,
                      char *reason, size_t reasonSize)
{
  if (status != LZSS_OK && status != LZSS_TRUNCATED)
    return Refuse(reason, reasonSize, "LZSS payload is malformed (%s)", LzssStatusText(status));
  /* More is fine: the chunk is its first expanded bytes (a padded last flag
   * group yields some extra). Fewer would leave stale buffer bytes. */
  if (produced < expanded)
    return Refuse(reason, reasonSize, "LZSS payload expands to %lu bytes instead of %lu",
                  (unsigned long)produced, (unsigned long)expanded);
  return 1;
}

static int IsSeparator(char c)
{
  return c == '\\' || c == '/';
}

/* CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9: Windows opens the device
 * whatever directory the name stands in and whatever extension follows it,
 * and it drops trailing blanks before the extension. Windows counts the
 * superscript digits of code page 1252 as digits here. CONIN$ and CONOUT$
 * open the console and DOS keeps CLOCK$; they are refused the same way. */
int IsDeviceName(const char *start, const char *end)
{
  static const char *const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  const char *stop = start;
  while (stop < end && *stop != '.')
    stop++;
  while (stop > start && stop[-1] == ' ')
    stop--;
  size_t n = (size_t)(stop - start);
  if (n < 3 || n > 7)
    return 0;
  char base[8];
  for (size_t i = 0; i < n; i++)
    base[i] = (char)(start[i] >= 'a' && start[i] <= 'z' ? start[i] - 32 : start[i]);
  base[n] = '\0';
  for (size_t i = 0; i < sizeof devices / sizeof devices[0]; i++)
    if (!strcmp(base, devices[i]))
      return 1;
  if (n != 4)
    return 0;
  unsigned char digit = (unsigned char)start[3];
  return (!strncmp(base, "COM", 3) || !strncmp(base, "LPT", 3)) &&
         ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

int IsSafeRelativePath(const char *path)
{
  if (!path || !path[0])
    return 0;
  if (IsSeparator(path[0]) && IsSeparator(path[1]))
    return 0; /* \\server\share, \\?\ and \\.\ names */
  int depth = 0;
  const char *component = path;
  for (const char *p = path;; p++) {
    unsigned char c = (unsigned char)*p;
    if (c == ':' || (c != 0 && c < 32))
      return 0;
    if (c != 0 && !IsSeparator((char)c))
      continue;
    size_t n = (size_t)(p - component);
    const char *q = component;
    while (q < p && (*q == '.' || *q == ' '))
      q++;
    if (n == 0 || q == p) {
      /* An empty component (a leading or doubled separator) and "." stay
       * where they are; ".." climbs, and may not climb out. Windows drops
       * trailing dots and blanks, so other runs of them are refused. The
       * last component must name a file. */
      if (c == 0)
        return 0;
      if (n == 2 && component[0] == '.' && component[1] == '.') {
        if (depth == 0)
          return 0;
        depth--;
      } else if (n > 1 || (n == 1 && component[0] != '.')) {
        return 0;
      }
    } else {
      if (IsDeviceName(component, p))
        return 0;
      depth++;
    }
    if (c == 0)
      return 1;
    component = p + 1;
  }
}

int ValidateContainer(const unsigned char *index, size_t indexSize,
                      const unsigned char *data, size_t dataSize, unsigned char *work,
                      ContainerSink sink, void *context, char *reason, size_t reasonSize)
{
  char name[CFI_NAME_SIZE];
  char why[200];
  if (!CheckIndexSize(indexSize, reason, reasonSize))
    return 0;
  size_t entries = indexSize / CFI_ENTRY_SIZE;
  size_t at = 0; /* position in the data file */
  for (size_t e = 0; e < entries; e++) {
    uint32_t entrySize = 0, chunkFlag = 0, body = 0;
    if (!ReadIndexEntry(index, indexSize, e, name, &entrySize, reason, reasonSize))
      return 0;
    if (entrySize > dataSize - at)
      return Refuse(reason, reasonSize, "entry %lu (%s) at byte %lu: size %lu runs past the data file (%lu bytes)",
                    (unsigned long)e, name, (unsigned long)at, (unsigned long)entrySize, (unsigned long)dataSize);
    if (!ParseEntryHeader(data + at, entrySize, &chunkFlag, &body, why, sizeof why))
      return Refuse(reason, reasonSize, "entry %lu (%s): %s", (unsigned long)e, name, why);
    at += CFL_HEADER_SIZE;
    if (sink && !sink(context, e, name, NULL, 0))
      return Refuse(reason, reasonSize, "entry %lu (%s): refused by the caller", (unsigned long)e, name);
    if (chunkFlag == 0) {
      if (sink && body && !sink(context, e, name, data + at, body))
        return Refuse(reason, reasonSize, "entry %lu (%s): refused by the caller", (unsigned long)e, name);
      at += body;
      continue;
    }
    uint32_t left = body;
    while (left > 0) {
      uint32_t expanded, payload;
      int32_t stored;
      if (!ParseChunkHeader(data + at, left, &expanded, &stored, &payload, why, sizeof why))
        return Refuse(reason, reasonSize, "entry %lu (%s), chunk at byte %lu: %s",
                      (unsigned long)e, name, (unsigned long)at, why);
      const unsigned char *bytes = data + at + CFL_HEADER_SIZE;
      if (stored > 0) {
        size_t produced;
        int status = LzssDecode(bytes, payload, work, CFL_MAX_CHUNK, &produced);
        if (!CheckDecodedChunk(status, produced, expanded, why, sizeof why))
          return Refuse(reason, reasonSize, "entry %lu (%s), chunk at byte %lu: %s",
                        (unsigned long)e, name, (unsigned long)at, why);
        bytes = work;
      }
      if (sink && !sink(context, e, name, bytes, expanded))
        return Refuse(reason, reasonSize, "entry %lu (%s): refused by the caller", (unsigned long)e, name);
      at += CFL_HEADER_SIZE + payload;
      left -= CFL_HEADER_SIZE + payload;
    }
  }
  if (at != dataSize)
    return Refuse(reason, reasonSize, "data file has %lu bytes after its last entry",
                  (unsigned long)(dataSize - at));
  return 1;
}
