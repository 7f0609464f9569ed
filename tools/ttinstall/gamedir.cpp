/* Writing into the game directory with openat from one directory to the
 * next, so that neither a name from the CD nor a link planted in the
 * directory leads outside it. */
#include "tools/ttinstall/gamedir.h"
#include "common/textformat.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

enum { NAME_SIZE = 1024, MAX_DEPTH = 130, HOST_NAME_MAX_BYTES = 255, MAX_SYNCED = 32 };

/* The name a file is written under beside its final one: short and fixed,
 * so that a final name of up to 255 bytes still fits, and so that a signal
 * handler needs nothing but the directory to remove it. */
static const char partName[] = ".ttpart";

static int gameDirectory = -1;
static int fileDirectory = -1;     /* the directory of the file being written */
static int fileDescriptor = -1;
static char fileName[NAME_SIZE];   /* its final name there */
/* fileDirectory while partName in it is the partial file: set and cleared
 * with the signals blocked, read by the signal handler. */
static volatile sig_atomic_t partDirectory = -1;
/* The directories files were renamed into, synced once at the end. */
static int synced[MAX_SYNCED];
static int syncedCount;

/* The signals ttinstall ends on, held while partDirectory and the partial
 * file change together. */
static void HoldSignals(sigset_t *previous)
{
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    sigaddset(&held, SIGQUIT);
    sigprocmask(SIG_BLOCK, &held, previous);
}

static void ReleaseSignals(const sigset_t *previous)
{
    sigprocmask(SIG_SETMASK, previous, NULL);
}

static int Fail(char *reason, size_t reasonSize, const char *what, int error)
{
    const char *cause = error == ENOSPC ? "the disk is full"
                        : error == EDQUOT ? "the disk quota is used up"
                        : error == EROFS ? "the file system is read-only"
                        : error == ENAMETOOLONG ? "the name is too long for this file system"
                                                : strerror(error);
    if (what && what[0])
        FormatText(reason, reasonSize, "%s: %s", what, cause);
    else
        FormatText(reason, reasonSize, "%s", cause);
    return 0;
}

/* Windows-1252 in UTF-8: bytes 128-159 from the table, the rest as Latin-1.
 * Unassigned bytes keep their own code point, as Windows' tables do. */
static const unsigned short windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178
};

size_t Windows1252ToUtf8(unsigned char byte, char to[3])
{
    unsigned int c = byte;
    if (c >= 0x80 && c < 0xA0)
        c = windows1252High[c - 0x80];
    if (c < 0x80) {
        to[0] = (char)c;
        return 1;
    }
    if (c < 0x800) {
        to[0] = (char)(0xC0 | (c >> 6));
        to[1] = (char)(0x80 | (c & 0x3F));
        return 2;
    }
    to[0] = (char)(0xE0 | (c >> 12));
    to[1] = (char)(0x80 | ((c >> 6) & 0x3F));
    to[2] = (char)(0x80 | (c & 0x3F));
    return 3;
}

/* One component of a Windows name as the file system gets it: trailing dots
 * and blanks dropped as Windows drops them, then UTF-8. */
static int HostComponent(const char *from, size_t length, char *to, size_t size)
{
    while (length && (from[length - 1] == '.' || from[length - 1] == ' '))
        length--;
    size_t out = 0;
    for (size_t i = 0; i < length; i++) {
        char bytes[3];
        size_t count = Windows1252ToUtf8((unsigned char)from[i], bytes);
        if (out + count >= size)
            return 0;
        memcpy(to + out, bytes, count);
        out += count;
    }
    to[out] = '\0';
    return out > 0;
}

/* The name under which directory holds wanted in any case (ASCII letters
 * folded, as for the names the CD has): the exact name first. 0 when none;
 * -1 with the reason when two names there differ only in case, since
 * Windows and DOS take both for the one name and which of them would be
 * replaced would depend on the order of the directory. */
