// The test drive's unreadable sectors: which reads a ddrescue mapfile, or
// sectors named one by one, make fail.
#include <gtest/gtest.h>

#include <string.h>

#include "tools/cddrive/sectormap.h"

namespace {

const char kHeader[] =
  "# Mapfile. Created by GNU ddrescue version 1.27\n"
  "# current_pos  current_status  current_pass\n"
  "0x00120000     ?               1\n"
  "#      pos        size  status\n";

struct Case {
  int line;
  const char *areas;   // lines after kHeader, or a whole text when it starts with '!'
  const char *reason;  // NULL when the text must parse
  uint64_t pos, size;  // a read
  int touches;
  uint64_t firstBad;
};

const Case kCases[] = {
  // One bad sector: reads beside it pass, reads into it fail from its start.
  {__LINE__, "0x0 0x800 +\n0x800 0x800 -\n0x1000 0x10000 +\n", NULL, 0, 2048, 0, 0},
  {__LINE__, "0x0 0x800 +\n0x800 0x800 -\n0x1000 0x10000 +\n", NULL, 4096, 8192, 0, 0},
  {__LINE__, "0x0 0x800 +\n0x800 0x800 -\n0x1000 0x10000 +\n", NULL, 2047, 2, 1, 2048},
  {__LINE__, "0x0 0x800 +\n0x800 0x800 -\n0x1000 0x10000 +\n", NULL, 3000, 100, 1, 3000},
  {__LINE__, "0x0 0x800 +\n0x800 0x800 -\n0x1000 0x10000 +\n", NULL, 0, 0x10000, 1, 2048},
  // Part of a sector makes all of it unreadable; untried areas too.
  {__LINE__, "0x0 0x1001 +\n0x1001 0x1 -\n", NULL, 4096, 1, 1, 4096},
  {__LINE__, "0x0 0x1001 +\n0x1001 0x1 -\n", NULL, 6144, 10, 0, 0},
  {__LINE__, "0 4096 +\n4096 2048 *\n6144 2048 /\n8192 2048 ?\n", NULL, 10240, 2048, 0, 0},
  {__LINE__, "0 4096 +\n4096 2048 *\n6144 2048 /\n8192 2048 ?\n", NULL, 8191, 1, 1, 8191},
  {__LINE__, "0 4096 +\n4096 2048 *\n6144 2048 /\n8192 2048 ?\n", NULL, 0, 4097, 1, 4096},
  // Areas out of order and overlapping merge.
  {__LINE__, "0x8000 0x1000 -\n0x2000 0x7000 -\n0x9000 0x800 +\n", NULL, 0x1fff, 1, 0, 0},
  {__LINE__, "0x8000 0x1000 -\n0x2000 0x7000 -\n0x9000 0x800 +\n", NULL, 0x9000, 0x800, 0, 0},
  {__LINE__, "0x8000 0x1000 -\n0x2000 0x7000 -\n0x9000 0x800 +\n", NULL, 0x1000, 0x8000, 1, 0x2000},
  // Trailing comments, CR LF, blank lines.
  {__LINE__, "0x0 0x800 -  # first\r\n\r\n0x800 0x800 +\r\n", NULL, 0, 1, 1, 0},
  // Damage is refused with the line.
  {__LINE__, "0x0 0x800 x\n", "line 5: status is not one of + - * / ?", 0, 0, 0, 0},
  {__LINE__, "0x0 zz +\n", "line 5: size is not a number", 0, 0, 0, 0},
  {__LINE__, "0x0 0x800 + 7\n", "line 5: more than position, size and status", 0, 0, 0, 0},
  {__LINE__, "0x0 -0x800 -\n", "line 5: size is not a number", 0, 0, 0, 0},
  {__LINE__, "!# only comments\n", "line 1: no status line: not a ddrescue mapfile", 0, 0, 0, 0},
  {__LINE__, "!hello world\n", "line 1: current position is not a number", 0, 0, 0, 0},
};

TEST(SectorMap, Mapfiles) {
  static SectorMap map;
  for (const Case &c : kCases) {
    SCOPED_TRACE(testing::Message() << "row at line " << c.line);
    std::string text = c.areas[0] == '!' ? std::string(c.areas + 1) : std::string(kHeader) + c.areas;
    SectorMapClear(&map);
    char reason[100] = "";
    int ok = SectorMapParseMapfile(&map, text.data(), text.size(), reason, sizeof reason);
    if (c.reason) {
      EXPECT_EQ(ok, 0);
      EXPECT_STREQ(reason, c.reason);
      continue;
    }
    ASSERT_EQ(ok, 1) << reason;
    uint64_t firstBad = 12345;
    EXPECT_EQ(SectorMapTouches(&map, c.pos, c.size, &firstBad), c.touches);
    if (c.touches) EXPECT_EQ(firstBad, c.firstBad);
  }
}

// Sectors named one by one, as the drive's --bad adds them, into a map that
// fills up: merging keeps it sorted, a full map refuses and stays as it was.
TEST(SectorMap, AddMergesAndFills) {
  static SectorMap map;
  SectorMapClear(&map);
  for (uint64_t s = 0; s < 2 * SECTORMAP_MAX; s += 2) ASSERT_EQ(SectorMapAdd(&map, s, s), 1);
  EXPECT_EQ(map.count, SECTORMAP_MAX);
  EXPECT_EQ(SectorMapAdd(&map, 2 * SECTORMAP_MAX + 5, 2 * SECTORMAP_MAX + 5), 0);
  EXPECT_EQ(map.count, SECTORMAP_MAX);
  ASSERT_EQ(SectorMapAdd(&map, 1, 1), 1);  // joins 0 and 2
  ASSERT_EQ(SectorMapAdd(&map, 5, 8), 1);  // joins 4..8
  EXPECT_EQ(map.count, SECTORMAP_MAX - 3);
  EXPECT_EQ(map.range[0].first, 0u);
  EXPECT_EQ(map.range[0].last, 2u);
  EXPECT_EQ(map.range[1].first, 4u);
  EXPECT_EQ(map.range[1].last, 8u);
  EXPECT_EQ(map.range[2].first, 10u);
  EXPECT_EQ(SectorMapTouches(&map, 3 * CD_SECTOR, CD_SECTOR, NULL), 0);
  EXPECT_EQ(SectorMapTouches(&map, 9 * CD_SECTOR - 1, 2, NULL), 1);
  EXPECT_EQ(SectorMapTouches(&map, 9 * CD_SECTOR, CD_SECTOR, NULL), 0);
  EXPECT_EQ(SectorsFor(0), 0u);
  EXPECT_EQ(SectorsFor(2049), 2u);
}

}  // namespace
