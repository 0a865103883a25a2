/* Crc32.h: the CRC-32 of gzip members (RFC 1952, section 8), as zlib's crc32 computes it,
   but faster where the processor can multiply without carries. */
#ifndef QUANDREL_GZIP_CRC32_H
#define QUANDREL_GZIP_CRC32_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The CRC-32 of the bytes so far, `crc` (0 before the first byte), extended by `length`
   more bytes. Equal to zlib's crc32(crc, data, length). */
uint32_t UpdateCrc32(uint32_t crc, const uint8_t* data, size_t length);

#ifdef __cplusplus
}
#endif

#endif
