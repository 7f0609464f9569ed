/* mkcd: masters the game CD tree from a description (see README.md).
 *
 *   mkcd [-D NAME=VALUE]... [-j THREADS] [--expect DIR] [--expect-full DIR]
 *        [--expect-list NAME] DESCRIPTION OUTDIR
 *
 * Everything written is read back and checked: plain files byte for byte,
 * containers by decoding every chunk and comparing with what went in. The
 * file lists are checked against the tree, and --expect writes what a game
 * directory holds after an installation from the finished CD. */
#include "setup/engine/container.h"
#include "setup/engine/lzss.h"
#include "tools/mkcd/gendata.h"
#include "tools/mkcd/lzssenc.h"

#include <atomic>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <vector>
#include <dirent.h>

typedef std::vector<unsigned char> Bytes;
typedef std::vector<std::string> Strings;

#define METHOD_RAW 0       /* chunk flag 0: the bytes as they are */
#define METHOD_LZSS 1      /* chunks, LZSS where it pays, raw chunks elsewhere */
#define METHOD_RAWCHUNKS 2 /* chunks, all raw */

/* GLOBALS */
static const char *descriptionPath = "";
static int lineNumber;             /* description line being carried out */
static std::string outputDir;
static Strings variableNames, variableValues;
static std::string languageDir;    /* "SPANISH\": what LANGUAGE\ stands for in the lists */
static std::string dataDir = "DATA1";
static unsigned threadCount = 1;
static Strings writtenPaths;       /* CD paths written so far, upper case with backslashes */
static Strings listPaths;          /* the file lists among them */
static int warningCount;
static unsigned long long bytesWritten;

/* One container entry being mastered. */
struct PendingEntry {
  std::string name;
  int method;
  Bytes content;
};

/* FUNCTIONS */

static int Error(const char *format, ...)
{
  va_list args;
  va_start(args, format);
  if (lineNumber)
    fprintf(stderr, "mkcd: %s:%d: ", descriptionPath, lineNumber);
  else
    fprintf(stderr, "mkcd: ");
  vfprintf(stderr, format, args);
  fputc('\n', stderr);
  va_end(args);
  return 0;
}

static void Warn(const char *format, ...)
{
  va_list args;
  va_start(args, format);
  if (lineNumber)
    fprintf(stderr, "mkcd: warning: %s:%d: ", descriptionPath, lineNumber);
  else
    fprintf(stderr, "mkcd: warning: ");
  vfprintf(stderr, format, args);
  fputc('\n', stderr);
  va_end(args);
  warningCount++;
}

static std::string ToCdPath(const std::string &path)
{
  std::string s = path;
  for (char &c : s) {
    if (c == '/')
      c = '\\';
    else if (c >= 'a' && c <= 'z')
      c = (char)(c - 32);
  }
  return s;
}

static std::string HostPath(const std::string &root, const std::string &cdPath)
{
  std::string s = root + "/" + cdPath;
  for (char &c : s)
    if (c == '\\')
      c = '/';
  return s;
}

static int MakeDirectories(const std::string &path)
{
  for (size_t i = 1; i <= path.size(); i++) {
    if (i < path.size() && path[i] != '/')
      continue;
    std::string prefix = path.substr(0, i);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
      return Error("cannot create directory %s: %s", prefix.c_str(), strerror(errno));
  }
  return 1;
}

static int MakeParentDirectories(const std::string &file)
{
  size_t slash = file.rfind('/');
  return slash == std::string::npos || slash == 0 ? 1 : MakeDirectories(file.substr(0, slash));
}

/* 1 read, 0 failed (reported unless quiet), -1 no such file. */
static int ReadWholeFile(const std::string &path, Bytes *bytes, int quiet)
{
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) {
    if (errno == ENOENT || errno == ENOTDIR)
      return -1;
    return quiet ? 0 : Error("cannot open %s: %s", path.c_str(), strerror(errno));
  }
  bytes->clear();
  unsigned char block[65536];
  size_t n;
  while ((n = fread(block, 1, sizeof block, f)) > 0)
    bytes->insert(bytes->end(), block, block + n);
  int failed = ferror(f);
  fclose(f);
  if (failed)
    return quiet ? 0 : Error("cannot read %s", path.c_str());
  return 1;
}

