/* ttinstall: the game installed from its CD, or from an image of it, with no
 * Windows. The file list, the minimal-installation filter, the destinations
 * and the decoding are those of Outfitter's copy pass (copyrules.cpp), and
 * QVX.INF is written by Outfitter's own text generator (settingstext.cpp);
 * what is native here is the reading of the CD (cdsource.cpp), the writing
 * of the game directory (gamedir.cpp) and the terminal. */
#include "tools/ttinstall/cdsource.h"
#include "tools/ttinstall/dosboxconf.h"
#include "tools/ttinstall/damagemap.h"
#include "tools/ttinstall/gamedir.h"
#include "setup/engine/container.h"
#include "setup/engine/copyrules.h"
#include "settings/linesyntax.h"
#include "settings/settingstext.h"
#include "common/textformat.h"

#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>
#include <sys/ioctl.h>
#include <unistd.h>

enum { EXIT_DONE = 0, EXIT_DAMAGED = 1, EXIT_USAGE = 2, EXIT_NO_CD = 3, EXIT_WRITE = 4 };
enum { MODE_LIST, MODE_TEST, MODE_INSTALL };
enum { REASON_SIZE = 400, MAX_CD_TEXT = 16 * 1048576 };

static const char usageText[] =
    "Usage: ttinstall [OPTION]... list CD\n"
    "       ttinstall [OPTION]... test CD\n"
    "       ttinstall [OPTION]... install CD DIR\n"
    "Install Tinfoil Tango (the DOS game) from its CD without Windows.\n"
    "CD is the CD's directory (mounted or copied), an ISO 9660 image of it, or\n"
    "a BIN/CUE image: the .cue, or a bare .bin of raw sectors.\n"
    "\n"
    "  list      every file the installation writes, with its size, in the\n"
    "            order it writes them, and the total\n"
    "  test      read and decode every file and container entry, write nothing,\n"
    "            and name every damaged one\n"
    "  install   write the game directory DIR as Outfitter's minimal\n"
    "            installation does, QVX.INF included; other files in DIR stay\n"
    "\n"
    "  --language NAME     English, French, German, Italian, Spanish (or 1-7);\n"
    "                      default: the LANGUAGE of the CD's QVX.INF when the CD\n"
    "                      has its directory, else English, else the first it has\n"
    "  --cd-drive D:       the drive letter of the CD when the game runs (D:)\n"
    "  --install-path P    the game directory as the game sees it (C:\\ZEPH)\n"
    "  --memory KB         EXTENDED in QVX.INF (default: this machine's memory,\n"
    "                      at most 2097151 as a 32-bit program sees it)\n"
    "  --dosbox FILE       with install: also write FILE, a DOSBox configuration\n"
    "                      that starts the game (dosbox -conf FILE); the install\n"
    "                      path comes from DIR's name when that is a DOS name,\n"
    "                      and EXTENDED is the memory it gives DOSBox\n"
    "  --mapfile FILE      the mapfile GNU ddrescue wrote with the image CD: test\n"
    "                      names every file on its bad or untried areas without\n"
    "                      reading them; install refuses those files\n"
    "  --keep-damaged      install installs them as the image holds them (what\n"
    "                      ddrescue could not read is zeros there), and exits 1\n"
    "  -q, --quiet         no progress line and no notes: only what the command\n"
    "                      prints, warnings and errors\n"
    "  -V, --version       the version of ttinstall\n"
    "  -h, --help          this text\n"
    "\n"
    "Exit status: 0 done; 1 the game's CD has data missing, damaged or unreadable,\n"
    "or names a file it may not (a better copy of the disc is needed); 2 bad usage;\n"
    "3 the CD cannot be opened (not there, no permission) or is not the game's CD;\n"
    "4 DIR cannot be written (full disk, read-only, a link or a name in the way).\n";

static struct {
    int mode;
    const char *cdPath;
    const char *gamePath;
    const char *language;           /* as given, NULL for the default */
    long languageIndex;
    char cdDrive;
    char installPath[COPY_PATH_SIZE];   /* as the game sees it, no trailing backslash */
    unsigned long memoryKb;
    int memoryGiven;
    int installPathGiven;
    const char *dosboxFile;         /* --dosbox, NULL without */
    int showProgress;
    const char *mapfile;            /* ddrescue's, for an image */
    int keepDamaged;
    int quiet;                      /* -q: no progress line, no notes */
} options;

static char *settingsText;          /* the CD's QVX.INF */
static uint64_t settingsLength;
static char *listText;              /* the CD's FILELIST.WD */
static uint64_t listLength;

static unsigned char *transferInput, *transferOutput;

static int damagedCount;            /* files of the CD found damaged (test and list go on) */
static int keptDamaged;             /* installed from bad areas of the mapfile, as asked */
static int exitStatus = EXIT_DONE;
static unsigned long filesWritten;
static uint64_t bytesWritten;       /* expanded, as installed */
static uint64_t sourceTotal, sourceDone;   /* the CD's bytes, for the progress line */

/* ---- Messages ------------------------------------------------------------ */

enum { SAY_ERROR, SAY_WARNING, SAY_NOTE };

/* What standard error is: a terminal that takes the progress line (TERM set
 * and not "dumb", as innoextract asks), and whether the "ttinstall:" of errors
 * and warnings is coloured there (not with NO_COLOR, whatever its value). */
static int stderrTerminal, stderrColour;

static void ClearProgress(void);

static void SayList(int kind, const char *format, va_list args)
{
    if (kind == SAY_NOTE && options.quiet)
        return;
    ClearProgress();
    if (stderrColour && kind != SAY_NOTE)
        fputs(kind == SAY_ERROR ? "\033[1;31mttinstall:\033[m " : "\033[1;33mttinstall:\033[m ", stderr);
    else
        fputs("ttinstall: ", stderr);
    if (kind == SAY_WARNING)
        fputs("warning: ", stderr);
    /* Names come from the CD and the command line: a control character
     * among them is shown as '?', never handed to the terminal. */
    char text[8192];
    vsnprintf(text, sizeof(text), format, args);
    for (unsigned char *c = (unsigned char *)text; *c; c++)
        if (*c < 0x20 || *c == 0x7F)
            *c = '?';
    fputs(text, stderr);
    fputc('\n', stderr);
}

static void Say(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    SayList(SAY_ERROR, format, args);
    va_end(args);
}

static void Warn(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    SayList(SAY_WARNING, format, args);
    va_end(args);
}

/* Said unless -q asks for quiet. */
static void Note(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    SayList(SAY_NOTE, format, args);
    va_end(args);
}

static int SetStatus(int status)
{
    if (status > exitStatus || exitStatus == EXIT_DONE)
        exitStatus = status;
    return 0;
}

/* A file of the CD found damaged, missing or naming what it may not: said,
 * counted, and the exit status says so. Answers 0. */
static int Damaged(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    SayList(SAY_ERROR, format, args);
    va_end(args);
    damagedCount++;
    return SetStatus(EXIT_DAMAGED);
}

/* Called by the line reader for a list or QVX.INF line over 259 characters:
 * Outfitter says so and skips the line, and so does this. */
