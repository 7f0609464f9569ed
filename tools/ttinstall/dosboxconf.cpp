/* The DOSBox configuration of an installation. What DOSBox 0.74 (Debian's
 * 0.74-3) does with the lines written here, as tried:
 *  - MOUNT and IMGMOUNT take a path in double quotes whole, blanks, tabs and
 *    any other byte included (UTF-8 names reach the host as they are); a
 *    double quote cannot be written inside one;
 *  - [autoexec] runs as a batch file: % starts a variable, %% is one %;
 *  - a mounted path over 238 bytes overflows a buffer and DOSBox aborts;
 *  - a MODE1/2352 .bin mounts as -t iso without its cue sheet, data only. */
#include "tools/ttinstall/dosboxconf.h"
#include "setup/engine/container.h"
#include "common/textformat.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

enum { MOUNT_PATH_MAX = 238, MAX_COMPONENTS = 128, LINE_SIZE = DOSBOX_PATH_SIZE + 64 };

static const char headerLine[] = "# DOSBox configuration for Tinfoil Tango, written by ttinstall";

static int Reason(char *reason, size_t reasonSize, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(reason, reasonSize, format, args);
    va_end(args);
    return 0;
}

int DosShortName(const char *name, char *dosName, size_t size)
{
    static const char punctuation[] = "!#$%&'()-@^_`{}~";
    size_t base = 0, extension = 0;
    int dot = 0;
    for (const char *p = name; *p; p++) {
        unsigned char c = (unsigned char)*p;
        if (c == '.' && !dot) {
            dot = 1;
            continue;
        }
        if (c >= 0x80 || !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           (c && strchr(punctuation, c))))
            return 0;
        if (dot)
            extension++;
        else
            base++;
    }
    if (base == 0 || base > 8 || extension > 3 || (dot && extension == 0))
        return 0;
    if (!IsSafeRelativePath(name) || !CopyText(dosName, size, name))
        return 0;
    for (char *p = dosName; *p; p++)
        if (*p >= 'a' && *p <= 'z')
            *p = (char)(*p - 'a' + 'A');
    return 1;
}

/* The components of a POSIX path, "." and empty ones left out, in place. */
static int SplitHostPath(char *path, char **components, int most)
{
    int count = 0;
    for (char *p = strtok(path, "/"); p; p = strtok(NULL, "/")) {
        if (!strcmp(p, "."))
            continue;
        if (count == most)
            return -1;
        components[count++] = p;
    }
    return count;
}

int InstallPathFromDirectory(const char *gamePath, char *installPath, size_t size)
{
    char copy[DOSBOX_PATH_SIZE], name[16];
    char *components[MAX_COMPONENTS];
    if (!CopyText(copy, sizeof(copy), gamePath))
        return 0;
    int count = SplitHostPath(copy, components, MAX_COMPONENTS);
    if (count <= 0 || !DosShortName(components[count - 1], name, sizeof(name)))
        return 0;
    return FormatText(installPath, size, "C:\\%s", name) > 0;
}

/* path made absolute without needing it to exist: the part that exists with
 * its links resolved, the rest as written, "." and ".." taken as they read. */
static int AbsolutePath(const char *path, char *absolute, size_t size)
{
    char whole[DOSBOX_PATH_SIZE], resolved[PATH_MAX];
    if (path[0] == '/') {
        if (!CopyText(whole, sizeof(whole), path))
            return 0;
    } else {
        if (!getcwd(whole, sizeof(whole)) || !AppendText(whole, sizeof(whole), "/") ||
            !AppendText(whole, sizeof(whole), path))
            return 0;
    }
    /* The longest leading part that exists. */
    size_t cut = strlen(whole);
    for (;;) {
        char saved = whole[cut];
        whole[cut] = '\0';
        int found = realpath(cut ? whole : "/", resolved) != NULL;
        whole[cut] = saved;
        if (found)
            break;
        while (cut > 0 && whole[cut - 1] != '/')
            cut--;
        while (cut > 0 && whole[cut - 1] == '/')
            cut--;
    }
    if (!CopyText(absolute, size, resolved))
        return 0;
    char *components[MAX_COMPONENTS];
    int count = SplitHostPath(whole + cut, components, MAX_COMPONENTS);
    if (count < 0)
        return 0;
    for (int i = 0; i < count; i++) {
        if (!strcmp(components[i], "..")) {
            char *slash = strrchr(absolute, '/');
            if (slash)
                *(slash == absolute ? slash + 1 : slash) = '\0';
            continue;
        }
        if ((strcmp(absolute, "/") && !AppendText(absolute, size, "/")) ||
            !AppendText(absolute, size, components[i]))
            return 0;
    }
    return 1;
}