static int WriteWholeFile(const std::string &path, const unsigned char *bytes, size_t size)
{
  if (!MakeParentDirectories(path))
    return 0;
  FILE *f = fopen(path.c_str(), "wb");
  if (!f)
    return Error("cannot create %s: %s", path.c_str(), strerror(errno));
  int ok = fwrite(bytes, 1, size, f) == size;
  ok = fclose(f) == 0 && ok;
  if (!ok)
    return Error("cannot write %s", path.c_str());
  bytesWritten += size;
  return 1;
}

static int IsEmptyOrMissingDirectory(const std::string &path)
{
  DIR *d = opendir(path.c_str());
  if (!d)
    return errno == ENOENT;
  int empty = 1;
  for (struct dirent *e; (e = readdir(d)) != NULL;)
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
      empty = 0;
  closedir(d);
  return empty;
}

static Strings Tokenize(const std::string &line)
{
  Strings tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
      i++;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t')
      i++;
    if (i > start)
      tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

/* An unset variable expands to a marker that a copy source reports as
 * missing (so optional files can name variables not given) and that any
 * other use reports as an error. */
#define UNSET_MARK '\x01'

static std::string ExpandVariables(const std::string &line)
{
  std::string out;
  for (size_t i = 0; i < line.size(); i++) {
    size_t close;
    if (line[i] == '$' && i + 1 < line.size() && line[i + 1] == '{' &&
        (close = line.find('}', i + 2)) != std::string::npos) {
      std::string name = line.substr(i + 2, close - i - 2);
      size_t v = 0;
      while (v < variableNames.size() && variableNames[v] != name)
        v++;
      if (v < variableNames.size())
        out += variableValues[v];
      else
        out += std::string(1, UNSET_MARK) + name + std::string(1, UNSET_MARK);
      i = close;
    } else {
      out += line[i];
    }
  }
  return out;
}

static int HasUnsetVariable(const std::string &s, std::string *name)
{
  size_t a = s.find(UNSET_MARK);
  if (a == std::string::npos)
    return 0;
  size_t b = s.find(UNSET_MARK, a + 1);
  *name = s.substr(a + 1, b - a - 1);
  return 1;
}

/* A byte count: digits, optionally followed by K (1024) or M (1048576). */
static int ParseSize(const std::string &text, size_t *size)
{
  char *end;
  errno = 0;
  unsigned long long n = strtoull(text.c_str(), &end, 10);
  if (end == text.c_str() || errno)
    return 0;
  if (*end == 'K' || *end == 'k') {
    n *= 1024;
    end++;
  } else if (*end == 'M' || *end == 'm') {
    n *= 1048576;
    end++;
  }
  if (*end || n > 0xFFFFFFFFull)
    return 0;
  *size = (size_t)n;
  return 1;
}

/* Windows-1252 for the UTF-8 of the description; the ANSI code page of the
 * target machines. 0x80-0x9F hold typographic characters, not controls. */
static int Utf8ToCp1252(const std::string &text, Bytes *out)
{
  static const unsigned short high[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  const unsigned char *s = (const unsigned char *)text.data();
  size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned c = s[i], extra;
    if (c < 0x80) {
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      c &= 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      c &= 0x0F;
      extra = 2;
    } else {
      return Error("text holds a character outside Windows-1252");
    }
    for (unsigned k = 1; k <= extra; k++) {
      if (i + k >= n || (s[i + k] & 0xC0) != 0x80)
        return Error("text holds broken UTF-8");
      c = (c << 6) | (s[i + k] & 0x3F);
    }
    i += 1 + extra;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out->push_back((unsigned char)c);
      continue;
    }
    int found = -1;
    for (int k = 0; k < 32; k++)
      if (high[k] == c)
        found = k;
    if (found < 0)
      return Error("character U+%04X has no Windows-1252 byte", c);
    out->push_back((unsigned char)(0x80 + found));
  }
  return 1;
}

