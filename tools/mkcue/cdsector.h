/* CD-ROM sectors as ECMA-130 lays them out: a Mode 1 sector of 2352 bytes
 * carries 12 bytes of sync, a 4-byte header (its address in minutes,
 * seconds and frames, BCD, and the mode), 2048 bytes of user data, the EDC
 * (a CRC-32 over sync, header and data), 8 zero bytes, then 172 bytes of P
 * parity and 104 bytes of Q parity (Reed-Solomon product code over the
 * header, data, EDC and zeros). Audio sectors are 2352 bytes of 16-bit
 * little-endian stereo samples at 44.1 kHz. No Win32. */
#ifndef TT_CDSECTOR_H
#define TT_CDSECTOR_H

#include <stddef.h>
#include <stdint.h>

#define CD_RAW_SECTOR 2352
#define CD_USER_DATA 2048
#define CD_USER_DATA_AT 16     /* in a raw Mode 1 sector */
#define CD_EDC_AT 2064
#define CD_FRAMES_PER_SECOND 75
#define CD_ADDRESS_OFFSET 150  /* the address of logical sector 0: 00:02:00 */

/* The EDC of count bytes (stored little-endian after the data). */
uint32_t CdEdc(const unsigned char *bytes, size_t count);

/* Writes the raw Mode 1 sector of logical sector lba carrying 2048 bytes of
 * data: sync, header, data, EDC, zeros, P and Q parity. */
void CdMakeMode1Sector(uint32_t lba, const unsigned char *data, unsigned char *sector);

/* 1 when a raw sector has the sync pattern and mode 1 in its header. */
int CdIsMode1Sector(const unsigned char *sector);

/* 1 when a raw Mode 1 sector's EDC matches its sync, header and data. */
int CdMode1EdcMatches(const unsigned char *sector);

#endif