/* Whether DOSBox 0.74 can take path in a MOUNT or IMGMOUNT line. */
static int CheckMountPath(const char *what, const char *path, char *reason, size_t reasonSize)
{
    for (const char *p = path; *p; p++) {
        if (*p == '"')
            return Reason(reason, reasonSize, "%s %s has a double quote in its path, which DOSBox cannot read", what,
                          path);
        if ((unsigned char)*p < 32 && *p != '\t')
            return Reason(reason, reasonSize, "%s has a control character in its path, which DOSBox cannot read",
                          what);
    }
    if (strlen(path) > MOUNT_PATH_MAX)
        return Reason(reason, reasonSize, "%s %s has a path of %zu bytes; DOSBox 0.74 mounts at most %d", what, path,
                      strlen(path), (int)MOUNT_PATH_MAX);
    return 1;
}

/* Whether a cue sheet has a FILE line for the image named name. */
static int CueNamesImage(const char *cuePath, const char *name)
{
    FILE *cue = fopen(cuePath, "rb");
    if (!cue)
        return 0;
    char line[1024];
    int found = 0;
    while (!found && fgets(line, sizeof(line), cue)) {
        char *p = line;
        while (*p == ' ' || *p == '\t')
            p++;
        if (strncasecmp(p, "FILE", 4) != 0 || (p[4] != ' ' && p[4] != '\t'))
            continue;
        p += 5;
        while (*p == ' ' || *p == '\t')
            p++;
        char *end;
        if (*p == '"') {
            end = strchr(++p, '"');
        } else {
            end = p + strcspn(p, " \t\r\n");
        }
        if (!end)
            continue;
        *end = '\0';
        const char *base = strrchr(p, '/');
        const char *backslash = strrchr(p, '\\');
        if (backslash && (!base || backslash > base))
            base = backslash;
        found = strcasecmp(base ? base + 1 : p, name) == 0;
    }
    fclose(cue);
    return found;
}

static int HasExtension(const char *path, const char *extension)
{
    size_t length = strlen(path), wanted = strlen(extension);
    return length > wanted && strcasecmp(path + length - wanted, extension) == 0;
}

/* The CD as DOSBox mounts it: a directory as it is, a cue sheet as it is,
 * another image through the cue sheet beside it that names it (so that the
 * CD's music plays), else the image itself. */
static int ChooseCdMount(DosboxConf *conf, const char *cdPath, char *reason, size_t reasonSize)
{
    char resolved[PATH_MAX];
    struct stat info;
    if (!realpath(cdPath, resolved) || stat(resolved, &info) != 0)
        return Reason(reason, reasonSize, "cannot find the CD %s: %s", cdPath, strerror(errno));
    conf->cdIsDirectory = S_ISDIR(info.st_mode);
    if (!CopyText(conf->cd, sizeof(conf->cd), resolved))
        return Reason(reason, reasonSize, "the CD's path is too long: %s", resolved);
    if (conf->cdIsDirectory) {
        FormatText(conf->note, sizeof(conf->note),
                   "DOSBox shows the directory %s as a CD without the CD's music; its image with the cue sheet "
                   "has it", resolved);
        return 1;
    }
    if (HasExtension(resolved, ".cue"))
        return 1;
    char *slash = strrchr(resolved, '/');
    const char *imageName = slash + 1;
    size_t stem = strlen(imageName);
    const char *dot = strrchr(imageName, '.');
    if (dot)
        stem = (size_t)(dot - imageName);
    *slash = '\0';
    DIR *directory = opendir(resolved[0] ? resolved : "/");
    int found = 0;
    for (struct dirent *entry; directory && !found && (entry = readdir(directory));) {
        if (strlen(entry->d_name) != stem + 4 || strncmp(entry->d_name, imageName, stem) != 0 ||
            !HasExtension(entry->d_name, ".cue"))
            continue;
        char cue[DOSBOX_PATH_SIZE];
        FormatText(cue, sizeof(cue), "%s/%s", resolved, entry->d_name);
        if (CueNamesImage(cue, imageName))
            found = CopyText(conf->cd, sizeof(conf->cd), cue);
    }
    if (directory)
        closedir(directory);
    if (!found)
        FormatText(conf->note, sizeof(conf->note),
                   "no cue sheet beside %s names it: DOSBox mounts its data track alone, without the CD's music",
                   conf->cd);
    return 1;
}

/* Whether file may be written: missing, or a configuration written here
 * before. Anything else is the user's and stays. */