static int TextToBytes(const Strings &lines, Bytes *out)
{
  out->clear();
  for (const std::string &line : lines) {
    if (!Utf8ToCp1252(line, out))
      return 0;
    out->push_back('\r');
    out->push_back('\n');
  }
  return 1;
}

/* One alternative of a content source: 1 loaded, 0 error, -1 missing. */
static int LoadAlternative(const Strings &t, const Strings &textLines, Bytes *out, std::string *missing)
{
  std::string unset;
  if (t.empty())
    return Error("content source expected (generate, copy or lines)");
  if (t[0] == "copy") {
    if (t.size() != 2)
      return Error("copy takes one path");
    if (HasUnsetVariable(t[1], &unset)) {
      *missing = "variable " + unset + " is not set";
      return -1;
    }
    int r = ReadWholeFile(t[1], out, 0);
    if (r < 0)
      *missing = t[1] + " does not exist";
    return r;
  }
  for (const std::string &token : t)
    if (HasUnsetVariable(token, &unset))
      return Error("variable %s is not set", unset.c_str());
  if (t[0] == "generate") {
    size_t size;
    int kind = t.size() == 4 ? GenerateKindFromName(t[1].c_str()) : -1;
    if (kind < 0)
      return Error("generate takes a kind (table, text, image, binary, exe, mixed, sound, noise, icon), a size and a seed");
    if (!ParseSize(t[2], &size))
      return Error("bad size %s", t[2].c_str());
    char *end;
    unsigned long long seed = strtoull(t[3].c_str(), &end, 10);
    if (*end || end == t[3].c_str())
      return Error("bad seed %s", t[3].c_str());
    if (kind == GEN_ICON && size != GEN_ICON_SIZE)
      return Error("an icon has %d bytes", GEN_ICON_SIZE);
    out->resize(size);
    GenerateData(kind, seed, out->data(), size);
    return 1;
  }
  if (t[0] == "lines") {
    if (t.size() != 1)
      return Error("lines takes nothing; the lines follow, each beginning with |");
    return TextToBytes(textLines, out);
  }
  return Error("unknown content source %s", t[0].c_str());
}

/* Loads the content that tokens name: alternatives separated by "else", an
 * optional "optional" at the end. 1 loaded, 0 error, -1 skipped. */
static int LoadContent(Strings tokens, const Strings &textLines, const std::string &what, Bytes *out)
{
  int optional = !tokens.empty() && tokens.back() == "optional";
  if (optional)
    tokens.pop_back();
  std::vector<Strings> alternatives(1);
  for (const std::string &token : tokens) {
    if (token == "else")
      alternatives.push_back(Strings());
    else
      alternatives.back().push_back(token);
  }
  std::string reasons;
  for (size_t a = 0; a < alternatives.size(); a++) {
    std::string missing;
    int r = LoadAlternative(alternatives[a], textLines, out, &missing);
    if (r >= 0) {
      if (r && a > 0)
        Warn("%s: %s; using the stand-in", what.c_str(), reasons.c_str());
      return r;
    }
    reasons += (reasons.empty() ? "" : "; ") + missing;
  }
  if (optional) {
    Warn("%s left out: %s", what.c_str(), reasons.c_str());
    return -1;
  }
  return Error("%s: %s", what.c_str(), reasons.c_str());
}

/* Registers a CD path about to be written; refuses unsafe and doubled names. */
static int ClaimCdPath(const std::string &cdPath)
{
  if (!IsSafeRelativePath(cdPath.c_str()))
    return Error("unsafe path %s", cdPath.c_str());
  for (const std::string &p : writtenPaths)
    if (p == cdPath)
      return Error("%s is written twice", cdPath.c_str());
  writtenPaths.push_back(cdPath);
  return 1;
}

static int WriteCdFile(const std::string &cdPath, const Bytes &content)
{
  if (!ClaimCdPath(cdPath))
    return 0;
  std::string host = HostPath(outputDir, cdPath);
  if (!WriteWholeFile(host, content.data(), content.size()))
    return 0;
  Bytes back;
  if (ReadWholeFile(host, &back, 0) != 1 || back != content)
    return Error("%s does not read back as written", cdPath.c_str());
  return 1;
}

