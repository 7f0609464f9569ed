/* Decoding speed of the engine's LZSS decoder, measured against the plain
 * ring decoder and against memcpy of the same bytes, on chunks made the way
 * mkcd makes the sample CD's: its kinds of stand-in game data, cut into
 * 1 MiB chunks and encoded, keeping the chunks where LZSS pays. Rounds are
 * interleaved so that a slow moment of the machine hurts all three alike;
 * the figures are medians. The last line is what scripts/bench shows. */
#include "setup/engine/lzss.h"
#include "tests/bench/lzssref.h"
#include "tools/mkcd/gendata.h"
#include "tools/mkcd/lzssenc.h"

#include <algorithm>
#include <chrono>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

typedef std::vector<unsigned char> Bytes;

#define CHUNK 1048576

static double Seconds()
{
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

static double Median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int main(int argc, char **argv)
{
  int rounds = argc > 1 ? atoi(argv[1]) : 7;
  if (rounds < 1)
    rounds = 1;
  /* The compressible part of the sample CD, in its proportions. */
  static const struct {
    int kind;
    size_t size;
  } sample[] = {{GEN_MIXED, 6 * CHUNK}, {GEN_TEXT, 2 * CHUNK}, {GEN_TABLE, 1 * CHUNK},
                {GEN_IMAGE, 4 * CHUNK}, {GEN_BINARY, 3 * CHUNK}, {GEN_EXE, 2 * CHUNK}};
  std::vector<Bytes> originals, packed;
  uint64_t seed = 1;
  for (const auto &s : sample) {
    Bytes data(s.size);
    GenerateData(s.kind, seed++, data.data(), data.size());
    for (size_t at = 0; at < data.size(); at += CHUNK) {
      size_t n = std::min((size_t)CHUNK, data.size() - at);
      Bytes out(LzssEncodeBound(n));
      out.resize(LzssEncode(data.data() + at, n, out.data(), 0));
      if (out.size() >= n)
        continue;
      originals.push_back(Bytes(data.begin() + (long)at, data.begin() + (long)(at + n)));
      packed.push_back(out);
    }
  }
  size_t expanded = 0, stored = 0;
  for (size_t c = 0; c < originals.size(); c++) {
    expanded += originals[c].size();
    stored += packed[c].size();
  }
  Bytes output(CHUNK);
  std::vector<double> ours, reference, copy;
  for (int r = 0; r < rounds; r++) {
    for (int method = 0; method < 3; method++) {
      double start = Seconds();
      for (size_t c = 0; c < originals.size(); c++) {
        size_t produced = originals[c].size();
        int status = LZSS_OK;
        if (method == 0)
          status = LzssDecode(packed[c].data(), packed[c].size(), output.data(), CHUNK, &produced);
        else if (method == 1)
          status = LzssReferenceDecode(packed[c].data(), packed[c].size(), output.data(), CHUNK, &produced);
        else
          memcpy(output.data(), originals[c].data(), originals[c].size());
        if (r == 0 && (status != LZSS_OK || produced != originals[c].size() ||
                       memcmp(output.data(), originals[c].data(), produced) != 0)) {
          fprintf(stderr, "lzssbench: chunk %zu decodes wrongly (method %d)\n", c, method);
          return 1;
        }
      }
      double mbps = (double)expanded / 1e6 / (Seconds() - start);
      (method == 0 ? ours : method == 1 ? reference : copy).push_back(mbps);
    }
  }
  double a = Median(ours), b = Median(reference), m = Median(copy);
  printf("lzss sample: %zu chunks, %.1f MB expanded from %.1f MB (%.0f%%), %d rounds\n",
         originals.size(), expanded / 1e6, stored / 1e6, 100.0 * stored / expanded, rounds);
  printf("lzss decoder:   %7.0f MB/s\n", a);
  printf("lzss reference: %7.0f MB/s\n", b);
  printf("memcpy:         %7.0f MB/s\n", m);
  printf("lzss: %.1f x reference, %.0f%% of memcpy\n", a / b, 100.0 * a / m);
  return 0;
}