static int FindExistingName(int directory, const char *wanted, char *found, size_t size,
                            char *reason, size_t reasonSize)
{
    int copy = dup(directory);
    DIR *listing = copy >= 0 ? fdopendir(copy) : NULL;
    if (!listing) {
        if (copy >= 0)
            close(copy);
        struct stat status;
        return fstatat(directory, wanted, &status, AT_SYMLINK_NOFOLLOW) == 0 && CopyText(found, size, wanted);
    }
    rewinddir(listing);   /* the copy shares its offset with every earlier scan */
    int matches = 0;
    char first[NAME_SIZE] = "";
    for (struct dirent *entry; (entry = readdir(listing)) != NULL;) {
        if (strcasecmp(entry->d_name, wanted) != 0)
            continue;
        if (++matches == 2) {
            FormatText(reason, reasonSize, "both \"%s\" and \"%s\" are there, one name to Windows and DOS; "
                       "remove or rename one", first, entry->d_name);
            break;
        }
        CopyText(first, sizeof(first), entry->d_name);
    }
    closedir(listing);
    if (matches > 1)
        return -1;
    return matches && CopyText(found, size, first);
}

/* The components of a name in Windows form, "." and ".." resolved in the
 * text (no link is ever followed, so the text is the path). */
static int SplitName(const char *name, char components[][NAME_SIZE], int *count,
                     char *reason, size_t reasonSize)
{
    *count = 0;
    for (const char *p = name; *p;) {
        while (*p == '\\' || *p == '/')
            p++;
        const char *start = p;
        while (*p && *p != '\\' && *p != '/')
            p++;
        size_t length = (size_t)(p - start);
        if (!length || (length == 1 && start[0] == '.'))
            continue;
        if (length == 2 && start[0] == '.' && start[1] == '.') {
            if (*count == 0) {
                FormatText(reason, reasonSize, "%s: leads outside the game directory", name);
                return 0;
            }
            --*count;
            continue;
        }
        if (*count >= MAX_DEPTH || !HostComponent(start, length, components[*count], NAME_SIZE)) {
            FormatText(reason, reasonSize, "%s: not a name a file can have here", name);
            return 0;
        }
        ++*count;
    }
    if (*count == 0) {
        FormatText(reason, reasonSize, "%s: names no file", name);
        return 0;
    }
    return 1;
}

/* Opens (making it when missing) the directory component of parent; refuses
 * a link and anything that is not a directory. */
static int EnterDirectory(int parent, const char *component, const char *name,
                          char *reason, size_t reasonSize)
{
    char existing[NAME_SIZE], why[2 * NAME_SIZE];
    int known = FindExistingName(parent, component, existing, sizeof(existing), why, sizeof(why));
    if (known < 0) {
        FormatText(reason, reasonSize, "%s: %s", name, why);
        return -1;
    }
    if (!known) {
        if (mkdirat(parent, component, 0777) != 0 && errno != EEXIST)
            return Fail(reason, reasonSize, name, errno), -1;
        CopyText(existing, sizeof(existing), component);
    }
    int directory = openat(parent, existing, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory >= 0)
        return directory;
    int error = errno;
    struct stat status;
    if (fstatat(parent, existing, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode))
        FormatText(reason, reasonSize, "%s: %s is a symbolic link, which is not followed", name, existing);
    else if (error == ENOTDIR || error == ELOOP)
        FormatText(reason, reasonSize, "%s: %s is not a directory", name, existing);
    else
        Fail(reason, reasonSize, name, error);
    return -1;
}

/* The directory that holds the last component of name, open, with that
 * component in leaf. -1 with the reason. */