/* CONTAINERS */

struct ChunkJob {
  size_t entry, offset, size;
  Bytes packed; /* empty: stored raw */
};

struct CompareContext {
  const std::vector<PendingEntry> *entries;
  size_t entry, at;
  int ok;
};

static int CompareSink(void *context, size_t entry, const char *name, const unsigned char *bytes, size_t count)
{
  CompareContext *c = (CompareContext *)context;
  const std::vector<PendingEntry> &entries = *c->entries;
  if (!bytes) {
    if (entry > 0 && c->at != entries[entry - 1].content.size())
      return c->ok = 0;
    c->entry = entry;
    c->at = 0;
    return c->ok = entry < entries.size() && entries[entry].name == name;
  }
  const Bytes &content = entries[c->entry].content;
  if (count > content.size() - c->at || memcmp(content.data() + c->at, bytes, count) != 0)
    return c->ok = 0;
  c->at += count;
  return 1;
}

static int WriteContainer(const std::string &cdPath, std::vector<PendingEntry> *entries)
{
  std::string indexPath = cdPath.substr(0, cdPath.size() - 1) + "I";
  if (!ClaimCdPath(cdPath) || !ClaimCdPath(indexPath))
    return 0;
  if (entries->empty())
    return Error("container %s has no entries", cdPath.c_str());

  std::vector<ChunkJob> jobs;
  for (size_t e = 0; e < entries->size(); e++) {
    const PendingEntry &entry = (*entries)[e];
    if (entry.method == METHOD_RAW)
      continue;
    for (size_t at = 0; at < entry.content.size(); at += CFL_MAX_CHUNK) {
      ChunkJob job;
      job.entry = e;
      job.offset = at;
      job.size = entry.content.size() - at < CFL_MAX_CHUNK ? entry.content.size() - at : CFL_MAX_CHUNK;
      jobs.push_back(job);
    }
  }
  std::atomic<size_t> next(0);
  auto work = [&]() {
    for (size_t j; (j = next++) < jobs.size();) {
      ChunkJob &job = jobs[j];
      if ((*entries)[job.entry].method != METHOD_LZSS)
        continue;
      const unsigned char *in = (*entries)[job.entry].content.data() + job.offset;
      job.packed.resize(LzssEncodeBound(job.size));
      size_t n = LzssEncode(in, job.size, job.packed.data(), 0);
      if (n < job.size)
        job.packed.resize(n);
      else
        job.packed.clear(); /* does not pay: a raw chunk */
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threadCount && t < jobs.size(); t++)
    workers.push_back(std::thread(work));
  work();
  for (std::thread &w : workers)
    w.join();

  Bytes data, index(entries->size() * CFI_ENTRY_SIZE, 0);
  size_t j = 0;
  size_t expandedTotal = 0;
  for (size_t e = 0; e < entries->size(); e++) {
    const PendingEntry &entry = (*entries)[e];
    size_t start = data.size();
    unsigned char header[CFL_HEADER_SIZE];
    WriteLe32(header, (uint32_t)entry.content.size()); /* first word: the file's size, for whoever looks */
    WriteLe32(header + 4, entry.method == METHOD_RAW ? 0 : 1);
    data.insert(data.end(), header, header + CFL_HEADER_SIZE);
    if (entry.method == METHOD_RAW) {
      data.insert(data.end(), entry.content.begin(), entry.content.end());
    } else {
      for (; j < jobs.size() && jobs[j].entry == e; j++) {
        const ChunkJob &job = jobs[j];
        int packed = !job.packed.empty();
        WriteLe32(header, (uint32_t)job.size);
        WriteLe32(header + 4, packed ? (uint32_t)job.packed.size() : (uint32_t)-(int32_t)job.size);
        data.insert(data.end(), header, header + CFL_HEADER_SIZE);
        if (packed)
          data.insert(data.end(), job.packed.begin(), job.packed.end());
        else
          data.insert(data.end(), entry.content.begin() + (long)job.offset,
                      entry.content.begin() + (long)(job.offset + job.size));
      }
    }
    size_t entrySize = data.size() - start;
    if (entrySize > 0xFFFFFFFFull)
      return Error("entry %s is too large", entry.name.c_str());
    unsigned char *record = index.data() + e * CFI_ENTRY_SIZE;
    memcpy(record, entry.name.c_str(), entry.name.size() + 1);
    WriteLe32(record + CFI_NAME_SIZE, (uint32_t)entrySize);
    expandedTotal += entry.content.size();
  }
  std::string dataHost = HostPath(outputDir, cdPath), indexHost = HostPath(outputDir, indexPath);
  if (!WriteWholeFile(dataHost, data.data(), data.size()) ||
      !WriteWholeFile(indexHost, index.data(), index.size()))
    return 0;

  /* Read both back and decode every chunk against what went in. */
  Bytes dataBack, indexBack, work1(CFL_MAX_CHUNK);
  if (ReadWholeFile(dataHost, &dataBack, 0) != 1 || ReadWholeFile(indexHost, &indexBack, 0) != 1)
    return 0;
  CompareContext compare = {entries, 0, 0, 1};
  char reason[400];
  if (!ValidateContainer(indexBack.data(), indexBack.size(), dataBack.data(), dataBack.size(),
                         work1.data(), CompareSink, &compare, reason, sizeof reason))
    return Error("%s fails its check: %s", cdPath.c_str(), reason);
  if (!compare.ok || compare.entry != entries->size() - 1 ||
      compare.at != entries->back().content.size())
    return Error("%s does not decode to what went in", cdPath.c_str());
  printf("%-24s %3zu entries, %9zu bytes in %9zu\n", cdPath.c_str(), entries->size(), expandedTotal,
         data.size());
  return 1;
}

/* FILE LISTS */

struct ListLine {
  std::string source, destination;
  int number;
};

/* The lines of a file list as the copy engine reads them: lines end at CR,
 * bytes below 32 or above 127 after a line end are passed over, each line is
 * upper-cased and split at its first comma; LANGUAGE at the start stands for
 * the language directory. */
static void ParseFileList(const Bytes &text, std::vector<ListLine> *lines)
{
  size_t i = 0, n = text.size();
  int number = 0;
  while (i < n) {
    size_t start = i;
    while (i < n && text[i] != '\r')
      i++;
    std::string line((const char *)text.data() + start, i - start);
    while (i < n && (signed char)text[i] < 32)
      i++;
    number++;
    if (line.size() > 259) {
      Warn("file list line %d is longer than 259 characters", number);
      continue;
    }
    for (char &c : line)
      if (c >= 'a' && c <= 'z')
        c = (char)(c - 32);
    size_t comma = line.find(',');
    if (comma == std::string::npos)
      continue;
    ListLine l;
    l.number = number;
    if (line.compare(0, 8, "LANGUAGE") == 0)
      l.source = languageDir + (comma > 9 ? line.substr(9, comma - 9) : std::string());
    else
      l.source = line.substr(0, comma);
    l.destination = line.substr(comma + 1);
    lines->push_back(l);
  }
}

static int IsContainerSource(const std::string &source)
{
  return source.size() > 4 && source.compare(source.size() - 3, 3, "CFL") == 0;
}

static int IsInMinimalInstall(const std::string &source)
{
  static const char *const left[] = {"SECTOR2.CFL", "SECTOR3.CFL", "SECTOR4.CFL", "SECTOR5.CFL"};
  for (const char *name : left)
    if (source.find(name) != std::string::npos)
      return 0;
  return 1;
}

/* A container entry's destination: the entry name replaces whatever follows
 * the first backslash of the destination, or the whole of it. The copy keeps
 * the result as the destination of the next entry, and so does the caller. */
static std::string EntryDestination(std::string &destination, const char *name)
{
  size_t slash = destination.find('\\');
  destination = slash == std::string::npos ? std::string(name) : destination.substr(0, slash + 1) + name;
  return destination;
}

/* Checks that every line of a list names a file of the CD and a safe
 * destination. Problems are warnings: an optional file left out is allowed
 * to leave a hole for the installation to find. */
static void CheckFileList(const std::string &listCdPath)
{
  Bytes text, index;
  std::vector<ListLine> lines;
  if (ReadWholeFile(HostPath(outputDir, listCdPath), &text, 0) != 1)
    return;
  ParseFileList(text, &lines);
  for (const ListLine &l : lines) {
    std::string source = HostPath(outputDir, dataDir + "\\" + l.source);
    struct stat st;
    if (stat(source.c_str(), &st) != 0) {
      Warn("%s line %d: %s is not on the CD", listCdPath.c_str(), l.number, l.source.c_str());
      continue;
    }
    if (!IsContainerSource(l.source)) {
      if (st.st_size == 0)
        Warn("%s line %d: %s is empty; the copy refuses empty files", listCdPath.c_str(), l.number,
             l.source.c_str());
      if (!IsSafeRelativePath(l.destination.c_str()))
        Warn("%s line %d: unsafe destination %s", listCdPath.c_str(), l.number, l.destination.c_str());
      continue;
    }
    std::string indexHost = source.substr(0, source.size() - 1) + "I";
    if (ReadWholeFile(indexHost, &index, 1) != 1 || !CheckIndexSize(index.size(), NULL, 0)) {
      Warn("%s line %d: %s has no sound index", listCdPath.c_str(), l.number, l.source.c_str());
      continue;
    }
    std::string destination = l.destination;
    for (size_t e = 0; e < index.size() / CFI_ENTRY_SIZE; e++) {
      char name[CFI_NAME_SIZE];
      uint32_t size;
      if (ReadIndexEntry(index.data(), index.size(), e, name, &size, NULL, 0) &&
          !IsSafeRelativePath(EntryDestination(destination, name).c_str()))
        Warn("%s line %d: unsafe destination for %s", listCdPath.c_str(), l.number, name);
    }
  }
}

struct ExpectContext {
  std::string dir, pattern;
  FILE *file;
  int ok;
};

static int ExpectSink(void *context, size_t entry, const char *name, const unsigned char *bytes, size_t count)
{
  (void)entry;
  ExpectContext *c = (ExpectContext *)context;
  if (!bytes) {
    if (c->file && fclose(c->file) != 0)
      return c->ok = 0;
    std::string path = HostPath(c->dir, EntryDestination(c->pattern, name));
    if (!MakeParentDirectories(path) || !(c->file = fopen(path.c_str(), "wb")))
      return c->ok = Error("cannot create %s", path.c_str());
    return 1;
  }
  if (fwrite(bytes, 1, count, c->file) != count)
    return c->ok = Error("cannot write into %s", c->dir.c_str());
  return 1;
}

/* Writes into dir the files that an installation with the list puts in the
 * game directory, taken from the finished CD. */
static int WriteExpectedTree(const std::string &listCdPath, const std::string &dir, int minimal)
{
  Bytes text, data, index, work(CFL_MAX_CHUNK);
  std::vector<ListLine> lines;
  if (ReadWholeFile(HostPath(outputDir, listCdPath), &text, 0) != 1)
    return Error("no file list %s on the CD", listCdPath.c_str());
  ParseFileList(text, &lines);
  if (!MakeDirectories(dir))
    return 0;
  size_t files = 0;
  for (const ListLine &l : lines) {
    if (minimal && !IsInMinimalInstall(l.source))
      continue;
    std::string source = HostPath(outputDir, dataDir + "\\" + l.source);
    if (ReadWholeFile(source, &data, 0) != 1)
      return Error("%s line %d: cannot read %s", listCdPath.c_str(), l.number, l.source.c_str());
    if (!IsContainerSource(l.source)) {
      if (!WriteWholeFile(HostPath(dir, l.destination), data.data(), data.size()))
        return 0;
      files++;
      continue;
    }
    if (ReadWholeFile(source.substr(0, source.size() - 1) + "I", &index, 0) != 1)
      return 0;
    ExpectContext c = {dir, l.destination, NULL, 1};
    char reason[400];
    int ok = ValidateContainer(index.data(), index.size(), data.data(), data.size(), work.data(),
                               ExpectSink, &c, reason, sizeof reason);
    if (c.file && fclose(c.file) != 0)
      ok = 0;
    if (!ok || !c.ok)
      return Error("%s: %s", l.source.c_str(), c.ok ? reason : "cannot write the expected files");
    files += index.size() / CFI_ENTRY_SIZE;
  }
  printf("expected game directory (%s, %s): %zu files in %s\n", listCdPath.c_str(),
         minimal ? "minimal" : "full", files, dir.c_str());
  return 1;
}

/* THE DESCRIPTION */

static int CollectTextLines(const Strings &lines, size_t *i, Strings *text)
{
  text->clear();
  while (*i + 1 < lines.size()) {
    std::string next = lines[*i + 1];
    size_t k = 0;
    while (k < next.size() && (next[k] == ' ' || next[k] == '\t'))
      k++;
    if (k >= next.size() || next[k] != '|')
      break;
    k++;
    if (k < next.size() && next[k] == ' ')
      k++;
    text->push_back(next.substr(k));
    (*i)++;
  }
  return 1;
}

static int FlushContainer(std::string *containerPath, std::vector<PendingEntry> *entries, int containerLine)
{
  if (containerPath->empty())
    return 1;
  int saved = lineNumber;
  lineNumber = containerLine;
  int ok = WriteContainer(*containerPath, entries);
  lineNumber = saved;
  containerPath->clear();
  entries->clear();
  return ok;
}

static int MasterDescription(const Strings &lines)
{
  std::string containerPath;
  std::vector<PendingEntry> entries;
  int containerLine = 0;
  for (size_t i = 0; i < lines.size(); i++) {
    lineNumber = (int)i + 1;
    std::string expanded = ExpandVariables(lines[i]);
    Strings t = Tokenize(expanded);
    if (t.empty() || t[0][0] == '#')
      continue;
    Strings text;
    CollectTextLines(lines, &i, &text);
    const std::string &verb = t[0];
    if (verb == "entry") {
      if (containerPath.empty())
        return Error("entry outside a container");
      if (t.size() < 4)
        return Error("entry takes a name, a method (raw, lzss, rawchunks) and a content source");
      PendingEntry entry;
      entry.name = ToCdPath(t[1]);
      if (entry.name.size() >= CFI_NAME_SIZE || !IsSafeRelativePath(entry.name.c_str()))
        return Error("bad entry name %s", t[1].c_str());
      if (t[2] == "raw")
        entry.method = METHOD_RAW;
      else if (t[2] == "lzss")
        entry.method = METHOD_LZSS;
      else if (t[2] == "rawchunks")
        entry.method = METHOD_RAWCHUNKS;
      else
        return Error("unknown method %s (raw, lzss, rawchunks)", t[2].c_str());
      int r = LoadContent(Strings(t.begin() + 3, t.end()), text, entry.name, &entry.content);
      if (r == 0)
        return 0;
      if (r > 0)
        entries.push_back(entry);
      continue;
    }
    if (!FlushContainer(&containerPath, &entries, containerLine))
      return 0;
    std::string unset;
    for (size_t k = 0; k < 2 && k < t.size(); k++)
      if (HasUnsetVariable(t[k], &unset) && verb != "file")
        return Error("variable %s is not set", unset.c_str());
    if (verb == "language" && t.size() == 2) {
      languageDir = ToCdPath(t[1]) + "\\";
    } else if (verb == "data" && t.size() == 2) {
      dataDir = ToCdPath(t[1]);
    } else if (verb == "dir" && t.size() == 2) {
      std::string cdPath = ToCdPath(t[1]);
      if (!ClaimCdPath(cdPath) || !MakeDirectories(HostPath(outputDir, cdPath)))
        return 0;
    } else if ((verb == "text" || verb == "list") && t.size() == 2) {
      Bytes content;
      std::string cdPath = ToCdPath(t[1]);
      if (!TextToBytes(text, &content) || !WriteCdFile(cdPath, content))
        return 0;
      if (verb == "list")
        listPaths.push_back(cdPath);
    } else if (verb == "file" && t.size() >= 3) {
      Bytes content;
      std::string cdPath = ToCdPath(t[1]);
      if (HasUnsetVariable(cdPath, &unset))
        return Error("variable %s is not set", unset.c_str());
      int r = LoadContent(Strings(t.begin() + 2, t.end()), text, cdPath, &content);
      if (r == 0 || (r > 0 && !WriteCdFile(cdPath, content)))
        return 0;
    } else if (verb == "container" && t.size() == 2) {
      containerPath = ToCdPath(t[1]);
      containerLine = lineNumber;
      if (!IsContainerSource(containerPath))
        return Error("a container's name ends in CFL");
    } else {
      return Error("cannot make sense of: %s", lines[i].c_str());
    }
  }
  lineNumber = 0;
  return FlushContainer(&containerPath, &entries, containerLine);
}

static int ReadDescription(const char *path, Strings *lines)
{
  Bytes text;
  int r = ReadWholeFile(path, &text, 0);
  if (r < 0)
    return Error("no description %s", path);
  if (r == 0)
    return 0;
  std::string line;
  for (unsigned char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      lines->push_back(line);
      line.clear();
    } else {
      line += (char)c;
    }
  }
  if (!line.empty())
    lines->push_back(line);
  return 1;
}

