/* GzipHeader.c: the header of a gzip member, read as a small state machine so that any
   field may arrive split over any number of pieces. */
#include "GzipHeader.h"

#include <string.h>

enum {
    FIXED_LENGTH = 10,
    MAGIC_1 = 0x1F,
    MAGIC_2 = 0x8B,
    METHOD_DEFLATE = 8,
    FLAG_HEADER_CRC = 0x02,
    FLAG_EXTRA = 0x04,
    FLAG_NAME = 0x08,
    FLAG_COMMENT = 0x10
};

static int IsPresent(const GzipHeaderReader* reader, GzipHeaderPart part) {
    switch (part) {
    case GZIP_HEADER_EXTRA_LENGTH:
        return (reader->flags & FLAG_EXTRA) != 0;
    case GZIP_HEADER_EXTRA:
        return (reader->flags & FLAG_EXTRA) != 0 && reader->extraLength > 0;
    case GZIP_HEADER_NAME:
        return (reader->flags & FLAG_NAME) != 0;
    case GZIP_HEADER_COMMENT:
        return (reader->flags & FLAG_COMMENT) != 0;
    case GZIP_HEADER_CRC:
        return (reader->flags & FLAG_HEADER_CRC) != 0;
    default:
        return 1;
    }
}

/* The fields follow one another in this order when their flags are set. */
static void EnterNextPart(GzipHeaderReader* reader) {
    do {
        reader->part = (GzipHeaderPart)(reader->part + 1);
    } while (reader->part != GZIP_HEADER_DONE && !IsPresent(reader, reader->part));
    reader->partSeen = 0;
}

static void Advance(const uint8_t** next, size_t* left, size_t count) {
    *next += count;
    *left -= count;
}

/* Checks the one byte of the fixed part at offset partSeen; 0 when it is wrong. */
static int AcceptFixedByte(GzipHeaderReader* reader, uint8_t byte) {
    switch (reader->partSeen) {
    case 0:
        return byte == MAGIC_1;
    case 1:
        return byte == MAGIC_2;
    case 2:
        return byte == METHOD_DEFLATE;
    case 3:
        reader->flags = byte;
        return 1;
    default:
        return 1;
    }
}

/* Skips up to the remaining bytes of a part of known length; 1 when the part is done. */
static int SkipCounted(GzipHeaderReader* reader, uint32_t length, const uint8_t** next,
                       size_t* left) {
    size_t wanted = length - reader->partSeen;
    size_t taken = *left < wanted ? *left : wanted;
    Advance(next, left, taken);
    reader->partSeen += (uint32_t)taken;
    return reader->partSeen == length;
}

/* Skips a zero-terminated field, its zero included; 1 when the field is done. */
static int SkipTerminated(const uint8_t** next, size_t* left) {
    const uint8_t* zero = memchr(*next, 0, *left);
    if (!zero) {
        Advance(next, left, *left);
        return 0;
    }
    Advance(next, left, (size_t)(zero - *next) + 1);
    return 1;
}

void StartGzipHeader(GzipHeaderReader* reader) {
    memset(reader, 0, sizeof *reader);
    reader->part = GZIP_HEADER_FIXED;
}

GzipHeaderResult ReadGzipHeader(GzipHeaderReader* reader, const uint8_t** next, size_t* left) {
    while (reader->part != GZIP_HEADER_DONE) {
        int partDone = 0;
        if (*left == 0)
            return GZIP_HEADER_NEEDS_MORE;
        switch (reader->part) {
        case GZIP_HEADER_FIXED:
            if (!AcceptFixedByte(reader, **next))
                return GZIP_HEADER_MALFORMED;
            Advance(next, left, 1);
            partDone = ++reader->partSeen == FIXED_LENGTH;
            break;
        case GZIP_HEADER_EXTRA_LENGTH:
            /* XLEN, two bytes, least significant first */
            reader->extraLength |= (uint32_t) * *next << (8 * reader->partSeen);
            Advance(next, left, 1);
            partDone = ++reader->partSeen == 2;
            break;
        case GZIP_HEADER_EXTRA:
            partDone = SkipCounted(reader, reader->extraLength, next, left);
            break;
        case GZIP_HEADER_NAME:
        case GZIP_HEADER_COMMENT:
            partDone = SkipTerminated(next, left);
            break;
        case GZIP_HEADER_CRC:
            /* CRC16 of the header; skipped unverified */
            partDone = SkipCounted(reader, 2, next, left);
            break;
        case GZIP_HEADER_DONE:
            break;
        }
        if (partDone)
            EnterNextPart(reader);
    }
    return GZIP_HEADER_COMPLETE;
}
