/* ISO 9660 directory records: both-endian numbers read from their
 * little-endian half, records that never cross a logical block (a zero
 * length byte pads to the next one), "." and ".." as the names 0 and 1. */
#include "tools/ttinstall/isodir.h"
#include "tools/ttinstall/reason.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
    MAX_DIRECTORIES = 8192,             /* a loop of records ends here */
    MAX_DEPTH = 64,
    MAX_DIRECTORY_BYTES = 4 * 1048576   /* one directory's records */
};

struct PendingDirectory {
    uint64_t offset, size;
    int depth;
    char path[ISO_PATH_SIZE];
};


static uint32_t Le32(const unsigned char *p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static int ReadAt(IsoRead read, void *context, unsigned char *buffer, size_t count, uint64_t offset, int *error)
{
    size_t done = 0;
    while (done < count) {
        errno = 0;
        long n = read(context, buffer + done, count - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = n < 0 ? (errno ? errno : EIO) : 0;
            return 0;
        }
        done += (size_t)n;
    }
    return 1;
}

/* Whether a record's Rock Ridge entries (the System Use area after its
 * name) make it something other than a file: a symbolic link (SL) or a
 * POSIX file mode (PX) of another type. The primary record of such a name
 * holds no data of its own. */
static int IsRockRidgeOther(const unsigned char *record, unsigned length)
{
    unsigned at = 33 + record[32] + (record[32] % 2 == 0);
    while (at + 4 <= length) {
        unsigned size = record[at + 2];
        if (size < 4 || at + size > length)
            break;
        if (record[at] == 'S' && record[at + 1] == 'L')
            return 1;
        if (record[at] == 'P' && record[at + 1] == 'X' && size >= 12 && (Le32(record + at + 4) & 0170000) != 0100000)
            return 1;
        at += size;
    }
    return 0;
}

int ReadIsoDirectory(IsoRead read, void *readContext, IsoFileVisit visit, void *context,
                     uint64_t *volumeBytes, char *reason, size_t reasonSize)
{
    unsigned char descriptor[ISO_SECTOR];
    int error = 0;
    uint64_t at = 16 * ISO_SECTOR;
    for (;; at += ISO_SECTOR) {
        if (!ReadAt(read, readContext, descriptor, sizeof(descriptor), at, &error) || memcmp(descriptor + 1, "CD001", 5) != 0 ||
            descriptor[0] == 255 || at > 64 * ISO_SECTOR)
            return Refuse(reason, reasonSize, "not an ISO 9660 image (no primary volume descriptor)");
        if (descriptor[0] == 1)
            break;
    }
    uint32_t block = (uint32_t)descriptor[128] | ((uint32_t)descriptor[129] << 8);
    if (block < 512 || block > ISO_SECTOR || (block & (block - 1)))
        return Refuse(reason, reasonSize, "damaged CD image: logical blocks of %lu bytes", (unsigned long)block);
    *volumeBytes = (uint64_t)Le32(descriptor + 80) * block;
    const unsigned char *root = descriptor + 156;

    PendingDirectory *pending = (PendingDirectory *)malloc(sizeof(PendingDirectory) * MAX_DIRECTORIES);
    unsigned char *records = (unsigned char *)malloc(MAX_DIRECTORY_BYTES);
    if (!pending || !records) {
        free(pending);
        free(records);
        return Refuse(reason, reasonSize, "out of memory");
    }
    int count = 1, taken = 1, result = 1;
    pending[0].offset = (uint64_t)Le32(root + 2) * block;
    pending[0].size = Le32(root + 10);
    pending[0].depth = 0;
    pending[0].path[0] = '\0';
    while (result && count > 0) {
        PendingDirectory directory = pending[--count];
        IsoExtent own = { directory.offset, directory.size };
        if (!visit(context, directory.path, 1, directory.size, &own, 1)) {
            result = 0;
            break;
        }
        if (directory.size > MAX_DIRECTORY_BYTES) {
            result = Refuse(reason, reasonSize, "damaged CD image: the directory at byte %llu holds %llu bytes",
                            (unsigned long long)directory.offset, (unsigned long long)directory.size);
            break;
        }
        if (!ReadAt(read, readContext, records, (size_t)directory.size, directory.offset, &error)) {
            result = Refuse(reason, reasonSize, "cannot read the directory at byte %llu: %s",
                            (unsigned long long)directory.offset,
                            error ? strerror(error) : "the CD image is cut short");
            break;
        }
        IsoExtent extents[ISO_MAX_EXTENTS];
        int extentCount = 0, overflow = 0;
        uint64_t fileSize = 0;
        for (size_t p = 0; p < directory.size;) {
            unsigned length = records[p];
            if (length == 0) {
                p = (p / block + 1) * block;   /* the rest of this block is padding */
                continue;
            }
            if (length < 34 || p + length > directory.size || records[p + 32] + 33u > length) {
                result = Refuse(reason, reasonSize, "damaged CD image: a bad record in the directory at byte %llu",
                                (unsigned long long)directory.offset);
                break;
            }
            const unsigned char *record = records + p;
            p += length;
            unsigned flags = record[25], nameLength = record[32];
            const char *name = (const char *)record + 33;
            if (nameLength == 1 && (name[0] == 0 || name[0] == 1))
                continue;
            char path[ISO_PATH_SIZE];
            int fits = (size_t)snprintf(path, sizeof(path), "%s%s%.*s", directory.path,
                                        directory.path[0] ? "/" : "", (int)nameLength, name) < sizeof(path);
            uint64_t offset = ((uint64_t)Le32(record + 2) + record[1]) * block;
            uint64_t size = Le32(record + 10);
            if (flags & 0x02) {
                if (!fits || directory.depth + 1 >= MAX_DEPTH)
                    continue;
                if (taken == MAX_DIRECTORIES) {
                    result = Refuse(reason, reasonSize, "damaged CD image: more than %d directories",
                                    MAX_DIRECTORIES);
                    break;
                }
                PendingDirectory *next = &pending[count++];
                taken++;
                next->offset = offset;
                next->size = size;
                next->depth = directory.depth + 1;
                memcpy(next->path, path, sizeof(path));
                continue;
            }
            if ((flags & 0x04) || IsRockRidgeOther(record, length))
                continue;   /* an associated file, a link */
            if (size) {
                if (extentCount < ISO_MAX_EXTENTS) {
                    extents[extentCount].offset = offset;
                    extents[extentCount].size = size;
                    extentCount++;
                } else {
                    overflow = 1;
                }
                fileSize += size;
            }
            if (flags & 0x80)
                continue;   /* more extents of the same file follow */
            if (fits && !overflow && !visit(context, path, 0, fileSize, extents, extentCount)) {
                result = 0;
                break;
            }
            extentCount = 0;
            overflow = 0;
            fileSize = 0;
        }
    }
    free(pending);
    free(records);
    return result;
}