static int Usage()
{
  fprintf(stderr,
          "usage: mkcd [-D NAME=VALUE]... [-j THREADS] [--expect DIR] [--expect-full DIR]\n"
          "            [--expect-list NAME] DESCRIPTION OUTDIR\n");
  return 2;
}

int main(int argc, char **argv)
{
  std::string expectDir, expectFullDir, expectList = "FILELIST.WD";
  const char *description = NULL, *output = NULL;
  threadCount = std::thread::hardware_concurrency();
  if (threadCount == 0)
    threadCount = 1;
  for (int a = 1; a < argc; a++) {
    std::string arg = argv[a];
    std::string value;
    if (arg.compare(0, 2, "-D") == 0 && arg.size() > 2) {
      value = arg.substr(2);
    } else if ((arg == "-D" || arg == "-j" || arg == "--expect" || arg == "--expect-full" ||
                arg == "--expect-list") && a + 1 < argc) {
      value = argv[++a];
    } else if (arg[0] == '-') {
      return Usage();
    } else if (!description) {
      description = argv[a];
      continue;
    } else if (!output) {
      output = argv[a];
      continue;
    } else {
      return Usage();
    }
    if (arg.compare(0, 2, "-D") == 0) {
      size_t eq = value.find('=');
      if (eq == std::string::npos || eq == 0)
        return Usage();
      variableNames.push_back(value.substr(0, eq));
      variableValues.push_back(value.substr(eq + 1));
    } else if (arg == "-j") {
      threadCount = (unsigned)atoi(value.c_str());
      if (threadCount == 0)
        threadCount = 1;
    } else if (arg == "--expect") {
      expectDir = value;
    } else if (arg == "--expect-full") {
      expectFullDir = value;
    } else {
      expectList = ToCdPath(value);
    }
  }
  if (!description || !output)
    return Usage();
  descriptionPath = description;
  outputDir = output;
  const std::string dirs[3] = {outputDir, expectDir, expectFullDir};
  for (const std::string &d : dirs)
    if (!d.empty() && !IsEmptyOrMissingDirectory(d)) {
      Error("%s is not empty; remove it first", d.c_str());
      return 1;
    }

  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  Strings lines;
  if (!ReadDescription(description, &lines) || !MakeDirectories(outputDir) || !MasterDescription(lines))
    return 1;
  lineNumber = 0;
  for (const std::string &list : listPaths)
    CheckFileList(list);
  std::string listCdPath = dataDir + "\\" + expectList;
  if (!expectDir.empty() && !WriteExpectedTree(listCdPath, expectDir, 1))
    return 1;
  if (!expectFullDir.empty() && !WriteExpectedTree(listCdPath, expectFullDir, 0))
    return 1;
  clock_gettime(CLOCK_MONOTONIC, &end);
  double seconds = (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9;
  printf("mkcd: %zu paths, %.1f MB written in %.1f s, %d warning%s\n", writtenPaths.size(),
         (double)bytesWritten / 1e6, seconds, warningCount, warningCount == 1 ? "" : "s");
  return 0;
}
