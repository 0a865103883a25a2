/* GzipHeader.h: reading past a gzip member header (RFC 1952, section 2.3) in pieces of any
   size. Only what decoding needs is checked; everything else is skipped. */
#ifndef QUANDREL_GZIP_HEADER_H
#define QUANDREL_GZIP_HEADER_H

#include <stddef.h>
#include <stdint.h>

typedef enum GzipHeaderPart {
    GZIP_HEADER_FIXED, /* ID1 ID2 CM FLG MTIME XFL OS: ten bytes */
    GZIP_HEADER_EXTRA_LENGTH,
    GZIP_HEADER_EXTRA,
    GZIP_HEADER_NAME,
    GZIP_HEADER_COMMENT,
    GZIP_HEADER_CRC,
    GZIP_HEADER_DONE
} GzipHeaderPart;

typedef enum GzipHeaderResult {
    GZIP_HEADER_NEEDS_MORE,
    GZIP_HEADER_COMPLETE,
    GZIP_HEADER_MALFORMED
} GzipHeaderResult;

typedef struct GzipHeaderReader {
    GzipHeaderPart part;
    uint32_t partSeen; /* bytes of the current part already read */
    uint32_t extraLength;
    uint8_t flags;
} GzipHeaderReader;

void StartGzipHeader(GzipHeaderReader* reader);

/* Takes header bytes from *next, at most *left of them, and moves both past what it took.
   It never takes a byte beyond the end of the header. MALFORMED means that the magic
   bytes are not 1F 8B or the method is not 8 (deflate). */
GzipHeaderResult ReadGzipHeader(GzipHeaderReader* reader, const uint8_t** next, size_t* left);

#endif