static int MayReplace(const char *file, char *reason, size_t reasonSize)
{
    struct stat info;
    if (lstat(file, &info) != 0)
        return errno == ENOENT ? 1 : Reason(reason, reasonSize, "cannot use %s: %s", file, strerror(errno));
    char first[sizeof(headerLine)] = "";
    int descriptor = S_ISREG(info.st_mode) ? open(file, O_RDONLY | O_NOFOLLOW) : -1;
    if (descriptor >= 0) {
        ssize_t got = read(descriptor, first, sizeof(first) - 1);
        first[got > 0 ? got : 0] = '\0';
        close(descriptor);
    }
    if (strcmp(first, headerLine) == 0)
        return 1;
    return Reason(reason, reasonSize,
                  "%s is there already and is not a DOSBox configuration that ttinstall wrote; it stays as it is "
                  "(remove it or name another file)",
                  file);
}

int PlanDosboxConf(DosboxConf *conf, const char *file, const char *gamePath, const char *installPath,
                   char cdDrive, const char *cdPath, unsigned long memoryKb, char *reason, size_t reasonSize)
{
    memset(conf, 0, sizeof(*conf));
    conf->file = file;
    conf->gameDrive = (char)(installPath[0] & ~0x20);
    conf->cdDrive = (char)(cdDrive & ~0x20);
    if (conf->gameDrive == conf->cdDrive)
        return Reason(reason, reasonSize, "the game's drive %c: and the CD drive %c: cannot be the same in DOSBox",
                      conf->gameDrive, conf->cdDrive);
    if (conf->gameDrive == 'Z' || conf->cdDrive == 'Z')
        return Reason(reason, reasonSize, "Z: is DOSBox's own drive; give the game and the CD other letters");

    /* The game directory's components as DOS names them. */
    char dosPath[DOSBOX_PATH_SIZE], wanted[DOSBOX_PATH_SIZE] = "";
    char *dosComponents[MAX_COMPONENTS];
    int dosCount = 0;
    CopyText(dosPath, sizeof(dosPath), installPath[2] ? installPath + 3 : "");
    for (char *p = strtok(dosPath, "\\/"); p; p = strtok(NULL, "\\/")) {
        char name[16];
        if (dosCount == MAX_COMPONENTS || !DosShortName(p, name, sizeof(name)))
            return Reason(reason, reasonSize,
                          "%s is not a path DOS can have: \"%s\" is not a DOS name (8 characters at most, with an "
                          "extension of 3)",
                          installPath, p);
        CopyText(p, strlen(p) + 1, name);
        dosComponents[dosCount++] = p;
        AppendText(wanted, sizeof(wanted), "/");
        AppendText(wanted, sizeof(wanted), name);
    }
    CopyText(conf->gameDirectory, sizeof(conf->gameDirectory), "\\");
    for (int i = 0; i < dosCount; i++)
        if ((i && !AppendText(conf->gameDirectory, sizeof(conf->gameDirectory), "\\")) ||
            !AppendText(conf->gameDirectory, sizeof(conf->gameDirectory), dosComponents[i]))
            return Reason(reason, reasonSize, "the game directory is too long: %s", installPath);

    /* DIR must end in those components; what is above them is the drive. */
    char hostPath[DOSBOX_PATH_SIZE], root[DOSBOX_PATH_SIZE] = "";
    char *hostComponents[MAX_COMPONENTS];
    if (!CopyText(hostPath, sizeof(hostPath), gamePath))
        return Reason(reason, reasonSize, "the directory's path is too long: %s", gamePath);
    int hostCount = SplitHostPath(hostPath, hostComponents, MAX_COMPONENTS);
    if (hostCount < 0)
        return Reason(reason, reasonSize, "the directory's path is too long: %s", gamePath);
    int fits = hostCount >= dosCount;
    for (int i = 0; fits && i < dosCount; i++)
        fits = strcasecmp(hostComponents[hostCount - dosCount + i], dosComponents[i]) == 0;
    if (!fits)
        return Reason(reason, reasonSize,
                      "%s cannot be the game's %s in DOSBox: DOSBox mounts the directory above it as %c:, so its "
                      "path must end in %s; install into a directory named so, or give --install-path",
                      gamePath, installPath, conf->gameDrive, wanted[0] ? wanted : "/");
    if (gamePath[0] == '/')
        CopyText(root, sizeof(root), "/");
    for (int i = 0; i < hostCount - dosCount; i++) {
        if (i)
            AppendText(root, sizeof(root), "/");
        AppendText(root, sizeof(root), hostComponents[i]);
    }
    if (!root[0])
        CopyText(root, sizeof(root), ".");
    if (!AbsolutePath(root, conf->driveRoot, sizeof(conf->driveRoot)))
        return Reason(reason, reasonSize, "the directory's path is too long: %s", gamePath);
    if (!CheckMountPath("the game's drive", conf->driveRoot, reason, reasonSize))
        return 0;

    if (!ChooseCdMount(conf, cdPath, reason, reasonSize) || !CheckMountPath("the CD", conf->cd, reason, reasonSize))
        return 0;

    unsigned long megabytes = DOSBOX_DEFAULT_MB;
    if (memoryKb)
        megabytes = memoryKb / 1024 + (memoryKb % 1024 != 0) + 1;
    conf->memoryMb = (unsigned)(megabytes > DOSBOX_MAX_MB ? DOSBOX_MAX_MB : megabytes);
    return MayReplace(file, reason, reasonSize);
}

