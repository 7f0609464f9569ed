/* The container checks that the copy engine and mkcd share. */
#include "setup/engine/container.h"
#include "setup/engine/lzss.h"
#include "tools/mkcd/lzssenc.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

static void AppendLe32(Bytes *b, uint32_t v)
{
  unsigned char w[4];
  WriteLe32(w, v);
  b->insert(b->end(), w, w + 4);
}

static void AddRecord(Bytes *index, const char *name, uint32_t size)
{
  size_t at = index->size();
  index->resize(at + CFI_ENTRY_SIZE, 0);
  memcpy(index->data() + at, name, strlen(name));
  WriteLe32(index->data() + at + CFI_NAME_SIZE, size);
}

static void AddChunk(Bytes *entry, uint32_t expanded, int32_t stored, const Bytes &payload)
{
  AppendLe32(entry, expanded);
  AppendLe32(entry, (uint32_t)stored);
  entry->insert(entry->end(), payload.begin(), payload.end());
}

/* An entry: header, then body; its record goes into index. */
static void AddEntry(Bytes *index, Bytes *data, const char *name, uint32_t flag, const Bytes &body)
{
  AddRecord(index, name, (uint32_t)(CFL_HEADER_SIZE + body.size()));
  AppendLe32(data, 0xDEADBEEF); /* first word: not used */
  AppendLe32(data, flag);
  data->insert(data->end(), body.begin(), body.end());
}

struct Collected {
  std::vector<std::string> names;
  std::vector<Bytes> contents;
  int stopAt;
};

static int Collect(void *context, size_t entry, const char *name, const unsigned char *bytes, size_t count)
{
  Collected *c = (Collected *)context;
  if (!bytes) {
    if ((int)entry == c->stopAt)
      return 0;
    c->names.push_back(name);
    c->contents.push_back(Bytes());
    return 1;
  }
  c->contents.back().insert(c->contents.back().end(), bytes, bytes + count);
  return 1;
}

static Bytes Text(const char *s)
{
  return Bytes(s, s + strlen(s));
}

static const char plainText[] = "Hola, piloto. Hola, piloto. Hola, piloto. La puerta roja.";

/* A sound container: a raw entry; an entry of an LZSS chunk and a raw chunk;
 * an entry whose LZSS stream ends one byte into a reference. */
static void MakeSoundContainer(Bytes *index, Bytes *data)
{
  AddEntry(index, data, "README.TXT", 0, Text("raw entry bytes"));
  Bytes plain = Text(plainText);
  Bytes packed(LzssEncodeBound(plain.size()));
  packed.resize(LzssEncode(plain.data(), plain.size(), packed.data(), 0));
  Bytes body;
  AddChunk(&body, (uint32_t)plain.size(), (int32_t)packed.size(), packed);
  AddChunk(&body, 5, -5, Text("12345"));
  AddEntry(index, data, "G1\\MAPA01.DAT", 1, body);
  Bytes truncated;
  AddChunk(&truncated, 4, 5, {0x01, 'Z', 0xEE, 0xF0, 0xEE});
  AddEntry(index, data, "TAIL.DAT", 7, truncated);
}

static int Validate(const Bytes &index, const Bytes &data, Collected *c, char *reason, size_t reasonSize)
{
  static Bytes work(CFL_MAX_CHUNK);
  return ValidateContainer(index.data(), index.size(), data.data(), data.size(), work.data(),
                           c ? Collect : NULL, c, reason, reasonSize);
}

TEST(ValidateContainer, SoundContainerYieldsEveryEntry)
{
  Bytes index, data;
  char reason[300] = "";
  MakeSoundContainer(&index, &data);
  Collected c;
  c.stopAt = -1;
  ASSERT_TRUE(Validate(index, data, &c, reason, sizeof reason)) << reason;
  ASSERT_EQ(3u, c.names.size());
  EXPECT_EQ("README.TXT", c.names[0]);
  EXPECT_EQ(Text("raw entry bytes"), c.contents[0]);
  Bytes expected = Text(plainText);
  expected.insert(expected.end(), {'1', '2', '3', '4', '5'});
  EXPECT_EQ(expected, c.contents[1]);
  EXPECT_EQ(Bytes({'Z', 'Z', 'Z', 'Z'}), c.contents[2]);
}

TEST(ValidateContainer, CallerCanStopTheWalk)
{
  Bytes index, data;
  char reason[300] = "";
  MakeSoundContainer(&index, &data);
  Collected c;
  c.stopAt = 1;
  EXPECT_FALSE(Validate(index, data, &c, reason, sizeof reason));
  EXPECT_EQ(1u, c.names.size());
  EXPECT_NE(nullptr, strstr(reason, "MAPA01.DAT"));
}