static int OpenParentOf(const char *name, char *leaf, size_t leafSize, int makeLast,
                        char *reason, size_t reasonSize)
{
    static char components[MAX_DEPTH][NAME_SIZE];
    int count;
    if (!SplitName(name, components, &count, reason, reasonSize))
        return -1;
    int directory = dup(gameDirectory);
    if (directory < 0)
        return Fail(reason, reasonSize, name, errno), -1;
    int last = makeLast ? count : count - 1;
    for (int i = 0; i < last; i++) {
        int next = EnterDirectory(directory, components[i], name, reason, reasonSize);
        close(directory);
        if (next < 0)
            return -1;
        directory = next;
    }
    CopyText(leaf, leafSize, makeLast ? "." : components[count - 1]);
    return directory;
}

int OpenGameDirectory(const char *path, char *reason, size_t reasonSize)
{
    char made[4096];
    if (!CopyText(made, sizeof(made), path))
        return Fail(reason, reasonSize, path, ENAMETOOLONG);
    /* Its parents first, each one as far as the path goes. */
    for (char *p = made + 1; *p; p++) {
        if (*p != '/')
            continue;
        *p = '\0';
        if (mkdir(made, 0777) != 0 && errno != EEXIST)
            return Fail(reason, reasonSize, made, errno);
        *p = '/';
    }
    if (mkdir(made, 0777) != 0 && errno != EEXIST)
        return Fail(reason, reasonSize, path, errno);
    gameDirectory = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (gameDirectory < 0)
        return Fail(reason, reasonSize, path, errno);
    return 1;
}

void CloseGameDirectory(void)
{
    AbandonGameFile();
    for (int i = 0; i < syncedCount; i++)
        close(synced[i]);
    syncedCount = 0;
    if (gameDirectory >= 0)
        close(gameDirectory);
    gameDirectory = -1;
}

int MakeGameSubdirectory(const char *name, char *reason, size_t reasonSize)
{
    char leaf[NAME_SIZE];
    int directory = OpenParentOf(name, leaf, sizeof(leaf), 1, reason, reasonSize);
    if (directory < 0)
        return 0;
    close(directory);
    return 1;
}

