/* Fuzzes the container checks: ValidateContainer over an index and a data
 * file made from the input, the copy pass's own walk over the same container
 * (TransferFileBody, which Outfitter and the native installer run), the file
 * list's line rule, ParseChunkHeader on raw bytes, and IsSafeRelativePath. Nothing may read or write out of bounds, and what the
 * checks accept must hold together: entries walked in order, no chunk over
 * 1 MiB, no accepted name with a way out of its directory, and a container
 * that ValidateContainer accepts comes through the copy pass whole and with
 * the same bytes.
 *
 * Input: byte 0 selects the index form. Odd: the index is taken raw, the
 * next (byte 1 % 4) * 268 bytes. Even: (byte 1 % 4) + 1 records are built,
 * each from one length byte, that many name bytes and 4 size bytes. The rest
 * of the input is the data file. */
#include "setup/engine/container.h"
#include "setup/engine/copyrules.h"
#include "settings/linesyntax.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <ctype.h>
#include <string>
#include <vector>

struct Walk {
  size_t entries;
  size_t lastEntry;
  std::vector<unsigned char> bytes;   /* every entry's expanded bytes, in order */
};

void ReportLongLine(void) {}

static int Sink(void *context, size_t entry, const char *name, const unsigned char *bytes, size_t count)
{
  Walk *w = (Walk *)context;
  if (!IsSafeRelativePath(name))
    abort();
  if (!bytes) {
    if (w->entries && entry != w->lastEntry + 1)
      abort();
    w->entries++;
    w->lastEntry = entry;
    return 1;
  }
  if (entry != w->lastEntry)
    abort();
  w->bytes.insert(w->bytes.end(), bytes, bytes + count);
  return 1;
}

/* Independent statement of the name rule, to hold IsSafeRelativePath to:
 * joined to a directory, the name leaves it through a drive, a server name,
 * a device, or more ".." than names before them. */
