/* The rules of the copy pass that need no Win32: how a file list line reads,
 * which files the minimal installation leaves on the CD, where a container
 * entry lands, and the decoding of a file's body from the CD into the game
 * directory, block by block or chunk by chunk. Outfitter's copy pass and the
 * native installer both run these; only the reading, the writing and the
 * progress differ, and those come in as ports. */
#ifndef COPYRULES_H
#define COPYRULES_H

#include <stddef.h>
#include <stdint.h>

enum {
    COPY_PATH_SIZE = 260,        /* every path and list field of the pass */
    TRANSFER_SIZE = 1048576      /* one block read, one chunk expanded */
};

/* One line of a file list: "SOURCE,DESTINATION", upper-cased, everything
 * after the first comma the destination (untrimmed). A source that starts
 * with LANGUAGE takes languageDirectory (such as "SPANISH") in place of that
 * word. Lines without a comma name no file: source comes back empty. Both
 * buffers hold COPY_PATH_SIZE bytes. Answers the bytes used (blank lines after
 * the line go with it), 0 at the end of the text. */
int ReadListLine(const char *text, long remaining, const char *languageDirectory,
                 char *source, char *destination);

/* Whether the minimal installation leaves the source on the CD (the game
 * reads SECTOR2 to SECTOR5 from there). */
int IsLeftOnCd(const char *source);

/* Whether a list source is a container: its name ends in CFL. */
int IsContainerSource(const char *source);

/* An entry's destination: the entry name replaces everything after the first
 * backslash of the destination, or the whole of it when it has none. The
 * result stays in the buffer (COPY_PATH_SIZE bytes) for the next entry, so
 * after an entry named G1\A.DAT the next one also lands in G1. 0 when it does
 * not fit. */
int EntryDestination(char *destination, const char *name);

/* Where the bytes come from and go. read fills exactly count bytes, write
 * takes them all; either answers 0 after reporting its own failure. step is
 * told after each block or chunk how many bytes of the source it used. */
struct TransferPorts {
    int (*read)(void *source, unsigned char *buffer, uint32_t count);
    void *source;
    int (*write)(void *target, const unsigned char *bytes, uint32_t count);
    void *target;
    void (*step)(void *context, uint32_t used);
    void *context;
};

enum { TRANSFER_DAMAGED = -1, TRANSFER_FAILED = 0, TRANSFER_DONE = 1 };

/* The body of one file: with chunkFlag 0 the remaining bytes as they are, in
 * blocks of TRANSFER_SIZE; otherwise chunks filling remaining exactly, each
 * header checked before its payload is read and each payload decoded and
 * checked before a byte of it is written. input and output hold
 * TRANSFER_SIZE bytes each. *chunk is the number (from 0) of the chunk being
 * read, so that a failure can name it. TRANSFER_DAMAGED leaves the reason in
 * reason; TRANSFER_FAILED means a port failed and reported it. */
int TransferFileBody(const TransferPorts *ports, uint32_t chunkFlag, uint32_t remaining,
                     unsigned char *input, unsigned char *output, uint32_t *chunk,
                     char *reason, size_t reasonSize);

#endif
