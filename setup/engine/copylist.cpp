/* The copy pass: the file list, the minimal-installation filter, the byte
 * total for the progress display, and the copying of plain files and
 * container entries from the CD into the game directory. */
#include "setup/engine/engine.h"
#include "setup/engine/container.h"
#include "setup/engine/copyrules.h"
#include "setup/engine/lzss.h"
#include "setup/shell/shell.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include <string.h>

LONG bytesTotal;
LONG bytesCopied;

/* One pair of transfer buffers serves the whole pass: fresh 1 MiB blocks for
 * every list line cost more in first page touches than the copying they do.
 * Made when the pass starts, freed when it ends, whatever the result. */
static BYTE *transferInput;    /* source bytes as read */
static BYTE *transferOutput;   /* a chunk's expanded bytes */

static int AllocateTransferBuffers(void)
{
    transferInput = (BYTE *)AllocateMemory(TRANSFER_SIZE, 1);
    transferOutput = transferInput ? (BYTE *)AllocateMemory(TRANSFER_SIZE, 1) : NULL;
    return transferOutput != NULL;
}

static void FreeTransferBuffers(void)
{
    transferInput = (BYTE *)FreeMemory(transferInput);
    transferOutput = (BYTE *)FreeMemory(transferOutput);
}

/* ---- Messages about the CD's data -------------------------------------- */

/* Files of the CD are shown under their own names: the copy marks a
 * container's data path with an underscore in place of the L of CFL. */
static void DisplayName(char *name, const char *path)
{
    CopyText(name, 260, path);
    size_t length = strlen(name);
    if (length && name[length - 1] == '_')
        name[length - 1] = 'L';
}

static void ReportDamagedData(const char *path, const char *destination, const char *reason)
{
    char message[800], name[260];
    NoteRunFailure(END_DAMAGED_CD);
    DisplayName(name, path);
    CopyText(message, sizeof(message), Text(TXT_FILE_PREFIX));
    AppendText(message, sizeof(message), name);
    AppendText(message, sizeof(message), Text(TXT_FILE_DAMAGED));
    if (destination) {
        AppendText(message, sizeof(message), Text(TXT_FILE_DAMAGED_WHILE));
        AppendText(message, sizeof(message), destination);
        AppendText(message, sizeof(message), ")");
    }
    AppendText(message, sizeof(message), ".\n\n");
    AppendText(message, sizeof(message), reason);
    SetupMessage(message, MB_OK | MB_ICONERROR);
}

/* A read of the CD that fails (a scratch, a sector that no longer reads)
 * leaves, after the runtime library's box, a line in the run's log naming
 * the file and the byte at which its reading stopped. */
static int ReadCd(HANDLE file, const char *path, void *buffer, DWORD count)
{
    DWORD start = SetFilePointer(file, 0, NULL, FILE_CURRENT);
    if (ReadFromFile(file, buffer, count))
        return 1;
    /* The pointer stands where the read that failed began. */
    DWORD failed = SetFilePointer(file, 0, NULL, FILE_CURRENT);
    char text[400], name[260];
    DisplayName(name, path);
    wsprintfA(text, "unreadable: %s at byte %lu (a read of %lu bytes)", name, failed,
              count - (failed - start));
    LogText(text, NULL);
    return 0;
}

static void ReportRefusedName(const char *path, const char *destination)
{
    char message[800], name[260];
    NoteRunFailure(END_DAMAGED_CD);
    DisplayName(name, path);
    CopyText(message, sizeof(message), Text(TXT_FILE_PREFIX));
    AppendText(message, sizeof(message), name);
    AppendText(message, sizeof(message), Text(TXT_FILE_BAD_DESTINATION));
    AppendText(message, sizeof(message), destination);
    SetupMessage(message, MB_OK | MB_ICONERROR);
}

/* ---- The file list ------------------------------------------------------ */

int ParseListLine(const char *text, long remaining, char *source, char *destination)
{
    return ReadListLine(text, remaining, LanguageDirectory(), source, destination);
}

