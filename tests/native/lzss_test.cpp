/* The LZSS decoder of the copy engine and the encoder of mkcd. */
#include "setup/engine/lzss.h"
#include "tests/bench/lzssref.h"
#include "tools/mkcd/gendata.h"
#include "tools/mkcd/lzssenc.h"

#include <gtest/gtest.h>
#include <string.h>
#include <vector>

typedef std::vector<unsigned char> Bytes;

static Bytes Decode(const Bytes &stream, int *status, size_t capacity = 1 << 16)
{
  Bytes out(capacity);
  size_t produced = 0;
  *status = LzssDecode(stream.data(), stream.size(), out.data(), capacity, &produced);
  out.resize(produced);
  return out;
}

static Bytes Encode(const Bytes &data)
{
  Bytes out(LzssEncodeBound(data.size()));
  out.resize(LzssEncode(data.data(), data.size(), out.data(), 0));
  return out;
}

static Bytes Generated(int kind, size_t size, uint64_t seed)
{
  Bytes data(size);
  GenerateData(kind, seed, data.data(), size);
  return data;
}

/* Fixed-seed random bytes for streams that nobody encoded. */
static uint64_t NextRandom(uint64_t *state)
{
  uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

/* The streams of the format's own examples. */

TEST(LzssDecode, FlagByteFFGivesEightLiterals)
{
  int status;
  Bytes out = Decode({0xFF, 'T', 'i', 'n', 'f', 'o', 'i', 'l', '!'}, &status);
  EXPECT_EQ(LZSS_OK, status);
  EXPECT_EQ(Bytes({'T', 'i', 'n', 'f', 'o', 'i', 'l', '!'}), out);
}

TEST(LzssDecode, ReferenceToTheRingPositionAtStartGivesZeros)
{
  int status;
  EXPECT_EQ(Bytes(3, 0), Decode({0x00, 0xEE, 0xF0}, &status));
  EXPECT_EQ(LZSS_OK, status);
}

TEST(LzssDecode, ReferenceToOffsetZeroAtStartGivesZeros)
{
  int status;
  EXPECT_EQ(Bytes(3, 0), Decode({0x00, 0x00, 0x00}, &status));
  EXPECT_EQ(LZSS_OK, status);
}

TEST(LzssDecode, OverlappingReferenceRepeatsTheLiteral)
{
  int status;
  EXPECT_EQ(Bytes(6, 0x61), Decode({0x01, 0x61, 0xEE, 0xF2}, &status));
  EXPECT_EQ(LZSS_OK, status);
}

TEST(LzssDecode, LowNibbleFCopiesEighteenBytes)
{
  int status;
  EXPECT_EQ(Bytes(19, 0x61), Decode({0x01, 0x61, 0xEE, 0xFF}, &status));
}

TEST(LzssDecode, ChunksDecodeIndependently)
{
  /* The first chunk writes 'X' at ring positions 4078..4085; a second chunk
   * that refers to 4080 must still see the zeros of a fresh ring there. */
  int status;
  Bytes first = Decode({0xFF, 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X'}, &status);
  ASSERT_EQ(8u, first.size());
  Bytes second = Decode({0x01, 'Y', 0xF0, 0xF0}, &status);
  EXPECT_EQ(Bytes({'Y', 0, 0, 0}), second);
}

TEST(LzssDecode, LastGroupWithThreeItemsStops)
{
  /* Literal A, reference one byte back for 3 (AAA), literal B; no filler. */
  int status;
  EXPECT_EQ(Bytes({'A', 'A', 'A', 'A', 'B'}), Decode({0x05, 'A', 0xEE, 0xF0, 'B'}, &status));
  EXPECT_EQ(LZSS_OK, status);
}

/* How streams end. */

TEST(LzssDecode, EmptyInputGivesNothing)
{
  int status;
  EXPECT_TRUE(Decode({}, &status).empty());
  EXPECT_EQ(LZSS_OK, status);
}

TEST(LzssDecode, TrailingFlagByteWithoutItemsGivesNothing)
{
  int status;
  Bytes out = Decode({0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 0x00}, &status);
  EXPECT_EQ(8u, out.size());
  EXPECT_EQ(LZSS_OK, status);
}

TEST(LzssDecode, LoneTrailingByteOfAReferenceIsIgnoredAndReported)
{
  int status;
  EXPECT_EQ(Bytes({'A'}), Decode({0x01, 'A', 0xEE}, &status));
  EXPECT_EQ(LZSS_TRUNCATED, status);
}

/* The output buffer. */

TEST(LzssDecode, NeverWritesPastTheCapacity)
{
  Bytes data = Generated(GEN_MIXED, 200000, 5);
  Bytes stream = Encode(data);
  const unsigned char guard = 0xA5;
  for (size_t capacity : {(size_t)0, (size_t)1, (size_t)2, (size_t)17, (size_t)100, (size_t)4095,
                          (size_t)65537, data.size() - 200, data.size() - 1}) {
    SCOPED_TRACE(capacity);
    Bytes out(capacity + 64, guard);
    size_t produced = 12345;
    EXPECT_EQ(LZSS_OUTPUT_FULL, LzssDecode(stream.data(), stream.size(), out.data(), capacity, &produced));
    EXPECT_EQ(capacity, produced);
    EXPECT_EQ(0, memcmp(out.data(), data.data(), capacity));
    for (size_t k = capacity; k < out.size(); k++)
      ASSERT_EQ(guard, out[k]) << "byte " << k;
  }
  Bytes exact(data.size());
  size_t produced;
  EXPECT_EQ(LZSS_OK, LzssDecode(stream.data(), stream.size(), exact.data(), exact.size(), &produced));
  EXPECT_EQ(data, exact);
}

TEST(LzssDecode, OutputFullInsideAReferenceKeepsTheBytesThatFit)
{
  Bytes out(4);
  size_t produced;
  const unsigned char stream[] = {0x01, 0x61, 0xEE, 0xF2};
  EXPECT_EQ(LZSS_OUTPUT_FULL, LzssDecode(stream, sizeof stream, out.data(), out.size(), &produced));
  EXPECT_EQ(4u, produced);
  EXPECT_EQ(Bytes(4, 0x61), out);
}

/* Against the plain ring decoder. */

TEST(LzssDecode, AgreesWithThePlainRingDecoderOnArbitraryStreams)
{
  uint64_t rng = 20240611;
  for (int round = 0; round < 3000; round++) {
    size_t length = (size_t)(NextRandom(&rng) % 3000);
    Bytes stream(length);
    /* Mostly references, biased to short distances and the zero ring. */
    for (size_t k = 0; k < length; k++)
      stream[k] = (unsigned char)NextRandom(&rng);
    size_t capacity = round % 3 == 0 ? (size_t)(NextRandom(&rng) % 20000) : 60000;
    Bytes fast(capacity + 64), plain(capacity + 64);
    size_t fastCount, plainCount;
    int a = LzssDecode(stream.data(), length, fast.data(), capacity, &fastCount);
    int b = LzssReferenceDecode(stream.data(), length, plain.data(), capacity, &plainCount);
    ASSERT_EQ(b, a) << "round " << round;
    ASSERT_EQ(plainCount, fastCount) << "round " << round;
    ASSERT_EQ(0, memcmp(fast.data(), plain.data(), fastCount)) << "round " << round;
  }
}

TEST(LzssDecode, EveryDistanceAndLengthMatchesThePlainDecoder)
{
  /* 5000 literal bytes, then one reference of each offset class and length:
   * short distances (pattern fills), word-sized ones, and the full ring. */
  Bytes prefix = Generated(GEN_TEXT, 5000, 3);
  for (unsigned distance : {1u, 2u, 3u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 4095u, 4096u}) {
    for (unsigned length = LZSS_MIN_MATCH; length <= LZSS_MAX_MATCH; length++) {
      Bytes stream;
      for (size_t at = 0; at < prefix.size(); at += 8) {
        stream.push_back(0xFF);
        stream.insert(stream.end(), prefix.begin() + (long)at, prefix.begin() + (long)at + 8);
      }
      unsigned offset = (LZSS_RING_START + 5000 - distance) & 0xFFF;
      stream.push_back(0x00);
      stream.push_back((unsigned char)(offset & 0xFF));
      stream.push_back((unsigned char)(((offset >> 8) << 4) | (length - 3)));
      Bytes fast(8000), plain(8000);
      size_t a, b;
      ASSERT_EQ(LZSS_OK, LzssDecode(stream.data(), stream.size(), fast.data(), fast.size(), &a));
      ASSERT_EQ(LZSS_OK, LzssReferenceDecode(stream.data(), stream.size(), plain.data(), plain.size(), &b));
      ASSERT_EQ(5000u + length, a);
      ASSERT_EQ(b, a);
      ASSERT_EQ(0, memcmp(fast.data(), plain.data(), a)) << "distance " << distance << " length " << length;
    }
  }
}

/* The encoder: what mkcd writes must come back unchanged. */

TEST(LzssEncode, RoundTripsEveryKindOfGeneratedData)
{
  for (int kind = 0; kind < GEN_KINDS; kind++) {
    for (size_t size : {(size_t)0, (size_t)1, (size_t)2, (size_t)3, (size_t)18, (size_t)19,
                        (size_t)4095, (size_t)4097, (size_t)300000, (size_t)1048576}) {
      if (kind == GEN_ICON && size != 1048576)
        continue;
      SCOPED_TRACE(testing::Message() << GenerateKindName(kind) << " " << size);
      if (kind == GEN_ICON)
        size = GEN_ICON_SIZE;
      Bytes data = Generated(kind, size, 77);
      Bytes stream = Encode(data);
      ASSERT_LE(stream.size(), LzssEncodeBound(size));
      Bytes out(size + 1);
      size_t produced;
      ASSERT_EQ(LZSS_OK, LzssDecode(stream.data(), stream.size(), out.data(), out.size(), &produced));
      out.resize(produced);
      ASSERT_EQ(data, out);
    }
  }
}

TEST(LzssEncode, ReachesBackTheWholeRingAndIntoTheZeros)
{
  /* A block repeated exactly 4096 bytes later, and leading zeros that can
   * only come from the fresh ring. */
  Bytes data(40, 0);
  Bytes noise = Generated(GEN_NOISE, 4096, 9);
  data.insert(data.end(), noise.begin(), noise.end());
  data.insert(data.end(), noise.begin(), noise.begin() + 400);
  Bytes stream = Encode(data);
  EXPECT_LT(stream.size(), 4096u + 4096u / 8 + 120u);
  Bytes out(data.size());
  size_t produced;
  ASSERT_EQ(LZSS_OK, LzssDecode(stream.data(), stream.size(), out.data(), out.size(), &produced));
  EXPECT_EQ(data, out);
}

/* Greedy parsing with a search of the whole window at every position: the
 * classic encoder's result, to measure ours against. */
static size_t ExhaustiveGreedySize(const Bytes &data)
{
  size_t size = 0, items = 0;
  for (size_t p = 0; p < data.size();) {
    size_t best = 0;
    size_t maxLength = std::min((size_t)LZSS_MAX_MATCH, data.size() - p);
    for (size_t d = 1; d <= LZSS_RING_SIZE && d <= p && best < maxLength; d++) {
      size_t n = 0;
      while (n < maxLength && data[p - d + n] == data[p + n])
        n++;
      best = std::max(best, n);
    }
    if (items++ % 8 == 0)
      size++;
    if (best >= LZSS_MIN_MATCH) {
      size += 2;
      p += best;
    } else {
      size += 1;
      p += 1;
    }
  }
  return size;
}

TEST(LzssEncode, CompressesAboutAsWellAsAnExhaustiveSearch)
{
  /* Within 2% on text; within 5% on records full of zeros, where the bounded
   * hash chains miss some of the longest matches. */
  const struct {
    int kind;
    size_t percent;
  } cases[] = {{GEN_TEXT, 2}, {GEN_TABLE, 2}, {GEN_BINARY, 5}};
  for (const auto &c : cases) {
    Bytes data = Generated(c.kind, 48 * 1024, 11);
    size_t ours = Encode(data).size();
    size_t classic = ExhaustiveGreedySize(data);
    EXPECT_LE(ours, classic + classic * c.percent / 100) << GenerateKindName(c.kind) << ": " << ours
                                                         << " vs " << classic;
  }
  /* And text-like data does compress, as game text does. */
  Bytes text = Generated(GEN_TEXT, 1 << 20, 12);
  EXPECT_LT(Encode(text).size(), text.size() * 6 / 10);
}

TEST(GenerateData, IsTheSameForTheSameSeedAndDiffersForAnother)
{
  for (int kind = 0; kind < GEN_KINDS; kind++) {
    size_t size = kind == GEN_ICON ? GEN_ICON_SIZE : 100000;
    EXPECT_EQ(Generated(kind, size, 3), Generated(kind, size, 3)) << GenerateKindName(kind);
    if (kind != GEN_ICON) {
      EXPECT_NE(Generated(kind, size, 3), Generated(kind, size, 4)) << GenerateKindName(kind);
    }
    EXPECT_EQ(kind, GenerateKindFromName(GenerateKindName(kind)));
  }
  EXPECT_EQ(-1, GenerateKindFromName("video"));
}
