/* mkcd run as a program on small descriptions, its CD and expected game
 * directory inspected afterwards. Each test works in a folder of its own
 * below the build tree, cleared first. */
#include "setup/engine/container.h"
#include "tools/mkcd/gendata.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

typedef std::vector<unsigned char> Bytes;

static std::string Scratch(const char *test)
{
  std::string dir = std::string(MKCD_WORK_DIR) + "/" + test;
  std::string command = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
  EXPECT_EQ(0, system(command.c_str()));
  return dir;
}

static void WriteFile(const std::string &path, const std::string &text)
{
  FILE *f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f) << path;
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
}

static int ReadFile(const std::string &path, Bytes *bytes)
{
  FILE *f = fopen(path.c_str(), "rb");
  if (!f)
    return 0;
  bytes->clear();
  int c;
  while ((c = fgetc(f)) != EOF)
    bytes->push_back((unsigned char)c);
  fclose(f);
  return 1;
}

static int Exists(const std::string &path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

/* Runs mkcd in dir with the arguments; stderr goes to dir/stderr.txt. */
static int RunMkcd(const std::string &dir, const std::string &arguments, std::string *errors)
{
  std::string command = "cd '" + dir + "' && '" MKCD_PATH "' " + arguments + " >stdout.txt 2>stderr.txt";
  int status = system(command.c_str());
  Bytes e;
  ReadFile(dir + "/stderr.txt", &e);
  errors->assign(e.begin(), e.end());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static Bytes Generated(int kind, size_t size, uint64_t seed)
{
  Bytes data(size);
  GenerateData(kind, seed, data.data(), size);
  return data;
}

static const char sampleDescription[] =
  "# a small CD\n"
  "language spanish\n"
  "data DATA1\n"
  "text DATA1\\QVX.INF\n"
  "| [SETUP]\n"
  "|MIN_MEMORY,8192\n"
  "text DATA1\\Spanish\\readme.txt\n"
  "| Última información\n"
  "file DATA1\\ZEPH4W95.EXE generate exe 70K 1\n"
  "file DATA1\\SETSOUND.EXE copy ${BUILD}/SETSOUND.EXE\n"
  "dir DIRECTX\n"
  "container DATA1\\SECTOR1.CFL\n"
  "  entry MAPA01.DAT lzss generate text 1200K 2\n"
  "  entry VIDEO.DAT raw generate noise 20K 3\n"
  "  entry MUSICA.RAW rawchunks generate sound 30K 4\n"
  "container DATA1\\SECTOR3.CFL\n"
  "  entry NIVEL3.DAT lzss generate binary 10K 5\n"
  "container DATA1\\BASE.CFL\n"
  "  entry PALETA.PAL lzss generate image 768 6\n"
  "list DATA1\\FILELIST.WD\n"
  "| sector1.cfl,G1\\X\n"
  "| SECTOR3.CFL,G3\\X\n"
  "| BASE.CFL,X\n"
  "|\n"
  "| ZEPH4W95.EXE,ZEPH4W95.EXE\n"
  "| SETSOUND.EXE,SETSOUND.EXE\n"
  "| LANGUAGE\\README.TXT,README.TXT\n";

TEST(Mkcd, MastersTheDescribedTreeAndTheGameDirectoryItInstalls)
{
  std::string dir = Scratch("tree");
  WriteFile(dir + "/cd.cdd", sampleDescription);
  WriteFile(dir + "/SETSOUND.EXE", "MZ stand-in");
  std::string errors;
  ASSERT_EQ(0, RunMkcd(dir, "-D BUILD=. --expect min --expect-full full cd.cdd out", &errors)) << errors;

  /* Names on the CD are upper case; texts are Windows-1252 with CR LF. */
  Bytes bytes;
  ASSERT_TRUE(ReadFile(dir + "/out/DATA1/SPANISH/README.TXT", &bytes));
  EXPECT_EQ(Bytes({0xDA, 'l', 't', 'i', 'm', 'a', ' ', 'i', 'n', 'f', 'o', 'r', 'm', 'a', 'c', 'i', 0xF3,
                   'n', '\r', '\n'}),
            bytes);
  ASSERT_TRUE(ReadFile(dir + "/out/DATA1/QVX.INF", &bytes));
  EXPECT_EQ("[SETUP]\r\nMIN_MEMORY,8192\r\n", std::string(bytes.begin(), bytes.end()));
  EXPECT_TRUE(Exists(dir + "/out/DIRECTX"));
  ASSERT_TRUE(ReadFile(dir + "/out/DATA1/SETSOUND.EXE", &bytes));
  EXPECT_EQ("MZ stand-in", std::string(bytes.begin(), bytes.end()));

  /* The container: entries in order, each stored as asked. */
  Bytes index, data;
  ASSERT_TRUE(ReadFile(dir + "/out/DATA1/SECTOR1.CFI", &index));
  ASSERT_TRUE(ReadFile(dir + "/out/DATA1/SECTOR1.CFL", &data));
  ASSERT_EQ(3u * CFI_ENTRY_SIZE, index.size());
  EXPECT_STREQ("MAPA01.DAT", (const char *)index.data());
  size_t at = 0;
  uint32_t flags[3], sizes[3];
  for (int e = 0; e < 3; e++) {
    sizes[e] = ReadLe32(index.data() + e * CFI_ENTRY_SIZE + CFI_NAME_SIZE);
    flags[e] = ReadLe32(data.data() + at + 4);
    at += sizes[e];
  }
  EXPECT_EQ(data.size(), at);
  EXPECT_NE(0u, flags[0]);
  EXPECT_LT(sizes[0], 1200u * 1024 / 2) << "text should pack to under half";
  EXPECT_EQ(0u, flags[1]);
  EXPECT_EQ(8u + 20u * 1024, sizes[1]);
  EXPECT_NE(0u, flags[2]);
  EXPECT_EQ(8u + 8u + 30u * 1024, sizes[2]); /* one raw chunk */
  EXPECT_EQ((uint32_t)-(int32_t)(30 * 1024), ReadLe32(data.data() + sizes[0] + sizes[1] + 12));

  /* The minimal installation leaves SECTOR3 out; the full one has it. */
  ASSERT_TRUE(ReadFile(dir + "/min/G1/MAPA01.DAT", &bytes));
  EXPECT_EQ(Generated(GEN_TEXT, 1200 * 1024, 2), bytes);
  ASSERT_TRUE(ReadFile(dir + "/min/G1/MUSICA.RAW", &bytes));
  EXPECT_EQ(Generated(GEN_SOUND, 30 * 1024, 4), bytes);
  ASSERT_TRUE(ReadFile(dir + "/min/PALETA.PAL", &bytes)) << "a destination without backslash is the game directory";
  EXPECT_EQ(Generated(GEN_IMAGE, 768, 6), bytes);
  ASSERT_TRUE(ReadFile(dir + "/min/README.TXT", &bytes));
  EXPECT_EQ(20u, bytes.size());
  EXPECT_TRUE(Exists(dir + "/min/ZEPH4W95.EXE"));
  EXPECT_TRUE(Exists(dir + "/min/SETSOUND.EXE"));
  EXPECT_FALSE(Exists(dir + "/min/G3"));
  ASSERT_TRUE(ReadFile(dir + "/full/G3/NIVEL3.DAT", &bytes));
  EXPECT_EQ(Generated(GEN_BINARY, 10 * 1024, 5), bytes);
  EXPECT_EQ(std::string::npos, errors.find("warning")) << errors;
}

TEST(Mkcd, OptionalFileMissingIsLeftOutWithAWarning)
{
  std::string dir = Scratch("optional");
  WriteFile(dir + "/cd.cdd",
            "file DATA1\\OUTFIT.EXE copy ${BUILD}/OUTFIT.EXE optional\n"
            "file DATA1\\VRN256.BMP copy art/VRN256.BMP optional\n"
            "file DATA1\\ICON1.ICO copy art/ICON1.ICO else generate icon 766 1\n");
  std::string errors;
  ASSERT_EQ(0, RunMkcd(dir, "cd.cdd out", &errors)) << errors;
  EXPECT_FALSE(Exists(dir + "/out/DATA1/OUTFIT.EXE"));
  EXPECT_NE(std::string::npos, errors.find("cd.cdd:1: DATA1\\OUTFIT.EXE left out: variable BUILD is not set"))
      << errors;
  EXPECT_NE(std::string::npos, errors.find("cd.cdd:2: DATA1\\VRN256.BMP left out: art/VRN256.BMP does not exist"))
      << errors;
  Bytes icon;
  ASSERT_TRUE(ReadFile(dir + "/out/DATA1/ICON1.ICO", &icon));
  EXPECT_EQ(Generated(GEN_ICON, GEN_ICON_SIZE, 1), icon);
  EXPECT_NE(std::string::npos, errors.find("using the stand-in")) << errors;
}

TEST(Mkcd, RefusesWhatWouldMakeABrokenCd)
{
  struct Case {
    const char *description;
    const char *message;
  } cases[] = {
    {"file DATA1\\SETSOUND.EXE copy missing/SETSOUND.EXE\n", "cd.cdd:1: DATA1\\SETSOUND.EXE: missing/SETSOUND.EXE does not exist"},
    {"container DATA1\\SECTOR1.CFL\n  entry ..\\WIN.INI raw generate noise 1K 1\n", "cd.cdd:2: bad entry name"},
    {"file ..\\OUTSIDE.TXT generate text 1K 1\n", "unsafe path ..\\OUTSIDE.TXT"},
    {"file A.TXT generate text 1K 1\nfile a.txt generate text 1K 2\n", "cd.cdd:2: A.TXT is written twice"},
    {"file A.TXT generate video 1K 1\n", "cd.cdd:1: generate takes a kind"},
    {"container DATA1\\SECTOR1.CFL\n", "container DATA1\\SECTOR1.CFL has no entries"},
    {"text DATA1\\README.TXT\n| \xE2\x82\xAC \xE2\x98\x83\n", "character U+2603 has no Windows-1252 byte"},
    {"frobnicate\n", "cd.cdd:1: cannot make sense of: frobnicate"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.description);
    std::string dir = Scratch("refuse");
    WriteFile(dir + "/cd.cdd", c.description);
    std::string errors;
    EXPECT_NE(0, RunMkcd(dir, "cd.cdd out", &errors));
    EXPECT_NE(std::string::npos, errors.find(c.message)) << errors;
  }
}

TEST(Mkcd, RefusesAnOutputDirectoryThatHoldsFiles)
{
  std::string dir = Scratch("nonempty");
  WriteFile(dir + "/cd.cdd", "file A.TXT generate text 1K 1\n");
  ASSERT_EQ(0, system(("mkdir -p '" + dir + "/out' && touch '" + dir + "/out/OLD.TXT'").c_str()));
  std::string errors;
  EXPECT_NE(0, RunMkcd(dir, "cd.cdd out", &errors));
  EXPECT_NE(std::string::npos, errors.find("out is not empty")) << errors;
}

TEST(Mkcd, WarnsAboutListLinesTheCdCannotServe)
{
  std::string dir = Scratch("lists");
  WriteFile(dir + "/cd.cdd",
            "list DATA1\\FILELIST.WIN\n"
            "| NOTHERE.EXE,NOTHERE.EXE\n"
            "| A.TXT,..\\A.TXT\n"
            "file DATA1\\A.TXT generate text 1K 1\n");
  std::string errors;
  EXPECT_EQ(0, RunMkcd(dir, "cd.cdd out", &errors)) << errors;
  EXPECT_NE(std::string::npos, errors.find("line 1: NOTHERE.EXE is not on the CD")) << errors;
  EXPECT_NE(std::string::npos, errors.find("line 2: unsafe destination ..\\A.TXT")) << errors;
}