int IsFileIncluded(const char *source)
{
    return !minimalInstall || !IsLeftOnCd(source);
}

/* The CD data directory followed by a list source. */
static int BuildSourcePath(char *path, const char *source)
{
    if (CopyText(path, 260, cdDataDirectory) && AppendText(path, 260, source))
        return 1;
    ReportRefusedName(activeListPath, source);
    return 0;
}

/* Every file the list or an index names holds something: an empty one is
 * damaged data. */
static const char emptyFileReason[] = "file is empty";

/* A whole file of the CD in a recorded memory block; NULL after a reported
 * failure (an empty file counts as one). */
static BYTE *LoadWholeFile(const char *path, DWORD *size)
{
    HANDLE file = OpenFileForRead(path);
    if (!file)
        return NULL;
    BYTE *block = NULL;
    *size = GetSizeOfFile(file);
    if (*size)
        block = (BYTE *)AllocateMemory((LONG)*size, 1);
    else if (ShowErrorBoxes)   /* quiet while the uninstallation reads the lists */
        ReportDamagedData(path, NULL, emptyFileReason);
    if (block && !ReadCd(file, path, block, *size))
        block = (BYTE *)FreeMemory(block);
    CloseFile(&file);
    return block;
}

/* The pass totals the sizes of the files it is about to copy, in the order
 * it copies them: the first of them stay open for the copy instead of being
 * opened twice, since each open and close costs round trips to the file
 * system. Every one left is closed when the pass ends. */
enum { KEPT_SOURCES = 64 };
static HANDLE keptSources[KEPT_SOURCES];
static char keptPaths[KEPT_SOURCES][260];
static int keptCount, keptTaken, keepingSources;

static HANDLE TakeKeptSource(const char *path)
{
    if (keptTaken >= keptCount || strcmp(keptPaths[keptTaken], path) != 0)
        return NULL;
    HANDLE file = keptSources[keptTaken];
    keptSources[keptTaken++] = NULL;
    return file;
}

static void CloseKeptSources(void)
{
    for (int i = 0; i < keptCount; i++)
        CloseFile(&keptSources[i]);
    keptCount = keptTaken = 0;
}

static DWORD SourceFileSize(const char *source)
{
    char path[260];
    if (!BuildSourcePath(path, source))
        return 0;
    HANDLE file = OpenFileForRead(path);
    if (!file)
        return 0;
    DWORD size = GetSizeOfFile(file);
    if (size && keepingSources && keptCount < KEPT_SOURCES) {
        keptSources[keptCount] = file;
        CopyText(keptPaths[keptCount++], 260, path);
    } else {
        CloseFile(&file);
    }
    if (!size)
        ReportDamagedData(path, NULL, emptyFileReason);
    return size;
}

/* The bytes the list's files hold, for the list text already read: a CD is
 * read once, the list too. */
LONG TotalListedSize(const char *list, DWORD size)
{
    char source[260], destination[260];
    LONGLONG total = 0;
    int named = 0;
    DWORD at = 0;
    while (at < size) {
        int used = ParseListLine(list + at, (long)(size - at), source, destination);
        if (used <= 0)
            break;
        at += (DWORD)used;
        if (!source[0] || !IsFileIncluded(source))
            continue;
        DWORD fileSize = SourceFileSize(source);
        if (!fileSize) {
            total = 0;
            named = 1;
            break;
        }
        total += fileSize;
        named = 1;
    }
    if (!named)
        ReportDamagedData(activeListPath, NULL, "the list names no file to copy");
    /* The progress display counts in signed 32 bits; no CD holds more. */
    return total > 0x7FFFFFFF ? 0 : (LONG)total;
}