unsigned long DosboxExtendedKb(unsigned memoryMb)
{
    return (unsigned long)memoryMb * 1024 - 1024;
}

/* One line of [autoexec]: a batch line, so every % doubled. */
static int AutoexecLine(char *text, size_t size, const char *format, const char *path)
{
    char escaped[2 * DOSBOX_PATH_SIZE];
    size_t out = 0;
    for (const char *p = path; *p && out + 2 < sizeof(escaped); p++) {
        if (*p == '%')
            escaped[out++] = '%';
        escaped[out++] = *p;
    }
    escaped[out] = '\0';
    char line[LINE_SIZE * 2];
    snprintf(line, sizeof(line), format, escaped);
    return AppendText(text, size, line) && AppendText(text, size, "\n");
}

static int MakeParents(const char *file)
{
    char path[DOSBOX_PATH_SIZE];
    if (!CopyText(path, sizeof(path), file))
        return 0;
    for (char *p = path + 1; *p; p++) {
        if (*p != '/')
            continue;
        *p = '\0';
        if (mkdir(path, 0777) != 0 && errno != EEXIST)
            return 0;
        *p = '/';
    }
    return 1;
}

int WriteDosboxConf(const DosboxConf *conf, char *reason, size_t reasonSize)
{
    static char text[4 * LINE_SIZE + 1024];
    char line[LINE_SIZE];
    FormatText(text, sizeof(text),
               "%s\n"
               "# (ttinstall install --dosbox writes it again). dosbox -conf with this\n"
               "# file starts the game: %c: is the directory above the game's, %c: the CD.\n"
               "\n"
               "[dosbox]\n"
               "memsize=%u\n"
               "\n"
               "[dos]\n"
               "# No EMS: it would take its pages out of the extended memory\n"
               "# that QVX.INF tells the game of.\n"
               "ems=false\n"
               "\n"
               "[autoexec]\n",
               headerLine, conf->gameDrive, conf->cdDrive, conf->memoryMb);
    FormatText(line, sizeof(line), "mount %c \"%%s\"", conf->gameDrive | 0x20);
    int fits = AutoexecLine(text, sizeof(text), line, conf->driveRoot);
    if (conf->cdIsDirectory)
        FormatText(line, sizeof(line), "mount %c \"%%s\" -t cdrom -label TINFOIL", conf->cdDrive | 0x20);
    else
        FormatText(line, sizeof(line), "imgmount %c \"%%s\" -t iso", conf->cdDrive | 0x20);
    fits = fits && AutoexecLine(text, sizeof(text), line, conf->cd);
    FormatText(line, sizeof(line), "%c:", conf->gameDrive | 0x20);
    fits = fits && AutoexecLine(text, sizeof(text), "%s", line);
    fits = fits && AutoexecLine(text, sizeof(text), "cd %s", conf->gameDirectory);
    fits = fits && AppendText(text, sizeof(text), "call ZEPH.BAT\nexit\n");
    if (!fits)
        return Reason(reason, reasonSize, "the configuration is too long");

    /* Asked again: the installation itself may have written a file there. */
    if (!MayReplace(conf->file, reason, reasonSize))
        return 0;
    char part[DOSBOX_PATH_SIZE + 16];
    const char *slash = strrchr(conf->file, '/');
    if (slash)
        snprintf(part, sizeof(part), "%.*s.%s.ttpart", (int)(slash + 1 - conf->file), conf->file, slash + 1);
    else
        snprintf(part, sizeof(part), ".%s.ttpart", conf->file);
    if (!MakeParents(conf->file))
        return Reason(reason, reasonSize, "cannot make the directory of %s: %s", conf->file, strerror(errno));
    int descriptor = open(part, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0666);
    if (descriptor < 0)
        return Reason(reason, reasonSize, "cannot write %s: %s", conf->file, strerror(errno));
    size_t length = strlen(text);
    ssize_t written = write(descriptor, text, length);
    int error = written == (ssize_t)length ? 0 : written < 0 ? errno : ENOSPC;
    if (!error && fsync(descriptor) != 0)
        error = errno;
    if (close(descriptor) != 0 && !error)
        error = errno;
    if (!error && rename(part, conf->file) != 0)
        error = errno;
    if (error) {
        unlink(part);
        return Reason(reason, reasonSize, "cannot write %s: %s", conf->file,
                      error == ENOSPC ? "the disk is full" : strerror(error));
    }
    return 1;
}
