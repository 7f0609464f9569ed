/* ttinstall run as a program (built with AddressSanitizer and UBSan) on small
 * CDs written here: hostile ones, a damaged chunk, a full disk and a
 * read-only directory. Each case checks the exit status and the message,
 * that nothing appeared outside the game directory, that a saved game already
 * there is untouched and that no partial file is left. */
#include "setup/engine/container.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <pty.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

typedef std::vector<unsigned char> Bytes;

static std::string work = std::string(TTINSTALL_WORK_DIR);

static void Shell(const std::string &command)
{
  ASSERT_EQ(0, system(command.c_str())) << command;
}

static void WriteFile(const std::string &path, const Bytes &bytes)
{
  FILE *f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f) << path;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

static void WriteText(const std::string &path, const std::string &text)
{
  WriteFile(path, Bytes(text.begin(), text.end()));
}

static std::string ReadText(const std::string &path)
{
  std::string text;
  FILE *f = fopen(path.c_str(), "rb");
  if (!f)
    return "(missing)";
  for (int c; (c = fgetc(f)) != EOF;)
    text += (char)c;
  fclose(f);
  return text;
}

static void Le32(Bytes &b, uint32_t v)
{
  for (int i = 0; i < 4; i++)
    b.push_back((unsigned char)(v >> (8 * i)));
}

/* One container entry: a name and its body after the 8-byte header. */
struct Entry {
  std::string name;
  uint32_t flag;
  Bytes body;
};

