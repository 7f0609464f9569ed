/* The copy pass's rules without Win32: list lines, the minimal filter, entry
 * destinations, and the transfer of a file's body. */
#include "setup/engine/copyrules.h"
#include "setup/engine/container.h"
#include "setup/engine/lzss.h"
#include "settings/linesyntax.h"
#include "common/textformat.h"
#include <string.h>

int ReadListLine(const char *text, long remaining, const char *languageDirectory,
                 char *source, char *destination)
{
    char line[LINE_CAPACITY];
    int used = ReadTextLine(text, remaining, line, sizeof(line), 1);
    source[0] = '\0';
    destination[0] = '\0';
    UpperCaseText(line);
    char *comma = strchr(line, ',');
    if (!comma)
        return used;
    /* Matched on the whole line: cut at the comma, a short source such as
     * LANG would pass for a prefix of LANGUAGE. */
    int fromLanguage = MatchKeyword(line, "LANGUAGE");
    size_t sourceLength = (size_t)(comma - line);
    *comma = '\0';
    if (fromLanguage) {
        CopyText(source, COPY_PATH_SIZE, languageDirectory);
        AppendText(source, COPY_PATH_SIZE, line + (sourceLength < 9 ? sourceLength : 9));
    } else {
        CopyText(source, COPY_PATH_SIZE, line);
    }
    CopyText(destination, COPY_PATH_SIZE, comma + 1);
    return used;
}

int IsLeftOnCd(const char *source)
{
    static const char *const leftOnCd[] = { "SECTOR2.CFL", "SECTOR3.CFL", "SECTOR4.CFL", "SECTOR5.CFL" };
    for (const char *name : leftOnCd)
        if (strstr(source, name))
            return 1;
    return 0;
}

int IsContainerSource(const char *source)
{
    size_t length = strlen(source);
    return length > 4 && strcmp(source + length - 3, "CFL") == 0;
}

int EntryDestination(char *destination, const char *name)
{
    const char *backslash = strchr(destination, '\\');
    destination[backslash ? backslash - destination + 1 : 0] = '\0';
    return AppendText(destination, COPY_PATH_SIZE, name);
}

static int TransferRawBlocks(const TransferPorts *ports, uint32_t remaining, unsigned char *buffer)
{
    while (remaining > 0) {
        uint32_t count = remaining < TRANSFER_SIZE ? remaining : TRANSFER_SIZE;
        remaining -= count;
        if (!ports->read(ports->source, buffer, count) || !ports->write(ports->target, buffer, count))
            return TRANSFER_FAILED;
        ports->step(ports->context, count);
    }
    return TRANSFER_DONE;
}

static int TransferChunks(const TransferPorts *ports, uint32_t remaining, unsigned char *input,
                          unsigned char *output, uint32_t *chunk, char *reason, size_t reasonSize)
{
    for (*chunk = 0; remaining > 0; ++*chunk) {
        uint32_t expanded, payload;
        int32_t stored;
        /* A header that the entry has no room for is refused unread. */
        if (remaining >= CFL_HEADER_SIZE && !ports->read(ports->source, input, CFL_HEADER_SIZE))
            return TRANSFER_FAILED;
        if (!ParseChunkHeader(input, remaining, &expanded, &stored, &payload, reason, reasonSize))
            return TRANSFER_DAMAGED;
        /* A raw payload is its own expansion and is read straight into the
         * output buffer, which packed chunks fill anyway: the input buffer's
         * pages are then only ever touched as far as the largest packed
         * payload, and each first touch of a page costs time. */
        if (payload && !ports->read(ports->source, stored > 0 ? input : output, payload))
            return TRANSFER_FAILED;
        remaining -= payload + CFL_HEADER_SIZE;
        if (stored > 0) {
            size_t produced = 0;
            int status = LzssDecode(input, payload, output, TRANSFER_SIZE, &produced);
            if (!CheckDecodedChunk(status, produced, expanded, reason, reasonSize))
                return TRANSFER_DAMAGED;
        }
        if (expanded && !ports->write(ports->target, output, expanded))
            return TRANSFER_FAILED;
        ports->step(ports->context, payload + CFL_HEADER_SIZE);
    }
    return TRANSFER_DONE;
}

int TransferFileBody(const TransferPorts *ports, uint32_t chunkFlag, uint32_t remaining,
                     unsigned char *input, unsigned char *output, uint32_t *chunk,
                     char *reason, size_t reasonSize)
{
    *chunk = 0;
    if (chunkFlag == 0)
        return TransferRawBlocks(ports, remaining, output);
    return TransferChunks(ports, remaining, input, output, chunk, reason, reasonSize);
}