int BeginGameFile(const char *name, char *reason, size_t reasonSize)
{
    AbandonGameFile();
    char leaf[NAME_SIZE], why[2 * NAME_SIZE];
    fileDirectory = OpenParentOf(name, leaf, sizeof(leaf), 0, reason, reasonSize);
    if (fileDirectory < 0)
        return 0;
    int known = FindExistingName(fileDirectory, leaf, fileName, sizeof(fileName), why, sizeof(why));
    if (known < 0) {
        FormatText(reason, reasonSize, "%s: %s", name, why);
        AbandonGameFile();
        return 0;
    }
    if (!known)
        CopyText(fileName, sizeof(fileName), leaf);
    struct stat status;
    if (fstatat(fileDirectory, fileName, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)) {
        FormatText(reason, reasonSize, "%s: a directory of that name is in the way", name);
        AbandonGameFile();
        return 0;
    }
    if (strlen(fileName) > HOST_NAME_MAX_BYTES) {
        Fail(reason, reasonSize, name, ENAMETOOLONG);
        AbandonGameFile();
        return 0;
    }
    unlinkat(fileDirectory, partName, 0);   /* left by a run that was killed */
    sigset_t previous;
    HoldSignals(&previous);
    fileDescriptor = openat(fileDirectory, partName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    int error = errno;
    if (fileDescriptor >= 0)
        partDirectory = fileDirectory;
    ReleaseSignals(&previous);
    if (fileDescriptor < 0) {
        Fail(reason, reasonSize, name, error);
        AbandonGameFile();
        return 0;
    }
    return 1;
}

int WriteGameFile(const unsigned char *bytes, size_t count, char *reason, size_t reasonSize)
{
    while (count > 0) {
        ssize_t written = write(fileDescriptor, bytes, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Fail(reason, reasonSize, fileName, written < 0 ? errno : ENOSPC);
        bytes += written;
        count -= (size_t)written;
    }
    return 1;
}

/* Keeps the directory of a renamed file for the sync at the end; a
 * directory kept already, or one past the room kept, is synced now or not
 * again. */
static int KeepForSync(int directory)
{
    struct stat status, other;
    if (fstat(directory, &status) != 0)
        return 0;
    for (int i = 0; i < syncedCount; i++)
        if (fstat(synced[i], &other) == 0 && other.st_dev == status.st_dev && other.st_ino == status.st_ino)
            return 1;
    if (syncedCount == MAX_SYNCED)
        return fsync(directory) == 0;
    int copy = dup(directory);
    if (copy < 0)
        return fsync(directory) == 0;
    synced[syncedCount++] = copy;
    return 1;
}

int FinishGameFile(char *reason, size_t reasonSize)
{
    /* On disk before its name says it is whole: after a power loss a renamed
     * file could otherwise be empty under its final name. */
    if (fsync(fileDescriptor) != 0) {
        Fail(reason, reasonSize, fileName, errno);
        AbandonGameFile();
        return 0;
    }
    int closed = close(fileDescriptor);
    fileDescriptor = -1;
    sigset_t previous;
    HoldSignals(&previous);
    int renamed = closed == 0 && renameat(fileDirectory, partName, fileDirectory, fileName) == 0;
    int error = errno;
    if (renamed)
        partDirectory = -1;
    ReleaseSignals(&previous);
    if (!renamed || !KeepForSync(fileDirectory)) {
        Fail(reason, reasonSize, fileName, renamed ? errno : error);
        AbandonGameFile();
        return 0;
    }
    close(fileDirectory);
    fileDirectory = -1;
    return 1;
}

int SyncGameDirectory(char *reason, size_t reasonSize)
{
    int result = 1;
    for (int i = 0; i < syncedCount; i++) {
        if (result && fsync(synced[i]) != 0)
            result = Fail(reason, reasonSize, "", errno);
        close(synced[i]);
    }
    syncedCount = 0;
    if (result && gameDirectory >= 0 && fsync(gameDirectory) != 0)
        result = Fail(reason, reasonSize, "", errno);
    return result;
}

void AbandonGameFile(void)
{
    if (fileDescriptor >= 0)
        close(fileDescriptor);
    fileDescriptor = -1;
    if (fileDirectory >= 0) {
        sigset_t previous;
        HoldSignals(&previous);
        if (partDirectory >= 0)
            unlinkat(fileDirectory, partName, 0);
        partDirectory = -1;
        ReleaseSignals(&previous);
        close(fileDirectory);
    }
    fileDirectory = -1;
}

void RemovePartialGameFile(void)
{
    int directory = partDirectory;
    if (directory >= 0)
        unlinkat(directory, partName, 0);
}

int CheckGameName(const char *name, char *key, size_t keySize, char *reason, size_t reasonSize)
{
    static char components[MAX_DEPTH][NAME_SIZE];
    const char *refused = strpbrk(name, "*?\"<>|");
    if (refused) {
        FormatText(reason, reasonSize, "Windows refuses the character %c in a file name", *refused);
        return 0;
    }
    int count;
    char why[NAME_SIZE + 64];
    if (!SplitName(name, components, &count, why, sizeof(why))) {
        FormatText(reason, reasonSize, "not a name a file can have");
        return 0;
    }
    size_t used = 0;
    for (int i = 0; i < count; i++) {
        size_t length = strlen(components[i]);
        if (length > HOST_NAME_MAX_BYTES) {
            FormatText(reason, reasonSize, "a name of %lu bytes in UTF-8, over the %d a file system here allows",
                       (unsigned long)length, HOST_NAME_MAX_BYTES);
            return 0;
        }
        if (used + length + 2 > keySize) {
            FormatText(reason, reasonSize, "the name is too long");
            return 0;
        }
        if (used)
            key[used++] = '/';
        for (size_t j = 0; j < length; j++) {
            char c = components[i][j];
            key[used++] = c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
        }
    }
    key[used] = '\0';
    return 1;
}