static Bytes RawChunk(const std::string &text)
{
  Bytes b;
  Le32(b, (uint32_t)text.size());
  Le32(b, (uint32_t)-(int32_t)text.size());
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

static void WriteContainer(const std::string &base, const std::vector<Entry> &entries)
{
  Bytes index, data;
  for (const Entry &e : entries) {
    Bytes record(CFI_NAME_SIZE, 0);
    memcpy(record.data(), e.name.data(), e.name.size() < CFI_NAME_SIZE ? e.name.size() : CFI_NAME_SIZE - 1);
    Le32(record, (uint32_t)(e.body.size() + CFL_HEADER_SIZE));
    index.insert(index.end(), record.begin(), record.end());
    Le32(data, 0);
    Le32(data, e.flag);
    data.insert(data.end(), e.body.begin(), e.body.end());
  }
  WriteFile(base + ".CFI", index);
  WriteFile(base + ".CFL", data);
}

static const char settings[] =
    "[SETUP]\r\nMIN_MEMORY,8192\r\nTRACKS_EXPECTED,10\r\nINSTALLED_FILE,ZEPH4W95.EXE\r\nLANGUAGE,1\r\n";

/* work/cd: QVX.INF, the list, a plain file, the English README and the
 * container X; work/game with a saved game; work/outside, which no case may
 * touch. */
static void MakeCd(const std::string &list, const std::vector<Entry> &entries)
{
  Shell("rm -rf '" + work + "' && mkdir -p '" + work + "/cd/DATA1/ENGLISH' '" + work + "/game' '" + work +
        "/outside'");
  WriteText(work + "/cd/DATA1/QVX.INF", settings);
  WriteText(work + "/cd/DATA1/FILELIST.WD", list);
  WriteText(work + "/cd/DATA1/ZEPH.BAT", "ZEPHDOS\r\n");
  WriteText(work + "/cd/DATA1/ENGLISH/README.TXT", "Read me.\r\n");
  WriteContainer(work + "/cd/DATA1/X", entries);
  WriteText(work + "/game/OTHER.SAV", "saved");
  WriteText(work + "/outside/KEEP", "keep");
}

static int RunTtinstall(const std::string &arguments, std::string *errors, const std::string &as = "")
{
  std::string command = as + "'" TTINSTALL_PATH "' " + arguments + " >'" + work + "/stdout.txt' 2>'" + work + "/stderr.txt'";
  int status = system(command.c_str());
  *errors = ReadText(work + "/stderr.txt");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/* What the case may not have done: anything beside the CD and the game
 * directory, a changed saved game, a partial file. */
static void ExpectNothingAstray(const std::string &name)
{
  EXPECT_EQ(ReadText(work + "/outside/KEEP"), "keep") << name;
  Shell("cd '" + work + "' && find . -path ./cd -prune -o -path ./game -prune -o -print | sort >../astray.txt");
  EXPECT_EQ(ReadText(work + "/../astray.txt"), ".\n./outside\n./outside/KEEP\n./stderr.txt\n./stdout.txt\n")
      << name;
  if (access((work + "/game/OTHER.SAV").c_str(), F_OK) == 0)
    EXPECT_EQ(ReadText(work + "/game/OTHER.SAV"), "saved") << name;
  Shell("cd '" + work + "' && find . -name '*.ttpart' >../parts.txt");
  EXPECT_EQ(ReadText(work + "/../parts.txt"), "") << name;
}

static const char goodList[] = "ZEPH.BAT,ZEPH.BAT\r\nLANGUAGE\\README.TXT,README.TXT\r\nX.CFL,G1\\X\r\n";

static std::vector<Entry> GoodEntries()
{
  return { { "A.DAT", 0, Bytes(3000, 'a') }, { "B.DAT", 1, RawChunk("bee") } };
}

TEST(Ttinstall, HostileCdsAreRefusedAndWriteNothingOutside)
{
  struct Case {
    const char *name;
    std::string list;
    std::vector<Entry> entries;
    int status;
    const char *message;
    const char *emptied;   /* a file of the CD made empty */
    const char *shell;     /* run in work/ after the CD is written */
    const char *cue;       /* installing from IMAGE.CUE of this text, beside ten empty sectors */
  } cases[] = {
    { "entry that climbs", goodList, { { "..\\..\\X", 0, Bytes(4, 'x') } }, 1, "unsafe name" },
    { "device entry", goodList, { { "G1\\COM1", 0, Bytes(4, 'x') } }, 1, "unsafe name" },
    { "destination that climbs", "ZEPH.BAT,..\\..\\X\r\n", GoodEntries(), 1, "may not write" },
    { "destination on a drive", "ZEPH.BAT,C:\\EVIL\r\n", GoodEntries(), 1, "may not write" },
    { "overlong list line", std::string(10000, 'L') + ",X\r\n" + goodList, GoodEntries(), 0, "too long" },
    { "empty index", goodList, GoodEntries(), 1, "X.CFI is damaged: index is empty", "X.CFI" },
    { "a file missing", std::string(goodList) + "NONE.DAT,NONE.DAT\r\n", GoodEntries(), 1, "NONE.DAT is missing" },
    { "cue naming a missing file", goodList, GoodEntries(), 3, "names \"NONE.BIN\", which is missing", nullptr, nullptr,
      "FILE \"NONE.BIN\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n" },
    { "cue naming a device", goodList, GoodEntries(), 3, "which is not a regular file", nullptr, nullptr,
      "FILE \"/dev/zero\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n" },
    { "bin cut short", goodList, GoodEntries(), 3, "cut short: \"IMAGE.BIN\" holds 23520 bytes", nullptr, nullptr,
      "FILE \"IMAGE.BIN\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n TRACK 02 AUDIO\n INDEX 00 00:20:00\n"
      " INDEX 01 00:22:00\n" },
    { "cue with no data track", goodList, GoodEntries(), 3, "no data track", nullptr, nullptr,
      "FILE \"IMAGE.BIN\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n" },
    { "file on a game directory", "ZEPH.BAT,g1.\r\n" + std::string(goodList), GoodEntries(), 1, "G1 is a directory" },
    { "file and directory", "ZEPH.BAT,FOO\r\nLANGUAGE\\README.TXT,Foo\\BAR\r\n", GoodEntries(), 1, "cannot both" },
    { "leaf of 250 bytes", "ZEPH.BAT," + std::string(250, 'L') + "\r\n", GoodEntries(), 0, "" },
    { "leaf of 400 UTF-8 bytes", "ZEPH.BAT," + std::string(200, '\xE9') + "\r\n", GoodEntries(), 1, "400 bytes" },
    { "name Windows refuses", "ZEPH.BAT,A<B.BAT\r\n", GoodEntries(), 1, "character <" },
    { "names differing in case", goodList, GoodEntries(), 4, "\"zeph.bat\" and \"Zeph.Bat\"", nullptr,
      "touch game/zeph.bat game/Zeph.Bat" },
    { "no directory for the CD's language", goodList, GoodEntries(), 0, "Spanish is installed", nullptr,
      "mv cd/DATA1/ENGLISH cd/DATA1/SPANISH && mkdir cd/DATA1/JAPANESE" },
    { "image cut inside the files", goodList, GoodEntries(), 1, "cut short", nullptr,
      "xorriso -as mkisofs -quiet -iso-level 1 -o cd.iso cd 2>/dev/null && rm -r cd && mv cd.iso cd && "
      "truncate -s $(($(grep -obUa aaaaaaaaaaaaaaaa cd | head -n1 | cut -d: -f1) + 100)) cd" },
  };
  for (const Case &c : cases) {
    MakeCd(c.list, c.entries);
    if (c.emptied)
      WriteText(work + "/cd/DATA1/" + c.emptied, "");
    if (c.shell)
      Shell("cd '" + work + "' && " + c.shell);
    std::string cd = work + "/cd";
    if (c.cue) {
      WriteText(cd + "/IMAGE.CUE", c.cue);
      WriteFile(cd + "/IMAGE.BIN", Bytes(10 * 2352, 0));
      cd += "/IMAGE.CUE";
    }
    std::string errors;
    /* test writes nothing: what only the game directory refuses is install's alone */
    EXPECT_EQ(c.status == 4 ? 0 : c.status, RunTtinstall("test '" + cd + "'", &errors)) << c.name << "\n" << errors;
    EXPECT_EQ(c.status, RunTtinstall("install '" + cd + "' '" + work + "/game'", &errors)) << c.name << "\n" << errors;
    EXPECT_NE(errors.find(c.message), std::string::npos) << c.name << ": " << errors;
    ExpectNothingAstray(c.name);
    EXPECT_EQ(c.status == 0, access((work + "/game/QVX.INF").c_str(), F_OK) == 0) << c.name;
  }

  /* A link planted in the game directory is not followed. */
  MakeCd(goodList, GoodEntries());
  Shell("ln -s ../outside '" + work + "/game/g1'");
  std::string errors;
  EXPECT_EQ(4, RunTtinstall("install '" + work + "/cd' '" + work + "/game'", &errors)) << errors;
  EXPECT_NE(errors.find("symbolic link"), std::string::npos) << errors;
  ExpectNothingAstray("linked G1");

  /* Usage faults are found before the CD is read (strtoul takes the memory
   * as 1). */
  for (const char *arguments : { "install cd ''", "install '' game", "--language Klingon test none",
                                 "--memory -18446744073709551615 test cd" })
    EXPECT_EQ(2, RunTtinstall(arguments, &errors)) << arguments << "\n" << errors;

  /* One file of the CD its reader may not open: the CD's owner must act, a
   * better copy would not help (root reads anything: run as nobody). */
  if (geteuid() == 0 && system("command -v setpriv >/dev/null") == 0) {
    MakeCd(goodList, GoodEntries());
    Shell("chmod -R a+rX '" + work + "' && chmod 000 '" + work + "/cd/DATA1/ZEPH.BAT'");
    EXPECT_EQ(3, RunTtinstall("test '" + work + "/cd'", &errors, "setpriv --reuid=65534 --regid=65534 --clear-groups "))
        << errors;
    EXPECT_NE(errors.find("permission denied"), std::string::npos) << errors;
  }
}

/* A full disk and a read-only directory, on file systems of their own. */
TEST(Ttinstall, UnwritableGameDirectoriesEndWithTheReason)
{
  MakeCd(goodList, { { "A.DAT", 0, Bytes(400000, 'a') } });
  std::string game = work + "/game";
  if (mount("tmpfs", game.c_str(), "tmpfs", 0, "size=128k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here (not root?)";
  std::string errors;
  EXPECT_EQ(4, RunTtinstall("install '" + work + "/cd' '" + game + "'", &errors)) << errors;
  EXPECT_NE(errors.find("the disk is full"), std::string::npos) << errors;
  Shell("test ! -e '" + game + "/G1/A.DAT'");
  ExpectNothingAstray("full disk");
  umount(game.c_str());

  ASSERT_EQ(0, mount("tmpfs", game.c_str(), "tmpfs", MS_RDONLY, "size=128k"));
  EXPECT_EQ(4, RunTtinstall("install '" + work + "/cd' '" + game + "'", &errors)) << errors;
  EXPECT_NE(errors.find("read-only"), std::string::npos) << errors;
  ExpectNothingAstray("read-only");
  umount(game.c_str());
}

/* A packed chunk whose payload yields 8 bytes where its header promises 100:
 * test names the file, the entry and the chunk and goes on to the next
 * entry; install writes the entries before it and leaves no B.DAT. */
TEST(Ttinstall, ADamagedChunkIsNamedAndNeverInstalled)
{
  Bytes chunk;
  Le32(chunk, 100);
  Le32(chunk, 9);
  chunk.push_back(0xFF);
  for (int i = 0; i < 8; i++)
    chunk.push_back((unsigned char)('0' + i));
  Bytes good = RawChunk("sea");
  Bytes body = good;
  body.insert(body.end(), chunk.begin(), chunk.end());
  MakeCd(goodList, { { "A.DAT", 0, Bytes(3000, 'a') }, { "B.DAT", 1, body }, { "C.DAT", 1, RawChunk("cee") } });

  std::string errors;
  EXPECT_EQ(1, RunTtinstall("test '" + work + "/cd'", &errors)) << errors;
  EXPECT_NE(errors.find("DATA1\\X.CFL is damaged: entry 1 (G1\\B.DAT), chunk 1 at byte 3027"), std::string::npos)
      << errors;
  EXPECT_EQ(ReadText(work + "/stdout.txt"), "1 damaged\n");

  EXPECT_EQ(1, RunTtinstall("install '" + work + "/cd' '" + work + "/game'", &errors)) << errors;
  EXPECT_EQ(ReadText(work + "/game/G1/A.DAT"), std::string(3000, 'a'));
  EXPECT_EQ(access((work + "/game/G1/B.DAT").c_str(), F_OK), -1);
  EXPECT_EQ(access((work + "/game/QVX.INF").c_str(), F_OK), -1);
  ExpectNothingAstray("damaged chunk");
}

/* ttinstall on a terminal COLUMNS wide with ENV ("NAME=value,...", an empty
 * value unsets NAME): what the terminal got, standard output and error
 * together. */
static int RunOnTerminal(const std::string &arguments, const std::string &env, int columns, std::string *shown)
{
  struct winsize size = { 24, (unsigned short)columns, 0, 0 };
  int terminal;
  pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
  if (child == 0) {
    size_t at = 0;
    while (at < env.size()) {
      size_t end = env.find(',', at), equals = env.find('=', at);
      std::string name = env.substr(at, equals - at), value = env.substr(equals + 1, end - equals - 1);
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
      at = end == std::string::npos ? env.size() : end + 1;
    }
    execl("/bin/sh", "sh", "-c", ("exec '" TTINSTALL_PATH "' " + arguments).c_str(), (char *)nullptr);
    _exit(127);
  }
  shown->clear();
  char buffer[4096];
  for (ssize_t n; (n = read(terminal, buffer, sizeof(buffer))) > 0;)
    shown->append(buffer, (size_t)n);
  close(terminal);
  int status;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/* The progress line keeps to a terminal that takes it and to its width, is
 * redrawn without escape sequences, and -q drops it with the notes; the
 * "ttinstall:" of an error is red unless NO_COLOR, and a control character
 * from the CD never reaches the terminal. */
TEST(Ttinstall, KeepsToTheTerminal)
{
  struct Case {
    const char *name;
    const char *list;
    const char *options;
    const char *env;
    int status;
    bool progress, summary, colour;
    const char *message;
  } cases[] = {
    { "xterm", goodList, "", "TERM=xterm,NO_COLOR=", 0, true, true, false, "installed 5 files" },
    { "narrow", goodList, "", "TERM=xterm,NO_COLOR=", 0, true, true, false, nullptr },
    { "Windows-1252 name", "ZEPH.BAT,\311T\311.BAT\r\nZEPH.BAT,ZEPH.BAT\r\n", "", "TERM=xterm,NO_COLOR=", 0, true,
      true, false, "\303\211T\303\211.BAT " },
    { "quiet", goodList, "-q", "TERM=xterm", 0, false, false, false, nullptr },
    { "dumb", goodList, "", "TERM=dumb", 0, false, true, false, nullptr },
    { "no TERM", goodList, "", "TERM=", 0, false, true, false, nullptr },
    { "error in colour", "ZEPH.BAT,ZEPH.BAT\r\nLOST.TXT,LOST.TXT\r\n", "", "TERM=xterm,NO_COLOR=", 1, false, false,
      true, "\033[1;31mttinstall:\033[m DATA1\\LOST.TXT is missing from the CD" },
    { "NO_COLOR", "ZEPH.BAT,ZEPH.BAT\r\nL\033]0;x\007\033[2J.TXT,LOST.TXT\r\n", "", "TERM=xterm,NO_COLOR=1", 1,
      false, false, false, "ttinstall: DATA1\\L?]0;X??[2J.TXT is missing from the CD" },
  };
  for (const Case &c : cases) {
    MakeCd(c.list, GoodEntries());
    int columns = strcmp(c.name, "narrow") ? 60 : 30;
    std::string shown;
    EXPECT_EQ(c.status, RunOnTerminal(std::string(c.options) + " install '" + work + "/cd' '" + work + "/game'",
                                      c.env, columns, &shown))
        << c.name << ": " << shown;
    /* The terminal turns each \n into \r\n; any other \r begins a line of
     * progress (or its blanking), as wide as the terminal but one column;
     * the list's Windows-1252 names are shown in UTF-8. */
    bool progress = false;
    for (size_t at = shown.find('\r'); at != std::string::npos; at = shown.find('\r', at + 1)) {
      if (shown[at + 1] == '\n')
        continue;
      progress = true;
      size_t end = shown.find('\r', at + 1);
      size_t width = 0;   /* in UTF-8 characters */
      for (size_t i = at + 1; i < end && end != std::string::npos; i++)
        width += ((unsigned char)shown[i] & 0xC0) != 0x80;
      if (end != std::string::npos && shown[end + 1] != '\n')
        EXPECT_EQ(width, (size_t)columns - 1) << c.name << ": " << shown;
    }
    EXPECT_EQ(c.progress, progress) << c.name << ": " << shown;
    EXPECT_EQ(c.summary, shown.find("installed ") != std::string::npos) << c.name << ": " << shown;
    EXPECT_EQ(c.colour, shown.find('\033') != std::string::npos) << c.name << ": " << shown;
    if (c.message)
      EXPECT_NE(shown.find(c.message), std::string::npos) << c.name << ": " << shown;
  }
}

/* --dosbox: the drive above DIR, the game directory DIR's name gives or
 * --install-path names, quoting, the memory, and the refusals, which come
 * before anything is written. */
TEST(Ttinstall, DosboxConfigurationsMountTheDirectoryAboveTheGame)
{
  struct Case {
    const char *name;
    const char *options;
    const char *dir;     /* under work/game */
    int status;
    std::vector<std::string> expected;   /* lines of the configuration and QVX.INF, or the message */
  } cases[] = {
    { "name of DIR", "", "dos/tango", 0,
      { "mount c \"@/game/dos\"", "mount d \"@/cd\" -t cdrom -label TINFOIL", "cd \\TANGO", "memsize=32",
        "FIXED,C:\\TANGO", "EXTENDED,31744" } },
    { "blanks, non-ASCII, %", "--install-path 'C:\\Games\\Zeph' --cd-drive E: --memory 20000",
      "Mes Jeux \xc3\xbc 100%/GAMES/zeph", 0,
      { "mount c \"@/game/Mes Jeux \xc3\xbc 100%%\"", "mount e \"@/cd\" -t cdrom -label TINFOIL", "cd \\GAMES\\ZEPH",
        "memsize=21", "FIXED,C:\\Games\\Zeph", "EXTENDED,20000", "CDROM,E:\\OPTIONS" } },
    { "long name", "", "Tinfoil Tango", 2, { "cannot be the game's C:\\ZEPH in DOSBox", "must end in /ZEPH" } },
    { "other path", "--install-path 'C:\\GAMES\\ZEPH'", "foo/ZEPH", 2, { "must end in /GAMES/ZEPH" } },
    { "long install path", "--install-path 'C:\\Program Files\\ZEPH'", "Program Files/ZEPH", 2,
      { "\"Program Files\" is not a DOS name" } },
    { "one drive", "--cd-drive C:", "ZEPH", 2, { "the CD drive C: cannot be the same" } },
    { "a file of the user's", "", "ZEPH", 2, { "OTHER.SAV is there already", "it stays as it is" } },
  };
  for (const Case &c : cases) {
    MakeCd(goodList, GoodEntries());
    char root[PATH_MAX];
    ASSERT_NE(nullptr, realpath(work.c_str(), root));
    std::string conf = work + "/game/" + (c.expected[0].find("OTHER.SAV") == 0 ? "OTHER.SAV" : "dos.conf");
    std::string dir = work + "/game/" + c.dir, errors;
    EXPECT_EQ(c.status, RunTtinstall(std::string("install --dosbox '") + conf + "' " + c.options + " '" + work +
                                     "/cd' '" + dir + "'", &errors))
        << c.name << "\n" << errors;
    std::string written = ReadText(conf) + ReadText(dir + "/QVX.INF");
    for (std::string line : c.expected) {
      if (c.status) {
        EXPECT_NE(errors.find(line), std::string::npos) << c.name << ": " << errors;
        continue;
      }
      for (size_t at; (at = line.find('@')) != std::string::npos;)
        line.replace(at, 1, root);
      EXPECT_NE(written.find(line + (line.find(',') != std::string::npos ? "\r\n" : "\n")), std::string::npos)
          << c.name << ": no line " << line << " in\n" << written;
    }
    if (c.status)
      EXPECT_EQ(access((dir + "/QVX.INF").c_str(), F_OK), -1) << c.name;
    ExpectNothingAstray(c.name);
  }

  /* A configuration written before is written again. */
  std::string errors;
  EXPECT_EQ(0, RunTtinstall("install --dosbox '" + work + "/game/dos.conf' '" + work + "/cd' '" + work + "/game/dos/tango'",
                            &errors)) << errors;
}

/* The CD through the test drive (cddrive, FUSE): slow, with sectors that fail
 * with EIO, and as a ddrescue image with its mapfile. test names every
 * damaged file with the bytes lost and reads on; install stops at the first
 * and leaves no partial file; with --mapfile nothing on a bad area is read
 * (the drive's log has no failed read). */
TEST(Ttinstall, ReadsADamagedDiscThroughTheTestDrive)
{
#ifndef CDDRIVE_PATH
  GTEST_SKIP() << "no CD drive: cddrive is not built (libfuse3-dev)";
#else
  /* A mapfile whose one bad sector is the first of X.CFL (A.DAT's bytes
   * follow its 8-byte header). */
  const std::string badFirstSector =
      "at=$(( $(grep -obUa aaaaaaaaaaaaaaaa cd.iso | head -n1 | cut -d: -f1) / 2048 * 2048 )) && "
      "printf '0 +\\n0 %d +\\n%d 0x800 -\\n' $at $at >cd.map";
  struct Row {
    const char *name;
    int image;              /* the drive presents cd.iso, not the directory */
    std::string drive;      /* its options */
    const char *command;    /* ttinstall's options and command, then the CD and DIR */
    int status;
    std::vector<const char *> messages;
  } rows[] = {
    { "slow drive", 0, "--speed 8x --access 20", "install", 0, {} },
    { "bad sectors, test", 0, "--bad DATA1/X.CFL:0 --bad DATA1/ZEPH.BAT:0", "test", 1,
      { "DATA1\\ZEPH.BAT is damaged: ZEPH.BAT, bytes 0-8 cannot be read (input/output error)",
        "DATA1\\X.CFL is damaged: entry 0 (G1\\A.DAT), bytes 0-2047 cannot be read" } },
    { "bad sectors, install", 0, "--bad DATA1/X.CFL:0", "install", 1, { "cannot read DATA1\\X.CFL" } },
    { "bad sector of an image, test", 1, "--bad DATA1/X.CFL:2100", "test", 1,
      { "entry 0 (G1\\A.DAT), bytes 2048-3026 cannot be read" } },
    { "mapfile, test", 1, "--mapfile cd.map", "--mapfile cd.map test", 1,
      { "DATA1\\X.CFL lies on bad areas of the mapfile: bytes 0-2047" } },
    { "mapfile, install", 1, "--mapfile cd.map", "--mapfile cd.map install", 1,
      { "entry 0 (G1\\A.DAT) lies on a bad area of the mapfile (bytes 0-2047): refused" } },
    { "mapfile, --keep-damaged", 1, "", "--mapfile cd.map --keep-damaged install", 1,
      { "installed as the image holds it" } },
  };
  std::string drive = work + "/drive";
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    MakeCd(goodList, GoodEntries());
    Shell("mkdir -p '" + drive + "' && cd '" + work + "' && xorriso -as mkisofs -quiet -iso-level 1 -o cd.iso cd "
          "2>/dev/null && " + badFirstSector);
    std::string mount = "cd '" + work + "' && '" CDDRIVE_PATH "' --error-time 5 --log drive.log " + row.drive +
                        " " + (row.image ? "cd.iso" : "cd") + " drive";
    if (system(mount.c_str()) != 0)
      GTEST_SKIP() << "no CD drive: FUSE cannot mount here";
    std::string cd = drive + (row.image ? "/cd.iso" : ""), errors, command = row.command;
    if (command.find("cd.map") != std::string::npos)
      command.replace(command.find("cd.map"), 6, "'" + work + "/cd.map'");
    if (strstr(row.command, "install"))
      cd += "' '" + work + "/game";
    EXPECT_EQ(row.status, RunTtinstall(command + " '" + cd + "'", &errors)) << errors;
    Shell("fusermount3 -u '" + drive + "'");
    for (const char *message : row.messages)
      EXPECT_NE(errors.find(message), std::string::npos) << message << "\n" << errors;
    if (row.drive.find("--mapfile") != std::string::npos)
      EXPECT_EQ(ReadText(work + "/drive.log").find(" eio "), std::string::npos) << "a bad area was read";
    EXPECT_EQ(row.status == 0 || strstr(row.command, "--keep-damaged"),
              access((work + "/game/QVX.INF").c_str(), F_OK) == 0);
    Shell("cd '" + work + "' && find game -name '*.ttpart' >../parts.txt");
    EXPECT_EQ(ReadText(work + "/../parts.txt"), "");
  }
#endif
}