int CopyListedFiles(void)
{
    ResetProgress();
    DWORD size;
    char *list = (char *)LoadWholeFile(activeListPath, &size);
    if (!list)
        return 0;
    keepingSources = 1;
    bytesTotal = TotalListedSize(list, size);
    keepingSources = 0;
    if (!bytesTotal) {
        CloseKeptSources();
        FreeMemory(list);
        return 0;
    }
    bytesCopied = 0;
    if (!AllocateTransferBuffers()) {
        FreeTransferBuffers();
        CloseKeptSources();
        FreeMemory(list);
        return 0;
    }
    OpenProgress();
    char source[260], destination[260];
    int result = 1;
    DWORD at = 0;
    while (at < size) {
        int used = ParseListLine(list + at, (long)(size - at), source, destination);
        if (used <= 0)
            break;
        at += (DWORD)used;
        if (source[0] && IsFileIncluded(source) && !CopyListedFile(source, destination)) {
            result = 0;
            break;
        }
    }
    CloseProgress();
    SetStatusText(" ");
    FreeTransferBuffers();
    CloseKeptSources();
    FreeMemory(list);
    return result;
}

/* ---- Copying ------------------------------------------------------------ */

static void ShowCopyStatus(const char *destination)
{
    CopyText(searchStatusText, sizeof(searchStatusText), Text(TXT_COPYING));
    AppendText(searchStatusText, sizeof(searchStatusText), destination);
    SetStatusText(searchStatusText);
}

static int CopyPlainFile(HANDLE file, const char *path, const char *destination)
{
    ShowCopyStatus(destination);
    DWORD size = GetSizeOfFile(file);
    if (!size) {
        ReportDamagedData(path, NULL, emptyFileReason);
        return 0;
    }
    return CopyFileData(transferInput, transferOutput, file, path, destination, size);
}

static int CopyContainer(HANDLE data, const char *path, char *destination)
{
    char indexPath[260], dataPath[260], reason[200], name[CFI_NAME_SIZE];
    size_t length = strlen(path);
    CopyText(indexPath, sizeof(indexPath), path);
    indexPath[length - 1] = 'I';
    CopyText(dataPath, sizeof(dataPath), path);
    dataPath[length - 1] = '_';

    DWORD indexSize;
    BYTE *index = LoadWholeFile(indexPath, &indexSize);
    if (!index)
        return 0;
    if (!CheckIndexSize(indexSize, reason, sizeof(reason))) {
        ReportDamagedData(indexPath, NULL, reason);
        FreeMemory(index);
        return 0;
    }
    int result = 1;
    for (size_t entry = 0; result && entry < indexSize / CFI_ENTRY_SIZE; entry++) {
        uint32_t entrySize;
        if (!ReadIndexEntry(index, indexSize, entry, name, &entrySize, reason, sizeof(reason))) {
            ReportDamagedData(indexPath, NULL, reason);
            result = 0;
            break;
        }
        if (!EntryDestination(destination, name)) {
            ReportRefusedName(path, destination);
            result = 0;
            break;
        }
        ShowCopyStatus(destination);
        result = CopyFileData(transferInput, transferOutput, data, dataPath, destination, entrySize);
    }
    FreeMemory(index);
    return result;
}

int CopyListedFile(const char *source, char *destination)
{
    char path[260];
    if (!BuildSourcePath(path, source))
        return 0;
    HANDLE file = TakeKeptSource(path);
    if (!file && !(file = OpenFileForRead(path)))
        return 0;
    int result = IsContainerSource(source) ? CopyContainer(file, path, destination)
                                     : CopyPlainFile(file, path, destination);
    CloseFile(&file);
    return result;
}

/* The copy's ports onto the files of the CD and the game directory. */
struct CdSource {
    HANDLE file;
    const char *path;
};

static int ReadPort(void *source, unsigned char *buffer, uint32_t count)
{
    CdSource *cd = (CdSource *)source;
    return ReadCd(cd->file, cd->path, buffer, count);
}

static int WritePort(void *target, const unsigned char *bytes, uint32_t count)
{
    return WriteToFile((HANDLE)target, bytes, count);
}

static void StepPort(void *, uint32_t used)
{
    bytesCopied += (LONG)used;
    ProgressStep();
}

/* The run's log names every file the copy wrote, with its size. */
static void LogWrittenFile(const char *target, HANDLE file)
{
    char text[300];
    CopyText(text, sizeof(text), "file written: ");
    AppendText(text, sizeof(text), target);
    AppendText(text, sizeof(text), ", ");
    LogNumber(text, (long)GetFileSize(file, NULL), " bytes");
}