TEST(ValidateContainer, BytesAfterTheLastEntryAreRefused)
{
  Bytes index, data;
  char reason[300] = "";
  MakeSoundContainer(&index, &data);
  data.push_back(0);
  EXPECT_FALSE(Validate(index, data, NULL, reason, sizeof reason));
  EXPECT_STREQ("data file has 1 bytes after its last entry", reason);
}

TEST(ValidateContainer, EntryRunningPastTheDataIsRefused)
{
  Bytes index, data;
  char reason[300] = "";
  MakeSoundContainer(&index, &data);
  data.resize(data.size() - 1);
  EXPECT_FALSE(Validate(index, data, NULL, reason, sizeof reason));
  EXPECT_NE(nullptr, strstr(reason, "runs past the data file")) << reason;
}

TEST(ValidateContainer, ChunksMustFillTheEntryExactly)
{
  char reason[300] = "";
  /* Four spare bytes at the end of the chunked entry: too few for a header. */
  Bytes idx, dat;
  Bytes body;
  AddChunk(&body, 3, -3, Text("abc"));
  body.insert(body.end(), {0, 0, 0, 0});
  AddEntry(&idx, &dat, "A.DAT", 1, body);
  EXPECT_FALSE(Validate(idx, dat, NULL, reason, sizeof reason));
  EXPECT_NE(nullptr, strstr(reason, "only 4 left in the entry")) << reason;
}

/* Fewer bytes than the header claims are refused; more are not (the chunk is
 * its first expanded bytes). */
TEST(ValidateContainer, LzssChunkMustExpandToAtLeastItsLength)
{
  char reason[300] = "";
  for (uint32_t claimed : {3u, 5u}) {
    Bytes idx, dat, body;
    AddChunk(&body, claimed, 4, {0x01, 'Q', 0xEE, 0xF0}); /* gives 4 bytes */
    AddEntry(&idx, &dat, "A.DAT", 1, body);
    EXPECT_EQ(Validate(idx, dat, NULL, reason, sizeof reason), claimed == 3 ? 1 : 0) << claimed;
  }
  EXPECT_NE(nullptr, strstr(reason, "A.DAT")) << reason;
}

TEST(ValidateContainer, UnsafeEntryNameIsRefused)
{
  char reason[300] = "";
  Bytes idx, dat;
  AddEntry(&idx, &dat, "..\\WIN.INI", 0, Text("x"));
  EXPECT_FALSE(Validate(idx, dat, NULL, reason, sizeof reason));
  EXPECT_NE(nullptr, strstr(reason, "unsafe name")) << reason;
}

TEST(CheckIndexSize, RefusesEmptyAndPartialIndexes)
{
  char reason[100];
  EXPECT_TRUE(CheckIndexSize(3 * CFI_ENTRY_SIZE, reason, sizeof reason));
  EXPECT_FALSE(CheckIndexSize(0, reason, sizeof reason));
  EXPECT_STREQ("index is empty", reason);
  EXPECT_FALSE(CheckIndexSize(1000, reason, sizeof reason));
  EXPECT_STREQ("index size 1000 is not a multiple of 268", reason);
}

TEST(ReadIndexEntry, ChecksNameTerminationNameSafetyAndSize)
{
  Bytes index;
  AddRecord(&index, "G1\\OK.DAT", 8);
  AddRecord(&index, "SMALL.DAT", 7);
  index.resize(index.size() + CFI_ENTRY_SIZE, 'A'); /* a name without NUL */
  char name[CFI_NAME_SIZE], reason[300];
  uint32_t size;
  EXPECT_TRUE(ReadIndexEntry(index.data(), index.size(), 0, name, &size, reason, sizeof reason));
  EXPECT_STREQ("G1\\OK.DAT", name);
  EXPECT_EQ(8u, size);
  EXPECT_FALSE(ReadIndexEntry(index.data(), index.size(), 1, name, &size, reason, sizeof reason));
  EXPECT_STREQ("entry 1 (SMALL.DAT): size 7 is smaller than its 8-byte header", reason);
  EXPECT_FALSE(ReadIndexEntry(index.data(), index.size(), 2, name, &size, reason, sizeof reason));
  EXPECT_STREQ("entry 2: name is not terminated within 264 bytes", reason);
  EXPECT_FALSE(ReadIndexEntry(index.data(), index.size(), 3, name, &size, reason, sizeof reason));
  /* A name of 263 characters and its NUL fills the field exactly. */
  Bytes longest;
  AddRecord(&longest, std::string(263, 'N').c_str(), 8);
  EXPECT_TRUE(ReadIndexEntry(longest.data(), longest.size(), 0, name, &size, reason, sizeof reason));
  EXPECT_EQ(263u, strlen(name));
}