static int LeavesDirectory(const char *s)
{
  if (!*s || strchr(s, ':') || ((s[0] == '\\' || s[0] == '/') && (s[1] == '\\' || s[1] == '/')))
    return 1;
  int depth = 0;
  const char *start = s;
  for (const char *p = s;; p++) {
    if (*p == '\\' || *p == '/' || !*p) {
      std::string part(start, (size_t)(p - start));
      std::string base = part.substr(0, part.find('.'));
      for (char &c : base)
        c = (char)toupper((unsigned char)c);
      while (!base.empty() && base.back() == ' ')
        base.pop_back();
      if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
          base == "CONOUT$" || base == "CLOCK$" ||
          (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9'))
        return 1;
      if (part == "..") {
        if (--depth < 0)
          return 1;
      } else if (!part.empty() && part != ".") {
        depth++;
      }
      if (!*p)
        return 0;
      start = p + 1;
    }
  }
}

/* The copy pass's ports on memory. */
struct MemoryFile {
  const unsigned char *data;
  size_t size, at;
};

static int ReadMemory(void *source, unsigned char *buffer, uint32_t count)
{
  MemoryFile *file = (MemoryFile *)source;
  if (count > file->size - file->at)
    return 0;
  memcpy(buffer, file->data + file->at, count);
  file->at += count;
  return 1;
}

static int WriteMemory(void *target, const unsigned char *bytes, uint32_t count)
{
  std::vector<unsigned char> *out = (std::vector<unsigned char> *)target;
  out->insert(out->end(), bytes, bytes + count);
  return 1;
}

static void Step(void *, uint32_t) {}

/* The container entry by entry as the copy pass reads it: header, then body.
 * 1 when every entry came through. */
static int CopyPassWalk(const std::vector<unsigned char> &index, const std::vector<unsigned char> &file,
                        std::vector<unsigned char> *out)
{
  static std::vector<unsigned char> input(TRANSFER_SIZE), output(TRANSFER_SIZE);
  char reason[200], name[CFI_NAME_SIZE], destination[COPY_PATH_SIZE] = "G1\\X";
  if (!CheckIndexSize(index.size(), reason, sizeof reason))
    return 0;
  MemoryFile source = { file.data(), file.size(), 0 };
  TransferPorts ports = { ReadMemory, &source, WriteMemory, out, Step, NULL };
  for (size_t e = 0; e < index.size() / CFI_ENTRY_SIZE; e++) {
    uint32_t entrySize, flag, body, chunk;
    unsigned char header[CFL_HEADER_SIZE];
    if (!ReadIndexEntry(index.data(), index.size(), e, name, &entrySize, reason, sizeof reason) ||
        !EntryDestination(destination, name) || !ReadMemory(&source, header, CFL_HEADER_SIZE) ||
        !ParseEntryHeader(header, entrySize, &flag, &body, reason, sizeof reason))
      return 0;
    size_t end = source.at + body;
    int result = TransferFileBody(&ports, flag, body, input.data(), output.data(), &chunk, reason, sizeof reason);
    if (result != TRANSFER_DONE)
      return 0;
    if (source.at != end)
      abort();   /* a whole body used exactly its bytes */
  }
  return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  static std::vector<unsigned char> work(CFL_MAX_CHUNK);
  if (size < 2)
    return 0;
  std::vector<unsigned char> index;
  size_t at = 2;
  if (data[0] & 1) {
    size_t n = (size_t)(data[1] % 4) * CFI_ENTRY_SIZE;
    if (n > size - at)
      n = size - at;
    index.assign(data + at, data + at + n);
    at += n;
  } else {
    size_t records = (size_t)(data[1] % 4) + 1;
    index.assign(records * CFI_ENTRY_SIZE, 0);
    for (size_t r = 0; r < records && at < size; r++) {
      size_t n = data[at++] % 16;
      unsigned char *record = index.data() + r * CFI_ENTRY_SIZE;
      for (size_t k = 0; k < n && at < size; k++)
        record[k] = data[at++];
      for (size_t k = 0; k < 4 && at < size; k++)
        record[CFI_NAME_SIZE + k] = data[at++];
    }
  }
  std::vector<unsigned char> file(data + at, data + size);

  char reason[200];
  Walk walk = {0, 0};
  int ok = ValidateContainer(index.data(), index.size(), file.data(), file.size(), work.data(),
                             Sink, &walk, reason, sizeof reason);
  if (ok && walk.entries != index.size() / CFI_ENTRY_SIZE)
    abort();
  if (!ok && !memchr(reason, 0, sizeof reason))
    abort();
  std::vector<unsigned char> copied;
  if (CopyPassWalk(index, file, &copied) != ok && ok)
    abort();
  if (ok && copied != walk.bytes)
    abort();

  if (file.size() >= CFL_HEADER_SIZE) {
    uint32_t expanded, payload;
    int32_t stored;
    uint32_t left = (uint32_t)file.size();
    if (ParseChunkHeader(file.data(), left, &expanded, &stored, &payload, reason, sizeof reason) &&
        (expanded > CFL_MAX_CHUNK || payload > CFL_MAX_CHUNK || CFL_HEADER_SIZE + payload > left))
      abort();
  }

  std::vector<char> name(data, data + size);
  name.push_back(0);
  if (IsSafeRelativePath(name.data()) && LeavesDirectory(name.data()))
    abort();

  /* The input as a file list: every line's fields fit their buffers. */
  char source[COPY_PATH_SIZE], listed[COPY_PATH_SIZE];
  for (long at = 0, used; at < (long)size; at += used) {
    used = ReadListLine((const char *)data + at, (long)size - at, "ENGLISH\\", source, listed);
    if (used <= 0)
      break;
    if (strlen(source) >= COPY_PATH_SIZE || strlen(listed) >= COPY_PATH_SIZE)
      abort();
  }
  return 0;
}