int CopyFileData(BYTE *input, BYTE *output, HANDLE source, const char *sourcePath,
                 const char *destination, DWORD size)
{
    char reason[200], target[260];
    DWORD remaining = size;
    uint32_t chunkFlag = 0;
    size_t length = strlen(sourcePath);
    if (length && sourcePath[length - 1] == '_') {
        uint32_t body;
        if (!ReadCd(source, sourcePath, input, CFL_HEADER_SIZE))
            return 0;
        if (!ParseEntryHeader(input, size, &chunkFlag, &body, reason, sizeof(reason))) {
            ReportDamagedData(sourcePath, destination, reason);
            return 0;
        }
        remaining = body;
    }
    /* Names come from the CD: nothing may land outside the game directory. */
    if (!IsSafeRelativePath(destination) || !CopyText(target, sizeof(target), installDirectory) ||
        !AppendText(target, sizeof(target), destination)) {
        ReportRefusedName(sourcePath, destination);
        return 0;
    }
    HANDLE file = CreateFileForWrite(target);
    if (!file)
        return 0;
    CdSource cd = { source, sourcePath };
    TransferPorts ports = { ReadPort, &cd, WritePort, file, StepPort, NULL };
    uint32_t chunk;
    int result = TransferFileBody(&ports, chunkFlag, remaining, input, output, &chunk, reason, sizeof(reason));
    if (result == TRANSFER_DAMAGED) {
        ReportDamagedData(sourcePath, destination, reason);
        result = 0;
    }
    if (result)
        LogWrittenFile(target, file);
    CloseFile(&file);
    /* A copy that stops (the CD unreadable, the disk full) leaves no file
     * that looks complete and is not. */
    if (!result && DeleteFileA(target))
        LogText("file removed, incomplete: ", target);
    return result;
}

/* ---- What a list installs ------------------------------------------------ */

static int VisitContainerEntries(const char *path, char *destination, ListedFileVisit visit,
                                 void *context, char *failedPath)
{
    char reason[200], name[CFI_NAME_SIZE];
    CopyText(failedPath, 260, path);
    failedPath[strlen(failedPath) - 1] = 'I';
    DWORD indexSize;
    BYTE *index = LoadWholeFile(failedPath, &indexSize);
    if (!index)
        return 0;
    int result = CheckIndexSize(indexSize, reason, sizeof(reason));
    for (size_t entry = 0; result && entry < indexSize / CFI_ENTRY_SIZE; entry++) {
        uint32_t entrySize;
        result = ReadIndexEntry(index, indexSize, entry, name, &entrySize, reason, sizeof(reason));
        /* A destination too long for the copy stopped it there: neither that
         * entry nor any after it was ever written. */
        if (!result || !EntryDestination(destination, name))
            break;
        result = visit(context, destination);
    }
    FreeMemory(index);
    return result;
}

int ForEachListedFile(const char *listPath, ListedFileVisit visit, void *context, char *failedPath)
{
    int saved = ShowErrorBoxes;
    ShowErrorBoxes = 0;
    CopyText(failedPath, 260, listPath);
    DWORD size = 0;
    char *list = (char *)LoadWholeFile(listPath, &size);
    int result = list != NULL;
    char source[260], destination[260], path[260];
    DWORD at = 0;
    while (result && at < size) {
        int used = ParseListLine(list + at, (long)(size - at), source, destination);
        if (used <= 0)
            break;
        at += (DWORD)used;
        if (!source[0])
            continue;
        CopyText(failedPath, 260, listPath);
        if (!IsContainerSource(source))
            result = visit(context, destination);
        else
            result = CopyText(path, sizeof(path), cdDataDirectory) && AppendText(path, sizeof(path), source) &&
                     VisitContainerEntries(path, destination, visit, context, failedPath);
    }
    FreeMemory(list);
    ShowErrorBoxes = saved;
    if (result)
        failedPath[0] = '\0';
    return result;
}
