/* A file's extents set against the sorted, merged sector ranges of the
 * mapfile: each overlap is a lost range of the file. */
#include "tools/ttinstall/damagemap.h"
#include "tools/ttinstall/cdsource.h"
#include "tools/cddrive/sectormap.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

enum { MAX_RANGES = 64 };

struct DamagedFile {
    char name[ISO_PATH_SIZE];   /* trimmed of ";1" and trailing dots, '/'-separated */
    int isDirectory;
    int rangeCount;
    uint64_t ranges[MAX_RANGES][2];
};

static SectorMap badSectors;
static DamagedFile *damaged;
static size_t damagedCount, damagedCapacity;

/* A component of a record's name as the CD's names are compared. */
static void TrimName(const char *path, char *out, size_t size)
{
    size_t used = 0;
    for (const char *p = path; *p && used + 1 < size;) {
        size_t n = strcspn(p, "/");
        size_t kept = n;
        const char *semicolon = (const char *)memchr(p, ';', n);
        if (semicolon)
            kept = (size_t)(semicolon - p);
        while (kept && p[kept - 1] == '.')
            kept--;
        if (used && used + 1 < size)
            out[used++] = '/';
        for (size_t i = 0; i < kept && used + 1 < size; i++)
            out[used++] = p[i];
        p += n;
        if (*p)
            p++;
    }
    out[used] = '\0';
}

static int AddLost(DamagedFile *file, uint64_t from, uint64_t to)
{
    if (file->rangeCount && file->ranges[file->rangeCount - 1][1] == from) {
        file->ranges[file->rangeCount - 1][1] = to;
        return 1;
    }
    if (file->rangeCount == MAX_RANGES) {
        file->ranges[MAX_RANGES - 1][1] = to;   /* the last one takes in the rest */
        return 1;
    }
    file->ranges[file->rangeCount][0] = from;
    file->ranges[file->rangeCount][1] = to;
    file->rangeCount++;
    return 1;
}

static int VisitRecord(void *context, const char *path, int isDirectory, uint64_t size,
                       const IsoExtent *extents, int extentCount)
{
    (void)context, (void)size;
    DamagedFile file;
    memset(&file, 0, sizeof(file));
    uint64_t start = 0;
    for (int e = 0; e < extentCount; e++) {
        uint64_t begin = extents[e].offset, end = begin + extents[e].size;
        for (int r = 0; r < badSectors.count; r++) {
            uint64_t first = badSectors.range[r].first * CD_SECTOR;
            uint64_t last = badSectors.range[r].last >= UINT64_MAX / CD_SECTOR ? UINT64_MAX
                                                                               : (badSectors.range[r].last + 1) * CD_SECTOR;
            uint64_t from = first > begin ? first : begin, to = last < end ? last : end;
            if (from < to)
                AddLost(&file, start + from - begin, start + to - begin);
        }
        start += extents[e].size;
    }
    if (!file.rangeCount)
        return 1;
    if (damagedCount == damagedCapacity) {
        size_t capacity = damagedCapacity ? damagedCapacity * 2 : 16;
        DamagedFile *grown = (DamagedFile *)realloc(damaged, capacity * sizeof(DamagedFile));
        if (!grown)
            return 0;
        damaged = grown;
        damagedCapacity = capacity;
    }
    TrimName(path, file.name, sizeof(file.name));
    file.isDirectory = isDirectory;
    damaged[damagedCount++] = file;
    return 1;
}

int LoadDamageMap(const char *mapfilePath, char *reason, size_t reasonSize)
{
    FreeDamageMap();
    SectorMapClear(&badSectors);
    if (!SectorMapReadMapfile(&badSectors, mapfilePath, reason, reasonSize))
        return 0;
    uint64_t imageBytes, volumeBytes;
    char why[200];
    if (!CdWalkImage(VisitRecord, NULL, &imageBytes, &volumeBytes, why, sizeof(why))) {
        snprintf(reason, reasonSize, "%s", why);
        return 0;
    }
    return 1;
}

void FreeDamageMap(void)
{
    free(damaged);
    damaged = NULL;
    damagedCount = damagedCapacity = 0;
}

int DamageMapTouches(const char *name, uint64_t start, uint64_t size, uint64_t *from, uint64_t *to)
{
    char wanted[ISO_PATH_SIZE];
    size_t i = 0;
    for (; name[i] && i + 1 < sizeof(wanted); i++)
        wanted[i] = name[i] == '\\' ? '/' : name[i];
    wanted[i] = '\0';
    for (size_t f = 0; f < damagedCount; f++) {
        if (damaged[f].isDirectory || strcasecmp(damaged[f].name, wanted) != 0)
            continue;
        for (int r = 0; r < damaged[f].rangeCount; r++)
            if (damaged[f].ranges[r][0] < start + size && damaged[f].ranges[r][1] > start) {
                *from = damaged[f].ranges[r][0];
                *to = damaged[f].ranges[r][1];
                return 1;
            }
    }
    return 0;
}

void ForEachDamaged(DamagedVisit visit, void *context)
{
    for (size_t f = 0; f < damagedCount; f++)
        visit(context, damaged[f].name, damaged[f].isDirectory, damaged[f].ranges, damaged[f].rangeCount);
}