TEST(ParseChunkHeader, ChecksLengthsAgainstTheLimitsAndTheEntry)
{
  struct Case {
    uint32_t expanded;
    int32_t stored;
    uint32_t left;
    int ok;
    const char *reason;
  } cases[] = {
    {100, -100, 108, 1, ""},
    {100, 40, 48, 1, ""},
    {0, 0, 8, 1, ""},
    {CFL_MAX_CHUNK, -CFL_MAX_CHUNK, CFL_MAX_CHUNK + 8, 1, ""},
    {CFL_MAX_CHUNK + 1, 10, 100, 0, "chunk expanded length 1048577 is over 1048576"},
    {10, CFL_MAX_CHUNK + 1, 0xFFFFFFFF, 0, "chunk stored length 1048577 is over 1048576 in size"},
    {10, -CFL_MAX_CHUNK - 1, 0xFFFFFFFF, 0, "chunk stored length -1048577 is over 1048576 in size"},
    {10, INT32_MIN, 0xFFFFFFFF, 0, "chunk stored length -2147483648 is over 1048576 in size"},
    {99, -100, 108, 0, "raw chunk of 100 bytes claims an expanded length of 99"},
    {100, -100, 107, 0, "chunk of 100 payload bytes runs past the entry (99 left)"},
    {100, 41, 48, 0, "chunk of 41 payload bytes runs past the entry (40 left)"},
    {1, -1, 7, 0, "chunk header needs 8 bytes, only 7 left in the entry"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.expanded << " " << c.stored << " " << c.left);
    unsigned char header[8];
    WriteLe32(header, c.expanded);
    WriteLe32(header + 4, (uint32_t)c.stored);
    uint32_t expanded, payload;
    int32_t stored;
    char reason[200] = "";
    EXPECT_EQ(c.ok, ParseChunkHeader(header, c.left, &expanded, &stored, &payload, reason, sizeof reason));
    EXPECT_STREQ(c.reason, reason);
    if (c.ok) {
      EXPECT_EQ(c.expanded, expanded);
      EXPECT_EQ(c.stored, stored);
      EXPECT_EQ((uint32_t)(c.stored < 0 ? -c.stored : c.stored), payload);
    }
  }
}

TEST(CheckDecodedChunk, AcceptsOnlyACompleteStreamOfTheRightLength)
{
  char reason[200];
  EXPECT_TRUE(CheckDecodedChunk(LZSS_OK, 100, 100, reason, sizeof reason));
  EXPECT_TRUE(CheckDecodedChunk(LZSS_TRUNCATED, 100, 100, reason, sizeof reason));
  EXPECT_FALSE(CheckDecodedChunk(LZSS_OUTPUT_FULL, 100, 100, reason, sizeof reason));
  EXPECT_FALSE(CheckDecodedChunk(LZSS_OK, 99, 100, reason, sizeof reason));
  EXPECT_STREQ("LZSS payload expands to 99 bytes instead of 100", reason);
  EXPECT_TRUE(CheckDecodedChunk(LZSS_OK, 101, 100, reason, sizeof reason)); /* a padded last group */
}

TEST(IsSafeRelativePath, KeepsNamesInsideTheGameDirectory)
{
  /* Joined to the game directory, these stay inside it. */
  const char *safe[] = {"README.TXT", "G1\\MAPA01.DAT", "G1/X", "A..B", "..A", "A..", ".PROFILE",
                        "G10\\SUB\\FILE.DAT", "ZEPH4W95.EXE", "\\README.TXT", ".\\README.TXT",
                        "G1\\\\X.DAT", "/etc/passwd", "G1/../X", "G1\\.\\X", "CONFIG.SYS", "COM10",
                        "LPT0.DAT", "NULL", "G1\\AUXI.DAT", "COMA.TXT", "CONIN", "CONOUT$$", "CLOCK"};
  const char *unsafe[] = {"", "\\\\SERVER\\X", "//X", "\\\\?\\C:\\X", "C:X", "C:\\AUTOEXEC.BAT", "X:",
                          "G1\\A:STREAM", "..", "..\\X", "G1\\..\\..\\X", "\\..\\X", "G1\\..", ".",
                          "...", ".. ", "G1\\. .\\X", "G1\\", "A\tB", "A\nB",
                          "CON", "con", "PRN.TXT", "G1\\AUX", "NUL.DAT", "Nul", "G1\\COM1", "COM9.X",
                          "lpt1", "LPT9.TXT.BAK", "COM1\\X.DAT", "NUL .TXT", "COM\xB9", "CONOUT$",
                          "conin$.txt", "G1\\CLOCK$", "CONOUT$ .DAT"};
  for (const char *s : safe)
    EXPECT_TRUE(IsSafeRelativePath(s)) << s;
  for (const char *s : unsafe)
    EXPECT_FALSE(IsSafeRelativePath(s)) << s;
  EXPECT_FALSE(IsSafeRelativePath(NULL));
}
