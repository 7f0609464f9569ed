/* Writing into the game directory with openat from one directory to the
 * next, so that neither a name from the CD nor a link planted in the
 * directory leads outside it. */
#include "tools/ttinstall/gamedir.h"
#include "common/textformat.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

enum { NAME_SIZE = 1024, MAX_DEPTH = 130 };

static int gameDirectory = -1;
static int fileDirectory = -1;     /* the directory of the file being written */
static int fileDescriptor = -1;
static char fileName[NAME_SIZE];   /* its final name there */
static char partName[NAME_SIZE];   /* and the name it is written under */

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

/* One component of a Windows name as the file system gets it: trailing dots
 * and blanks dropped as Windows drops them, then UTF-8. */
static int HostComponent(const char *from, size_t length, char *to, size_t size)
{
    while (length && (from[length - 1] == '.' || from[length - 1] == ' '))
        length--;
    size_t out = 0;
    for (size_t i = 0; i < length; i++) {
        unsigned int c = (unsigned char)from[i];
        if (c >= 0x80 && c < 0xA0)
            c = windows1252High[c - 0x80];
        unsigned char bytes[3];
        size_t count;
        if (c < 0x80) {
            bytes[0] = (unsigned char)c;
            count = 1;
        } else if (c < 0x800) {
            bytes[0] = (unsigned char)(0xC0 | (c >> 6));
            bytes[1] = (unsigned char)(0x80 | (c & 0x3F));
            count = 2;
        } else {
            bytes[0] = (unsigned char)(0xE0 | (c >> 12));
            bytes[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = (unsigned char)(0x80 | (c & 0x3F));
            count = 3;
        }
        if (out + count >= size)
            return 0;
        memcpy(to + out, bytes, count);
        out += count;
    }
    to[out] = '\0';
    return out > 0;
}

/* The name under which directory holds wanted in any case (ASCII letters
 * folded, as for the names the CD has): the exact name first. 0 when none. */
static int FindExistingName(int directory, const char *wanted, char *found, size_t size)
{
    struct stat status;
    if (fstatat(directory, wanted, &status, AT_SYMLINK_NOFOLLOW) == 0)
        return CopyText(found, size, wanted);
    int copy = dup(directory);
    DIR *listing = copy >= 0 ? fdopendir(copy) : NULL;
    if (!listing) {
        if (copy >= 0)
            close(copy);
        return 0;
    }
    rewinddir(listing);   /* the copy shares its offset with every earlier scan */
    int result = 0;
    for (struct dirent *entry; !result && (entry = readdir(listing)) != NULL;)
        if (strcasecmp(entry->d_name, wanted) == 0)
            result = CopyText(found, size, entry->d_name);
    closedir(listing);
    return result;
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
    char existing[NAME_SIZE];
    if (!FindExistingName(parent, component, existing, sizeof(existing))) {
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
    char leaf[NAME_SIZE];
    fileDirectory = OpenParentOf(name, leaf, sizeof(leaf), 0, reason, reasonSize);
    if (fileDirectory < 0)
        return 0;
    if (!FindExistingName(fileDirectory, leaf, fileName, sizeof(fileName)))
        CopyText(fileName, sizeof(fileName), leaf);
    struct stat status;
    if (fstatat(fileDirectory, fileName, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)) {
        FormatText(reason, reasonSize, "%s: a directory of that name is in the way", name);
        AbandonGameFile();
        return 0;
    }
    FormatText(partName, sizeof(partName), ".%s.ttpart", fileName);
    if (strlen(partName) + 1 >= sizeof(partName) || strlen(fileName) > 250) {
        Fail(reason, reasonSize, name, ENAMETOOLONG);
        AbandonGameFile();
        return 0;
    }
    unlinkat(fileDirectory, partName, 0);   /* left by a run that was killed */
    fileDescriptor = openat(fileDirectory, partName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fileDescriptor < 0) {
        Fail(reason, reasonSize, name, errno);
        partName[0] = '\0';
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

int FinishGameFile(char *reason, size_t reasonSize)
{
    int closed = close(fileDescriptor);
    fileDescriptor = -1;
    if (closed != 0 || renameat(fileDirectory, partName, fileDirectory, fileName) != 0) {
        Fail(reason, reasonSize, fileName, errno);
        AbandonGameFile();
        return 0;
    }
    partName[0] = '\0';
    close(fileDirectory);
    fileDirectory = -1;
    return 1;
}

void AbandonGameFile(void)
{
    if (fileDescriptor >= 0)
        close(fileDescriptor);
    fileDescriptor = -1;
    if (fileDirectory >= 0) {
        if (partName[0])
            unlinkat(fileDirectory, partName, 0);
        close(fileDirectory);
    }
    fileDirectory = -1;
    partName[0] = '\0';
}

void RemovePartialGameFile(void)
{
    if (fileDirectory >= 0 && partName[0])
        unlinkat(fileDirectory, partName, 0);
}