void ReportLongLine(void)
{
    Warn("FILELIST.WD or QVX.INF has a line too long to read; it is skipped");
}

/* ---- The progress line ----------------------------------------------------- */

static struct timespec startTime, lastShown;
static const char *progressName = "";

static double Seconds(const struct timespec *from, const struct timespec *to)
{
    return (double)(to->tv_sec - from->tv_sec) + (double)(to->tv_nsec - from->tv_nsec) / 1e9;
}

static int progressShown;   /* the line is on the terminal now */

/* The terminal's width: its own, else COLUMNS, else 80. */
static int TerminalColumns(void)
{
    struct winsize size;
    if (ioctl(2, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    const char *columns = getenv("COLUMNS");
    if (columns && columns[0] >= '1' && columns[0] <= '9' && strspn(columns, "0123456789") == strlen(columns) &&
        strlen(columns) <= 4)
        return atoi(columns);
    return 80;
}

/* At most ten times a second, on a terminal only: name, share, speed and the
 * time left, on one line one column narrower than the terminal (a line that
 * filled it would wrap on some), redrawn with a carriage return and blanks
 * alone, so that no escape sequence is ever written for it. */
static void ShowProgress(int force)
{
    if (!options.showProgress)
        return;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (!force && Seconds(&lastShown, &now) < 0.1)
        return;
    lastShown = now;
    double elapsed = Seconds(&startTime, &now);
    double rate = elapsed > 0 ? (double)sourceDone / elapsed : 0;
    int percent = sourceTotal ? (int)(sourceDone * 100 / sourceTotal) : 100;
    long left = rate > 0 ? (long)((double)(sourceTotal - sourceDone) / rate + 0.5) : 0;
    char tail[80], line[512];
    int tailLength = snprintf(tail, sizeof(tail), "%3d%%  %7.1f MB/s  %ld:%02ld left", percent,
                              rate / 1048576.0, left / 60, left % 60);
    if (tailLength >= (int)sizeof(tail))
        tailLength = (int)sizeof(tail) - 1;
    /* A column a byte, but for the name's 32 characters, of up to 3 bytes. */
    int room = TerminalColumns() - 1;
    if (room > (int)sizeof(line) - 2 * 32 - 1)
        room = (int)sizeof(line) - 2 * 32 - 1;
    int nameColumns = room - tailLength - 1;
    if (nameColumns > 32)
        nameColumns = 32;
    size_t length = 0;
    int columns = 0;
    if (nameColumns >= 8) {
        /* The name is the list's, in Windows-1252: a column a byte, shown
         * in UTF-8 as the file system has it, control characters as '?'. */
        for (const unsigned char *c = (const unsigned char *)progressName; *c && columns < nameColumns;
             c++, columns++) {
            if (*c < 0x20 || *c == 0x7F)
                line[length++] = '?';
            else
                length += Windows1252ToUtf8(*c, line + length);
        }
        for (; columns <= nameColumns; columns++)
            line[length++] = ' ';
    }
    for (int i = 0; i < tailLength && columns < room; i++, columns++)
        line[length++] = tail[i];
    for (; columns < room; columns++)
        line[length++] = ' ';
    fputc('\r', stderr);
    fwrite(line, 1, length, stderr);
    fflush(stderr);
    progressShown = 1;
}

/* The line blanked, the cursor at its start, before anything else is said. */
static void ClearProgress(void)
{
    if (!progressShown)
        return;
    int room = TerminalColumns() - 1;
    fputc('\r', stderr);
    for (int i = 0; i < room; i++)
        fputc(' ', stderr);
    fputc('\r', stderr);
    fflush(stderr);
    progressShown = 0;
}

/* ---- The CD ------------------------------------------------------------- */

/* "DATA1\" and a list source: the CD name of a file the list names. Outfitter
 * builds it as D:\DATA1\ and the source in 260 bytes, and so the same sources
 * fit here. */
static int DataPath(char *path, const char *source)
{
    static const char drivePrefix[] = "D:\\";
    if (strlen(drivePrefix) + strlen("DATA1\\") + strlen(source) >= COPY_PATH_SIZE)
        return 0;
    CopyText(path, COPY_PATH_SIZE, "DATA1\\");
    return AppendText(path, COPY_PATH_SIZE, source);
}

/* The exit status for a file of the CD that cannot be opened or read: the
 * CD's files need other permissions, or the CD's data is damaged. */
static int ReadFailureStatus(void)
{
    return CdLastFailure() == CD_FAILED_ACCESS ? EXIT_NO_CD : EXIT_DAMAGED;
}

/* A file of the CD that cannot be read: said, and the exit status says
 * what must be done about it. Answers 0. */
static int Unreadable(const char *name, const char *reason)
{
    if (ReadFailureStatus() == EXIT_DAMAGED)
        return Damaged("cannot read %s from the CD: %s", name, reason);
    Say("cannot read %s from the CD: %s", name, reason);
    return SetStatus(EXIT_NO_CD);
}

/* A whole file of the CD into memory (lists, indexes, QVX.INF). NULL after
 * the reason (said when report is set); *missing tells a file that is not
 * there, which the caller names. */
static char *LoadCdFile(const char *name, uint64_t *size, int *missing, int report)
{
    char reason[REASON_SIZE];
    *missing = 0;
    int file = CdOpenFile(name, size, reason, sizeof(reason));
    if (file < 0) {
        *missing = CdLastFailure() == CD_FAILED_MISSING;
        if (!*missing && report)
            Unreadable(name, reason);
        return NULL;
    }
    if (*size > MAX_CD_TEXT) {
        CdCloseFile(file);
        if (report)
            Damaged("%s is damaged: %llu bytes is more than such a file holds", name, (unsigned long long)*size);
        return NULL;
    }
    char *text = (char *)malloc(*size ? *size : 1);
    long got = text ? CdReadFile(file, text, *size, reason, sizeof(reason)) : -1;
    CdCloseFile(file);
    if (got < 0 || (uint64_t)got != *size) {
        if (report)
            Unreadable(name, text ? reason : "out of memory");
        free(text);
        return NULL;
    }
    return text;
}

/* A file the CD reads from for one transfer: where it is, so that a message
 * can say the byte, and whether it ended early or failed. */
struct CdReader {
    int file;
    const char *name;
    uint64_t position;
    uint64_t chunkStart;
    int endedEarly;
    int failed;
    int failure;                    /* CD_FAILED_..., when failed */
    char reason[REASON_SIZE];
};

static int ReadPort(void *source, unsigned char *buffer, uint32_t count)
{
    CdReader *reader = (CdReader *)source;
    long got = CdReadFile(reader->file, buffer, count, reader->reason, sizeof(reader->reason));
    if (got < 0) {
        reader->failed = 1;
        reader->failure = CdLastFailure();
        return 0;
    }
    reader->position += (uint64_t)got;
    if ((uint32_t)got != count) {
        reader->endedEarly = 1;
        return 0;
    }
    return 1;
}

/* Test, after a read error: the unreadable bytes said (where names the
 * entry or the file they fall in, or is NULL) and the reader on past them.
 * 0 when it cannot go on. */
static int ReadOnPast(CdReader *reader, const char *where)
{
    uint64_t from, to;
    if (options.mode != MODE_TEST || !reader->failed || reader->failure != CD_FAILED_DAMAGED ||
        !CdSkipUnreadable(reader->file, &from, &to))
        return 0;
    const char *cause = reader->reason;
    if (!strncmp(cause, "unreadable: ", 12))
        cause += 12;
    Damaged("%s is damaged: %s%sbytes %llu-%llu cannot be read (%s)", reader->name, where ? where : "",
            where ? ", " : "", (unsigned long long)from, (unsigned long long)to - 1, cause);
    reader->failed = 0;
    reader->position = to;
    return 1;
}

/* Skips the reader forward to a byte of its file (a damaged entry in test),
 * on past what cannot be read. */
static int SkipTo(CdReader *reader, uint64_t target)
{
    if (reader->position < target && options.mapfile && CdSeekFile(reader->file, target))
        reader->position = target;   /* what lies between is not read: it may be a bad area */
    while (reader->position < target) {
        uint64_t gap = target - reader->position;
        if (!ReadPort(reader, transferInput, gap < TRANSFER_SIZE ? (uint32_t)gap : TRANSFER_SIZE) &&
            !ReadOnPast(reader, NULL))
            return 0;
    }
    return 1;
}

/* ---- The game directory ---------------------------------------------------- */

struct GameWriter {
    int failed;
    char reason[REASON_SIZE];
};

static int WritePort(void *target, const unsigned char *bytes, uint32_t count)
{
    GameWriter *writer = (GameWriter *)target;
    bytesWritten += count;
    if (options.mode != MODE_INSTALL)
        return 1;
    if (WriteGameFile(bytes, count, writer->reason, sizeof(writer->reason)))
        return 1;
    writer->failed = 1;
    return 0;
}

static void StepPort(void *context, uint32_t used)
{
    CdReader *reader = (CdReader *)context;
    reader->chunkStart = reader->position;
    sourceDone += used;
    ShowProgress(0);
}

/* Bytes start..start+size-1 of a file of the CD on a bad area of the
 * mapfile: test has named them and skips them; install refuses them unless
 * --keep-damaged asks for them as the image holds them. 1 when they are
 * to be read. */
static int ClearOfBadAreas(const char *cdName, const char *what, uint64_t start, uint64_t size)
{
    uint64_t from, to;
    if (!options.mapfile || !DamageMapTouches(cdName, start, size, &from, &to))
        return 1;
    if (options.mode != MODE_INSTALL)
        return 0;
    if (!options.keepDamaged)
        return Damaged("%s: %s lies on a bad area of the mapfile (bytes %llu-%llu): refused "
                       "(--keep-damaged installs from it as the image holds it)", cdName, what,
                       (unsigned long long)from, (unsigned long long)to - 1);
    Warn("%s: %s lies on a bad area of the mapfile (bytes %llu-%llu): installed as the image holds it",
        cdName, what, (unsigned long long)from, (unsigned long long)to - 1);
    keptDamaged++;
    return 1;
}

/* Whether a destination may be written, as the copy pass asks: inside the game
 * directory and within 260 bytes of the game's own path to it. */
static int DestinationAllowed(const char *destination)
{
    return IsSafeRelativePath(destination) &&
           strlen(options.installPath) + 1 + strlen(destination) < COPY_PATH_SIZE;
}

static void ReportRefused(const char *cdName, const char *destination)
{
    Damaged("%s names a file it may not write: \"%s\" (outside the game directory, a drive, a device "
            "or too long)", cdName, destination);
}

/* One file's body from reader to the destination (written on install, counted
 * otherwise). entry is -1 for a plain file. 1 when it was whole; 0 after the
 * message, with the exit status set. */
static int TransferOne(CdReader *reader, const char *cdName, long entry, const char *destination,
                       uint32_t chunkFlag, uint32_t size)
{
    char reason[REASON_SIZE], where[COPY_PATH_SIZE + 40];
    if (entry < 0)
        FormatText(where, sizeof(where), "%s", destination);
    else
        FormatText(where, sizeof(where), "entry %ld (%s)", entry, destination);
    progressName = destination;
    GameWriter writer = { 0, "" };
    if (options.mode == MODE_INSTALL && !BeginGameFile(destination, writer.reason, sizeof(writer.reason))) {
        Say("cannot write %s in %s: %s", destination, options.gamePath, writer.reason);
        return SetStatus(EXIT_WRITE);
    }
    uint64_t before = bytesWritten;
    reader->chunkStart = reader->position;
    TransferPorts ports = { ReadPort, reader, WritePort, &writer, StepPort, reader };
    uint32_t chunk = 0;
    int result = TransferFileBody(&ports, chunkFlag, size, transferInput, transferOutput, &chunk,
                                  reason, sizeof(reason));
    if (result == TRANSFER_DONE && options.mode == MODE_INSTALL &&
        !FinishGameFile(writer.reason, sizeof(writer.reason))) {
        writer.failed = 1;
        result = TRANSFER_FAILED;
    }
    if (result == TRANSFER_DONE) {
        if (options.mode == MODE_LIST)
            printf("%12llu  %s\n", (unsigned long long)(bytesWritten - before), destination);
        filesWritten++;
        return 1;
    }
    if (options.mode == MODE_INSTALL)
        AbandonGameFile();
    ClearProgress();
    if (writer.failed) {
        Say("cannot write %s in %s: %s", destination, options.gamePath, writer.reason);
        return SetStatus(EXIT_WRITE);
    }
    if (reader->failed && ReadOnPast(reader, where)) {
        if (entry < 0)
            SkipTo(reader, size);   /* a plain file: the rest of it, for more */
        return 0;
    }
    if (reader->failed)
        return Unreadable(cdName, reader->reason);
    if (reader->endedEarly)
        CopyText(reason, sizeof(reason), "the file ends before the data does");
    if (chunkFlag)
        return Damaged("%s is damaged: %s, chunk %lu at byte %llu: %s", cdName, where, (unsigned long)chunk,
                       (unsigned long long)reader->chunkStart, reason);
    return Damaged("%s is damaged: %s, at byte %llu: %s", cdName, where, (unsigned long long)reader->position,
                   reason);
}

static int OpenReader(CdReader *reader, const char *cdName, uint64_t *size)
{
    memset(reader, 0, sizeof(*reader));
    reader->name = cdName;
    reader->file = CdOpenFile(cdName, size, reader->reason, sizeof(reader->reason));
    if (reader->file >= 0)
        return 1;
    return Unreadable(cdName, reader->reason);
}

static int CopyPlain(const char *cdName, const char *destination)
{
    if (!DestinationAllowed(destination)) {
        ReportRefused(cdName, destination);
        return 0;
    }
    CdReader reader;
    uint64_t size;
    if (!OpenReader(&reader, cdName, &size))
        return 0;
    int result;
    if (size == 0 || size > 0x7FFFFFFF) {
        result = Damaged("%s is damaged: %s", cdName, size ? "it is larger than any file of the game" : "file is empty");
    } else if (options.mode != MODE_INSTALL && !ClearOfBadAreas(cdName, destination, 0, size)) {
        result = 0;   /* named from the mapfile */
    } else {
        result = TransferOne(&reader, cdName, -1, destination, 0, (uint32_t)size);
    }
    CdCloseFile(reader.file);
    return result;
}

/* A container: its index from the .CFI beside it, then the entries in order,
 * each into the destination the copy pass gives it. Test goes on after a
 * damaged entry, from the start of the next one. */
static int CopyContainer(const char *cdName, char *destination)
{
    char indexName[COPY_PATH_SIZE], reason[REASON_SIZE], name[CFI_NAME_SIZE];
    CopyText(indexName, sizeof(indexName), cdName);
    indexName[strlen(indexName) - 1] = 'I';
    uint64_t indexSize;
    int missing;
    if (options.mode != MODE_INSTALL && CdFileSize(indexName, &indexSize) &&
        !ClearOfBadAreas(indexName, "the index", 0, indexSize))
        return 0;   /* named from the mapfile */
    unsigned char *index = (unsigned char *)LoadCdFile(indexName, &indexSize, &missing, 1);
    if (!index) {
        if (missing)
            Damaged("%s is missing from the CD", indexName);
        return 0;
    }
    if (!CheckIndexSize((size_t)indexSize, reason, sizeof(reason))) {
        Damaged("%s is damaged: %s", indexName, reason);
        free(index);
        return 0;
    }
    CdReader reader;
    uint64_t dataSize;
    if (!OpenReader(&reader, cdName, &dataSize)) {
        free(index);
        return 0;
    }
    int result = 1;
    uint64_t entryStart = 0;
    size_t count = (size_t)indexSize / CFI_ENTRY_SIZE;
    for (size_t entry = 0; entry < count; entry++) {
        uint32_t entrySize, chunkFlag, body;
        if (!ReadIndexEntry(index, (size_t)indexSize, entry, name, &entrySize, reason, sizeof(reason))) {
            result = Damaged("%s is damaged: %s", indexName, reason);
            break;   /* the entries after it have no known place */
        }
        if (!EntryDestination(destination, name) || !DestinationAllowed(destination)) {
            ReportRefused(cdName, destination);
            result = 0;
            break;
        }
        if (options.mode != MODE_INSTALL && !ClearOfBadAreas(cdName, destination, entryStart, entrySize)) {
            entryStart += entrySize;   /* named from the mapfile */
            result = 0;
            continue;
        }
        if (reader.position < entryStart && !SkipTo(&reader, entryStart)) {
            result = reader.failed ? Unreadable(cdName, reader.reason) : 0;
            break;
        }
        if (reader.position > entryStart) {
            /* in test, its start lay in bytes that could not be read */
            result = Damaged("%s is damaged: entry %lu (%s) lies in bytes that cannot be read", cdName,
                             (unsigned long)entry, destination);
            entryStart += entrySize;
            continue;
        }
        unsigned char header[CFL_HEADER_SIZE];
        int whole;
        if (!ReadPort(&reader, header, CFL_HEADER_SIZE)) {
            whole = 0;
            char where[COPY_PATH_SIZE + 40];
            FormatText(where, sizeof(where), "entry %lu (%s)", (unsigned long)entry, destination);
            if (reader.failed && ReadOnPast(&reader, where)) {
                entryStart += entrySize;
                result = 0;
                continue;
            }
            if (reader.failed) {
                result = Unreadable(cdName, reader.reason);
                break;
            }
            result = Damaged("%s is damaged: entry %lu (%s), at byte %llu: the file ends before the data does",
                             cdName, (unsigned long)entry, destination, (unsigned long long)reader.position);
            break;
        }
        if (!ParseEntryHeader(header, entrySize, &chunkFlag, &body, reason, sizeof(reason))) {
            Damaged("%s is damaged: entry %lu (%s), at byte %llu: %s", cdName, (unsigned long)entry,
                    destination, (unsigned long long)entryStart, reason);
            whole = 0;
        } else {
            whole = TransferOne(&reader, cdName, (long)entry, destination, chunkFlag, body);
        }
        entryStart += entrySize;
        if (!whole) {
            result = 0;
            if (options.mode == MODE_INSTALL || exitStatus != EXIT_DAMAGED || reader.endedEarly)
                break;
        }
    }
    CdCloseFile(reader.file);
    free(index);
    return result;
}

/* ---- The passes ------------------------------------------------------------ */

static const char *LanguageDirectory(void)
{
    return languageDirectories[options.languageIndex];
}

/* The next line of the list that names a file the minimal installation
 * copies, from *at on; 0 at the end of the list. */
static int NextListedFile(uint64_t *at, char *source, char *destination)
{
    while (*at < listLength) {
        int used = ReadListLine(listText + *at, (long)(listLength - *at), LanguageDirectory(), source, destination);
        if (used <= 0)
            return 0;
        *at += (uint64_t)used;
        if (source[0] && !IsLeftOnCd(source))
            return 1;
    }
    return 0;
}

/* ---- The plan: every destination before a byte is written ----------------- */

enum { KEY_SIZE = 3 * COPY_PATH_SIZE };

/* One name the installation writes: its key (CheckGameName), where it comes
 * from for the messages, and whether it is one of the game's directories. */
struct Planned {
    char *key;
    char *from;
    int isDirectory;
};

static Planned *planned;
static size_t plannedCount, plannedCapacity;

static int AddPlanned(const char *key, const char *from, int isDirectory)
{
    if (plannedCount == plannedCapacity) {
        size_t capacity = plannedCapacity ? plannedCapacity * 2 : 256;
        Planned *grown = (Planned *)realloc(planned, capacity * sizeof(Planned));
        if (!grown)
            return 0;
        planned = grown;
        plannedCapacity = capacity;
    }
    Planned *p = &planned[plannedCount];
    p->key = strdup(key);
    p->from = strdup(from);
    p->isDirectory = isDirectory;
    if (!p->key || !p->from) {
        free(p->key);
        free(p->from);
        return 0;
    }
    plannedCount++;
    return 1;
}

static void FreePlan(void)
{
    for (size_t i = 0; i < plannedCount; i++) {
        free(planned[i].key);
        free(planned[i].from);
    }
    free(planned);
    planned = NULL;
    plannedCount = plannedCapacity = 0;
}

static int ComparePlanned(const void *a, const void *b)
{
    return strcmp(((const Planned *)a)->key, ((const Planned *)b)->key);
}

/* The first planned name not before key (the plan sorted). */
static size_t LowerBound(const char *key)
{
    size_t low = 0, high = plannedCount;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        if (strcmp(planned[middle].key, key) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

/* A destination as the game directory here would take it: what Outfitter
 * would refuse is left to the copy (or said now, on install), what only this
 * file system or only Windows refuses is said now in every mode. */
static int PlanDestination(const char *from, const char *destination)
{
    char key[KEY_SIZE], reason[REASON_SIZE], text[2 * COPY_PATH_SIZE + 40];
    if (!DestinationAllowed(destination)) {
        if (options.mode == MODE_INSTALL)
            ReportRefused(from, destination);
        return options.mode != MODE_INSTALL;
    }
    if (!CheckGameName(destination, key, sizeof(key), reason, sizeof(reason)))
        return Damaged("%s names a file it may not write: \"%s\" (%s)", from, destination, reason);
    FormatText(text, sizeof(text), "%s (to \"%s\")", from, destination);
    if (!AddPlanned(key, text, 0)) {
        Say("out of memory");
        return SetStatus(EXIT_WRITE);
    }
    return 1;
}

/* A container's entries into the plan, from its index. What the index
 * lacks is said here on install; test and list say it when they come to it. */
static int PlanContainer(const char *cdName, const char *listDestination)
{
    int report = options.mode == MODE_INSTALL;
    char indexName[COPY_PATH_SIZE], reason[REASON_SIZE], name[CFI_NAME_SIZE], destination[COPY_PATH_SIZE];
    char from[COPY_PATH_SIZE + 40];
    CopyText(indexName, sizeof(indexName), cdName);
    indexName[strlen(indexName) - 1] = 'I';
    CopyText(destination, sizeof(destination), listDestination);
    uint64_t indexSize;
    int missing;
    if (report && CdFileSize(indexName, &indexSize) && !ClearOfBadAreas(indexName, "the index", 0, indexSize))
        return 0;
    unsigned char *index = (unsigned char *)LoadCdFile(indexName, &indexSize, &missing, report);
    if (!index) {
        if (missing && report)
            Damaged("%s is missing from the CD", indexName);
        return !report;
    }
    int result = CheckIndexSize((size_t)indexSize, reason, sizeof(reason));
    if (!result && report)
        Damaged("%s is damaged: %s", indexName, reason);
    size_t count = result ? (size_t)indexSize / CFI_ENTRY_SIZE : 0;
    uint64_t entryStart = 0;
    for (size_t entry = 0; entry < count; entry++) {
        uint32_t entrySize;
        if (!ReadIndexEntry(index, (size_t)indexSize, entry, name, &entrySize, reason, sizeof(reason))) {
            if (report)
                result = Damaged("%s is damaged: %s", indexName, reason);
            break;
        }
        if (!EntryDestination(destination, name)) {
            if (report)
                result = 0, ReportRefused(cdName, destination);
            break;
        }
        FormatText(from, sizeof(from), "%s, entry %lu", cdName, (unsigned long)entry);
        if (!PlanDestination(from, destination))
            result = 0;
        FormatText(from, sizeof(from), "entry %lu (%s)", (unsigned long)entry, destination);
        if (report && !ClearOfBadAreas(cdName, from, entryStart, entrySize))
            result = 0;
        entryStart += entrySize;
        if (exitStatus == EXIT_WRITE)
            break;
    }
    free(index);
    return result || !report;
}

/* Names that cannot all be written: a file where the game has a directory
 * (G0 to G10) or where another file needs a directory of the same name. */
static int CheckPlannedClashes(void)
{
    int result = 1;
    qsort(planned, plannedCount, sizeof(Planned), ComparePlanned);
    char prefix[KEY_SIZE + 1];
    for (size_t i = 0; i < plannedCount; i++) {
        if (planned[i].isDirectory || (i > 0 && !strcmp(planned[i - 1].key, planned[i].key) &&
                                       !planned[i - 1].isDirectory))
            continue;   /* the same file named again: the last one written stays, as with Outfitter */
        for (size_t j = LowerBound(planned[i].key); j < plannedCount && !strcmp(planned[j].key, planned[i].key); j++)
            if (planned[j].isDirectory) {
                result = Damaged("%s cannot be installed: %s is a directory of the game", planned[i].from,
                                 planned[j].from);
                break;
            }
        FormatText(prefix, sizeof(prefix), "%s/", planned[i].key);
        size_t j = LowerBound(prefix);
        if (j < plannedCount && !strncmp(planned[j].key, prefix, strlen(prefix)))
            result = Damaged("%s and %s cannot both be installed: the first is a file where the second needs "
                             "a directory", planned[i].from, planned[j].from);
    }
    return result;
}

static const char *const gameSubdirectories[] = {
    "G0", "G1", "G2", "G3", "G4", "G5", "G6", "G7", "G8", "G9", "G10"
};

/* Like Outfitter before its copy: every file the list names is on the CD and
 * holds something, and their sizes make the total of the progress line; and
 * beyond Outfitter, every name the installation writes is one this file
 * system and Windows both take, and no two of them clash. Install names
 * every such fault here and stops before it writes; list and test name the
 * names that cannot be written here, and each missing or damaged file as
 * they come to it. */
static int PlanInstallation(void)
{
    int report = options.mode == MODE_INSTALL;
    char source[COPY_PATH_SIZE], destination[COPY_PATH_SIZE], cdName[COPY_PATH_SIZE];
    char reason[REASON_SIZE];
    int named = 0, result = 1;
    for (size_t i = 0; i < sizeof(gameSubdirectories) / sizeof(gameSubdirectories[0]); i++)
        AddPlanned(gameSubdirectories[i], gameSubdirectories[i], 1);
    for (uint64_t at = 0; NextListedFile(&at, source, destination);) {
        named = 1;
        uint64_t size;
        if (!DataPath(cdName, source)) {
            if (report)
                Damaged("DATA1\\FILELIST.WD names a file whose name is too long: %s", source);
            result = !report;
        } else if (!CdFileSize(cdName, &size)) {
            if (report && CdLastFailure() == CD_FAILED_MISSING) {
                Damaged("%s is missing from the CD", cdName);
            } else if (report) {
                int file = CdOpenFile(cdName, NULL, reason, sizeof(reason));
                CdCloseFile(file);
                Unreadable(cdName, file < 0 ? reason : "not a file");
            }
            result = !report;
        } else if (!size) {
            if (report)
                Damaged("%s is damaged: file is empty", cdName);
            result = !report;
        } else {
            sourceTotal += size;
            if (!(IsContainerSource(source) ? PlanContainer(cdName, destination) : PlanDestination(cdName, destination)))
                result = 0;
            if (report && !IsContainerSource(source) && !ClearOfBadAreas(cdName, destination, 0, size))
                result = 0;
        }
        if (exitStatus == EXIT_WRITE)
            break;
    }
    if (!named) {
        Say("DATA1\\FILELIST.WD is damaged: the list names no file to copy");
        FreePlan();
        return SetStatus(EXIT_DAMAGED);
    }
    if (exitStatus != EXIT_WRITE && !CheckPlannedClashes())
        result = 0;
    FreePlan();
    return result && exitStatus != EXIT_WRITE;
}

static int CopyListedFiles(void)
{
    char source[COPY_PATH_SIZE], destination[COPY_PATH_SIZE], cdName[COPY_PATH_SIZE];
    for (uint64_t at = 0; NextListedFile(&at, source, destination);) {
        if (!DataPath(cdName, source)) {
            if (options.mode == MODE_INSTALL)
                return 0;   /* CheckListedFiles said so */
            Damaged("DATA1\\FILELIST.WD names a file whose name is too long: %s", source);
            continue;
        }
        int copied = IsContainerSource(source) ? CopyContainer(cdName, destination) : CopyPlain(cdName, destination);
        if (!copied && (options.mode == MODE_INSTALL || exitStatus != EXIT_DAMAGED))
            return 0;
    }
    return damagedCount == 0;
}

/* QVX.INF as Outfitter writes it on a first installation: the CD's text with
 * the [SETUP] lines of this installation. No sound card is chosen here, and a
 * new game directory has no display driver configuration yet. */
struct SettingsBuffer {
    char *bytes;
    size_t length, capacity;
};

static int CollectSettings(void *context, const char *bytes, size_t length)
{
    SettingsBuffer *buffer = (SettingsBuffer *)context;
    if (buffer->length + length > buffer->capacity) {
        size_t capacity = (buffer->length + length) * 2 + 4096;
        char *grown = (char *)realloc(buffer->bytes, capacity);
        if (!grown)
            return 0;
        buffer->bytes = grown;
        buffer->capacity = capacity;
    }
    memcpy(buffer->bytes + buffer->length, bytes, length);
    buffer->length += length;
    return 1;
}

static int MakeSettingsText(SettingsBuffer *buffer)
{
    long keyScanCodes[KEY_COUNT];
    long optionOn[OPTION_COUNT] = { 0 };
    for (int i = 0; i < KEY_COUNT; i++)
        keyScanCodes[i] = LookupNumber(settingsText, (long)settingsLength, keyBindingKeys[i], 1);
    SettingsValues values;
    values.memoryKb = options.memoryKb;
    values.cdDrive = options.cdDrive;
    values.gameDirectory = options.installPath;
    values.soundName = "";
    values.videoName = "Unknown";
    values.languageIndex = options.languageIndex;
    values.optionOn = optionOn;
    values.keyScanCodes = keyScanCodes;
    buffer->bytes = NULL;
    buffer->length = buffer->capacity = 0;
    return WriteSettingsLines(settingsText, (long)settingsLength, &values, CollectSettings, buffer);
}

static int WriteSettingsFile(void)
{
    SettingsBuffer buffer;
    char reason[REASON_SIZE];
    int result = MakeSettingsText(&buffer);
    if (!result)
        Say("out of memory");
    if (result && options.mode == MODE_LIST)
        printf("%12lu  QVX.INF\n", (unsigned long)buffer.length);
    if (result && options.mode == MODE_INSTALL) {
        result = BeginGameFile("QVX.INF", reason, sizeof(reason)) &&
                 WriteGameFile((const unsigned char *)buffer.bytes, buffer.length, reason, sizeof(reason)) &&
                 FinishGameFile(reason, sizeof(reason));
        if (!result) {
            AbandonGameFile();
            Say("cannot write QVX.INF in %s: %s", options.gamePath, reason);
            SetStatus(EXIT_WRITE);
        }
    }
    if (result) {
        filesWritten++;
        bytesWritten += buffer.length;
    }
    free(buffer.bytes);
    return result;
}

static int PrepareGameDirectory(void)
{
    char reason[REASON_SIZE];
    int result = OpenGameDirectory(options.gamePath, reason, sizeof(reason));
    for (size_t i = 0; result && i < sizeof(gameSubdirectories) / sizeof(gameSubdirectories[0]); i++)
        result = MakeGameSubdirectory(gameSubdirectories[i], reason, sizeof(reason));
    if (!result) {
        Say("cannot write in %s: %s", options.gamePath, reason);
        SetStatus(EXIT_WRITE);
    }
    return result;
}

/* ---- The CD's own files and the options -------------------------------------- */

/* The CD's QVX.INF with the lines Outfitter insists on, and its file list. */
static int ReadCdSettings(void)
{
    int missing;
    settingsText = LoadCdFile("DATA1\\QVX.INF", &settingsLength, &missing, 1);
    if (!settingsText) {
        if (missing)
            Say("%s is not the game's CD: it has no DATA1\\QVX.INF", options.cdPath);
        return SetStatus(missing ? EXIT_NO_CD : exitStatus);
    }
    static const char *const needed[] = { "MIN_MEMORY", "TRACKS_EXPECTED" };
    for (const char *key : needed) {
        long value = LookupNumber(settingsText, (long)settingsLength, key, 1);
        if (value == -1 || value == 0) {
            Say("DATA1\\QVX.INF of the CD is damaged: it has no %s line", key);
            return SetStatus(EXIT_DAMAGED);
        }
    }
    char installed[COPY_PATH_SIZE];
    if (!LookupText(settingsText, (long)settingsLength, "INSTALLED_FILE", installed, sizeof(installed), 1)) {
        Say("DATA1\\QVX.INF of the CD is damaged: it has no INSTALLED_FILE line");
        return SetStatus(EXIT_DAMAGED);
    }
    listText = LoadCdFile("DATA1\\FILELIST.WD", &listLength, &missing, 1);
    if (!listText) {
        if (missing)
            Say("%s is not the game's CD: it has no DATA1\\FILELIST.WD", options.cdPath);
        return SetStatus(missing ? EXIT_NO_CD : exitStatus);
    }
    if (!listLength) {
        Say("DATA1\\FILELIST.WD is damaged: file is empty");
        return SetStatus(EXIT_DAMAGED);
    }
    return 1;
}

/* A language as --language names it: its name in any case or its number. */
static long LanguageNamed(const char *text)
{
    char *end;
    long number = strtol(text, &end, 10);
    if (*text && !*end && number >= 1 && number <= 7)
        return number;
    for (long i = 1; i <= 7; i++) {
        size_t length = strlen(languageDirectories[i]) - 1;   /* without its backslash */
        if (strlen(text) == length && strncasecmp(text, languageDirectories[i], length) == 0)
            return i;
    }
    return 0;
}

/* "Spanish" for SPANISH\, as the usage text names it. */
static const char *LanguageName(long index, char *name, size_t size)
{
    FormatText(name, size, "%s", languageDirectories[index]);
    for (size_t i = 1; name[i]; i++)
        name[i] = name[i] == '\\' ? '\0' : (char)(name[i] >= 'A' && name[i] <= 'Z' ? name[i] + 32 : name[i]);
    return name;
}

/* Whether the CD has DATA1\ and the language's directory. */
static int CdHasLanguage(long index)
{
    char name[COPY_PATH_SIZE];
    FormatText(name, sizeof(name), "DATA1\\%s", languageDirectories[index]);
    name[strlen(name) - 1] = '\0';
    return CdDirectoryExists(name);
}

/* The language the CD's LANGUAGE line names when the CD has its directory,
 * else English when it has that, else the first language it has; said when
 * it is not the CD's own. */
static void ChooseLanguage(void)
{
    if (options.language)
        return;
    long wanted = LookupNumber(settingsText, (long)settingsLength, "LANGUAGE", 1);
    if (wanted < 1 || wanted > 7)
        wanted = 1;
    long chosen = CdHasLanguage(wanted) ? wanted : CdHasLanguage(1) ? 1 : 0;
    for (long i = 1; !chosen && i <= 7; i++)
        if (CdHasLanguage(i))
            chosen = i;
    if (!chosen)
        chosen = wanted;   /* the list's LANGUAGE files will be missing, and said so */
    options.languageIndex = chosen;
    char name[16];
    if (chosen != wanted)
        Note("the CD has no DATA1\\%.*s directory for its language: %s is installed",
            (int)strlen(languageDirectories[wanted]) - 1, languageDirectories[wanted],
            LanguageName(chosen, name, sizeof(name)));
}

static void NameDamaged(void *context, const char *name, int isDirectory, const uint64_t (*ranges)[2],
                        int rangeCount)
{
    (void)context;
    char text[REASON_SIZE] = "", shown[COPY_PATH_SIZE];
    for (int i = 0; i < rangeCount && strlen(text) + 60 < sizeof(text); i++)
        snprintf(text + strlen(text), sizeof(text) - strlen(text), "%s%llu-%llu", i ? ", " : "",
                 (unsigned long long)ranges[i][0], (unsigned long long)ranges[i][1] - 1);
    CopyText(shown, sizeof(shown), name);
    for (char *p = shown; *p; p++)
        *p = *p == '/' ? '\\' : *p;
    if (isDirectory && options.mode == MODE_INSTALL && options.keepDamaged)
        Warn("the directory %s of the image lies on a bad area of the mapfile (bytes %s)",
            shown[0] ? shown : "(the root)", text);
    else if (isDirectory)
        Damaged("the directory %s of the image lies on a bad area of the mapfile (bytes %s): the names it "
                "holds cannot be trusted", shown[0] ? shown : "(the root)", text);
    else if (options.mode == MODE_TEST)
        Damaged("%s lies on bad areas of the mapfile: bytes %s", shown, text);
}

/* The mapfile set against the image's directory records: test names every
 * file of the image on a bad area now, before anything is read. */
static int ReadDamageMap(void)
{
    char reason[REASON_SIZE];
    if (!CdSourceIsImage()) {
        Say("--mapfile goes with the image ddrescue wrote, and %s is a directory", options.cdPath);
        return SetStatus(EXIT_USAGE);
    }
    if (!LoadDamageMap(options.mapfile, reason, sizeof(reason))) {
        Say("cannot use the mapfile: %s", reason);
        return SetStatus(EXIT_USAGE);
    }
    if (options.mode != MODE_LIST)
        ForEachDamaged(NameDamaged, NULL);
    /* install: the two files it is made from, the others as it plans them */
    if (options.mode == MODE_INSTALL) {
        int settingsClear = ClearOfBadAreas("DATA1\\QVX.INF", "it", 0, settingsLength);
        int listClear = ClearOfBadAreas("DATA1\\FILELIST.WD", "it", 0, listLength);
        if (!settingsClear || !listClear)
            return 0;
    }
    return exitStatus == EXIT_DONE || options.mode != MODE_INSTALL;
}

static int SetInstallPath(const char *path)
{
    char text[COPY_PATH_SIZE];
    if (!CopyText(text, sizeof(text), path))
        return 0;
    size_t length = strlen(text);
    while (length > 3 && text[length - 1] == '\\')
        text[--length] = '\0';
    int letter = (text[0] | 0x20) >= 'a' && (text[0] | 0x20) <= 'z';
    if (!letter || text[1] != ':' || text[2] != '\\' || (text[3] && !IsSafeRelativePath(text + 3)))
        return 0;
    /* Room for G10\ and an 8.3 name, as Outfitter's location page asks. */
    if (length + strlen("\\G10\\12345678.123") >= COPY_PATH_SIZE)
        return 0;
    if (length == 3)
        text[2] = '\0';   /* the root: C:, and C:\ before the game's names */
    CopyText(options.installPath, sizeof(options.installPath), text);
    return 1;
}

static unsigned long MachineMemoryKb(void)
{
    long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    unsigned long long kb = pages > 0 && pageSize > 0 ? (unsigned long long)pages * (unsigned long long)pageSize / 1024 : 0;
    return kb > 2097151 ? 2097151 : (unsigned long)kb;
}

static int Usage(const char *problem)
{
    if (problem)
        Say("%s", problem);
    fputs("Try 'ttinstall --help'.\n", stderr);
    return EXIT_USAGE;
}

/* "--name value" or "--name=value". */
static int OptionValue(const char *name, int argc, char **argv, int *i, const char **value)
{
    size_t length = strlen(name);
    if (strncmp(argv[*i], name, length) != 0)
        return 0;
    if (argv[*i][length] == '=') {
        *value = argv[*i] + length + 1;
        return 1;
    }
    if (argv[*i][length] != '\0')
        return 0;
    *value = *i + 1 < argc ? argv[++*i] : NULL;
    return 1;
}

static int ParseArguments(int argc, char **argv)
{
    const char *words[4];
    int wordCount = 0;
    options.cdDrive = 'D';
    SetInstallPath("C:\\ZEPH");
    for (int i = 1; i < argc; i++) {
        const char *value;
        if (!strcmp(argv[i], "-h") || !strcmp(argv[i], "--help")) {
            fputs(usageText, stdout);
            exit(EXIT_DONE);
        } else if (!strcmp(argv[i], "-V") || !strcmp(argv[i], "--version")) {
            fputs("ttinstall " TTINSTALL_VERSION "\n", stdout);
            exit(EXIT_DONE);
        } else if (!strcmp(argv[i], "-q") || !strcmp(argv[i], "--quiet")) {
            options.quiet = 1;
        } else if (OptionValue("--language", argc, argv, &i, &value)) {
            options.language = value;
            options.languageIndex = value ? LanguageNamed(value) : 0;
            if (!options.languageIndex)
                return Usage("--language needs English, French, German, Italian, Spanish, Greek, Japanese or 1-7");
        } else if (OptionValue("--cd-drive", argc, argv, &i, &value)) {
            int letter = value && (value[0] | 0x20) >= 'a' && (value[0] | 0x20) <= 'z';
            if (!letter || (value[1] && (value[1] != ':' || value[2])))
                return Usage("--cd-drive needs a drive letter, such as D:");
            options.cdDrive = (char)(value[0] & ~0x20);
        } else if (OptionValue("--install-path", argc, argv, &i, &value)) {
            if (!value || !SetInstallPath(value))
                return Usage("--install-path needs a Windows path such as C:\\ZEPH, short enough for the game");
            options.installPathGiven = 1;
        } else if (OptionValue("--dosbox", argc, argv, &i, &value)) {
            if (!value || !*value)
                return Usage("--dosbox needs the file to write the DOSBox configuration to");
            options.dosboxFile = value;
        } else if (OptionValue("--memory", argc, argv, &i, &value)) {
            /* Digits only (strtoul takes "-1"), at most what 32 bits hold. */
            unsigned long long kb = 0;
            size_t digits = value ? strspn(value, "0123456789") : 0;
            for (size_t d = 0; d < digits && kb <= 4294967295ULL; d++)
                kb = kb * 10 + (unsigned long long)(value[d] - '0');
            if (!digits || value[digits] || !kb || kb > 4294967295ULL)
                return Usage("--memory needs the memory in KB, such as 16384");
            options.memoryKb = (unsigned long)kb;
            options.memoryGiven = 1;
        } else if (OptionValue("--mapfile", argc, argv, &i, &value)) {
            if (!value || !*value)
                return Usage("--mapfile needs the mapfile ddrescue wrote with the CD image");
            options.mapfile = value;
        } else if (!strcmp(argv[i], "--keep-damaged")) {
            options.keepDamaged = 1;
        } else if (argv[i][0] == '-' && argv[i][1]) {
            Say("unknown option %s", argv[i]);
            return Usage(NULL);
        } else if (wordCount < 4) {
            words[wordCount++] = argv[i];
        } else {
            return Usage("too many arguments");
        }
    }
    if (wordCount == 0)
        return Usage("a command is needed: list, test or install");
    int wanted;
    if (!strcmp(words[0], "list"))
        options.mode = MODE_LIST, wanted = 2;
    else if (!strcmp(words[0], "test"))
        options.mode = MODE_TEST, wanted = 2;
    else if (!strcmp(words[0], "install"))
        options.mode = MODE_INSTALL, wanted = 3;
    else {
        Say("unknown command %s", words[0]);
        return Usage(NULL);
    }
    if (wordCount != wanted)
        return Usage(wanted == 2 ? "list and test take the CD" : "install takes the CD and the directory");
    if (options.dosboxFile && options.mode != MODE_INSTALL)
        return Usage("--dosbox goes with install");
    options.cdPath = words[1];
    options.gamePath = wanted == 3 ? words[2] : NULL;
    if (!options.cdPath[0] || (options.gamePath && !options.gamePath[0]))
        return Usage(options.cdPath[0] ? "the directory may not be empty" : "the CD may not be empty");
    if (!options.memoryGiven)
        options.memoryKb = MachineMemoryKb();
    return EXIT_DONE;
}

/* ---- The DOSBox configuration ---------------------------------------------- */

static DosboxConf dosbox;

/* With --dosbox, before anything is written: the install path from DIR's
 * name when none was given, the configuration's drives, EXTENDED from its
 * memory. 0 after the message when DIR cannot be the game's directory in
 * DOSBox. */
static int PlanDosbox(void)
{
    char reason[DOSBOX_PATH_SIZE + 400], derived[COPY_PATH_SIZE];
    if (!options.installPathGiven && InstallPathFromDirectory(options.gamePath, derived, sizeof(derived)))
        SetInstallPath(derived);
    if (!PlanDosboxConf(&dosbox, options.dosboxFile, options.gamePath, options.installPath, options.cdDrive,
                        options.cdPath, options.memoryGiven ? options.memoryKb : 0, reason, sizeof(reason))) {
        Say("%s", reason);
        return 0;
    }
    if (!options.memoryGiven)
        options.memoryKb = DosboxExtendedKb(dosbox.memoryMb);
    if (dosbox.note[0])
        Note("note: %s", dosbox.note);
    return 1;
}

/* Interrupted, the installation leaves no partial file behind; the files
 * already in place are whole. */
static void Interrupted(int signalNumber)
{
    RemovePartialGameFile();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

int main(int argc, char **argv)
{
    const char *term = getenv("TERM");
    stderrTerminal = isatty(2) && term && term[0] && strcmp(term, "dumb") != 0;
    stderrColour = stderrTerminal && !getenv("NO_COLOR");
    int status = ParseArguments(argc, argv);
    if (status != EXIT_DONE)
        return status;
    char reason[REASON_SIZE];
    CdReadImagesByRecords(options.mapfile != NULL);
    if (!OpenCdSource(options.cdPath, reason, sizeof(reason))) {
        Say("cannot read the CD %s: %s", options.cdPath, reason);
        return EXIT_NO_CD;
    }
    /* ddrescue's positions are bytes of what it read; in a BIN those are
     * raw sectors, not the ISO 9660 bytes the directory records give. */
    if (options.mapfile && CdSourceIsTrackImage()) {
        Say("--mapfile goes with an ISO image ddrescue wrote, and %s is a BIN/CUE image", options.cdPath);
        CloseCdSource();
        return EXIT_USAGE;
    }
    if (!ReadCdSettings()) {
        CloseCdSource();
        return exitStatus;
    }
    ChooseLanguage();
    if ((options.mapfile && !ReadDamageMap()) ||
        (options.dosboxFile && !PlanDosbox() && !SetStatus(EXIT_USAGE))) {
        CloseCdSource();
        return exitStatus;
    }
    if (options.mode == MODE_LIST)
        printf("language: %s\n", LanguageName(options.languageIndex, reason, sizeof(reason)));
    transferInput = (unsigned char *)malloc(TRANSFER_SIZE);
    transferOutput = (unsigned char *)malloc(TRANSFER_SIZE);
    if (!transferInput || !transferOutput) {
        Say("out of memory");
        return EXIT_WRITE;
    }
    options.showProgress = options.mode != MODE_LIST && !options.quiet && stderrTerminal;
    if (options.mode == MODE_INSTALL) {
        signal(SIGINT, Interrupted);
        signal(SIGTERM, Interrupted);
        signal(SIGHUP, Interrupted);
    }
    clock_gettime(CLOCK_MONOTONIC, &startTime);

    int done = PlanInstallation();
    if (options.mode == MODE_INSTALL)
        done = done && PrepareGameDirectory();
    if (done || options.mode != MODE_INSTALL)
        done = CopyListedFiles() && done;
    if (done)
        done = WriteSettingsFile();
    if (done && options.dosboxFile && !WriteDosboxConf(&dosbox, reason, sizeof(reason))) {
        ClearProgress();
        Say("%s", reason);
        done = SetStatus(EXIT_WRITE);
    }
    ClearProgress();
    if (options.mode == MODE_INSTALL && done && !SyncGameDirectory(reason, sizeof(reason))) {
        Say("cannot write in %s: %s", options.gamePath, reason);
        done = SetStatus(EXIT_WRITE);
    }
    if (options.mode == MODE_INSTALL)
        CloseGameDirectory();
    CloseCdSource();

    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (options.mode == MODE_LIST && done)
        printf("%12llu  %lu files\n", (unsigned long long)bytesWritten, filesWritten);
    if (options.mode == MODE_TEST) {
        if (damagedCount)
            printf("%d damaged\n", damagedCount);
        else if (done)
            printf("no damage found in %lu files\n", filesWritten);
    }
    if (options.mode == MODE_INSTALL && done && isatty(1) && !options.quiet)
        printf("installed %lu files, %.1f MB, into %s in %.1f s\n", filesWritten,
               (double)bytesWritten / 1048576.0, options.gamePath, Seconds(&startTime, &now));
    if (options.mode == MODE_INSTALL && done && options.dosboxFile && isatty(1) && !options.quiet)
        printf("start it with: dosbox -conf %s\n", options.dosboxFile);
    if (done && keptDamaged) {
        Warn("%d files from bad areas of the mapfile were installed as the image holds them", keptDamaged);
        done = SetStatus(EXIT_DAMAGED);
    }
    FreeDamageMap();
    free(transferInput);
    free(transferOutput);
    free(settingsText);
    free(listText);
    return done ? EXIT_DONE : (exitStatus != EXIT_DONE ? exitStatus : EXIT_DAMAGED);
}
