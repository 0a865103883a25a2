/* Decompression.c: the calls of gzip.dll. zlib's raw inflate decodes the deflate data; the
   gzip header and trailer are read here, so that every status is exactly the one that
   Decompression.h promises (zlib's own gzip wrapper checks the header CRC and tells
   errors apart differently). */
#define ZLIB_CONST
#include "Decompression.h"

#include "Crc32.h"
#include "GzipHeader.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

enum {
    /* Raw deflate with the full 32 KiB window: no zlib or gzip wrapper (see inflateInit2). */
    RAW_DEFLATE_WINDOW_BITS = -15,
    /* CRC-32 and ISIZE, four bytes each, least significant first (RFC 1952, 2.3.1). */
    TRAILER_LENGTH = 8,
    /* Output is decoded ahead into a buffer of this size and handed out from there. Callers
       take 8 KiB at a time, and inflate is slow on areas that small: its fast loop stops
       258 bytes short of the end of every area, and each call copies its output into the
       history window. Decoding 64 KiB at a time keeps within a few percent of a one-shot
       inflate, for one extra copy that stays in the cache. */
    AHEAD_CAPACITY = 64 * 1024
};

typedef enum Stage {
    STAGE_HEADER,
    STAGE_DEFLATE,
    STAGE_TRAILER,
    STAGE_ENDED,
    STAGE_FAILING, /* the deflate data failed; what was decoded before the fault is ahead */
    STAGE_FAILED
} Stage;

struct DecompressionContext {
    z_stream inflater;
    int isGzip;
    Stage stage;
    GzipHeaderReader header;
    uint8_t trailer[TRAILER_LENGTH];
    uint32_t trailerSeen;
    uint32_t crc;
    uint32_t size;     /* modulo 2^32, as ISIZE holds it */
    uint8_t* ahead;    /* AHEAD_CAPACITY bytes */
    size_t aheadStart; /* the next byte to hand out */
    size_t aheadEnd;
};

/* One call's input or output: where the next byte is and how many remain. */
typedef struct Span {
    const uint8_t* next;
    size_t left;
} Span;

typedef struct OutputSpan {
    uint8_t* next;
    size_t left;
} OutputSpan;

static void StartStream(DecompressionContext* context) {
    context->stage = context->isGzip ? STAGE_HEADER : STAGE_DEFLATE;
    StartGzipHeader(&context->header);
    context->trailerSeen = 0;
    context->crc = 0;
    context->size = 0;
    context->aheadStart = 0;
    context->aheadEnd = 0;
}

static size_t AheadLeft(const DecompressionContext* context) {
    return context->aheadEnd - context->aheadStart;
}

/* The stream has ended for the caller once everything decoded has been handed out. */
static int IsOver(const DecompressionContext* context) {
    return context->stage == STAGE_ENDED && AheadLeft(context) == 0;
}

static uint32_t ReadLittleEndian32(const uint8_t* bytes) {
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
           (uint32_t)bytes[3] << 24;
}

static void HandOut(DecompressionContext* context, OutputSpan* output) {
    size_t count = AheadLeft(context) < output->left ? AheadLeft(context) : output->left;

    if (count == 0)
        return;
    memcpy(output->next, context->ahead + context->aheadStart, count);
    context->aheadStart += count;
    output->next += count;
    output->left -= count;
}

/* Decodes into the emptied ahead buffer. Returns 0 on malformed data or a lack of memory,
   keeping what was decoded before the fault; the stage tells whether the data has ended. */
static int DecodeAhead(DecompressionContext* context, Span* input) {
    z_stream* inflater = &context->inflater;
    int result;
    size_t made;

    inflater->next_in = input->next;
    inflater->avail_in = (uInt)input->left;
    inflater->next_out = context->ahead;
    inflater->avail_out = AHEAD_CAPACITY;
    result = inflate(inflater, Z_NO_FLUSH);

    made = AHEAD_CAPACITY - inflater->avail_out;
    context->aheadStart = 0;
    context->aheadEnd = made;
    if (context->isGzip && made > 0) {
        context->crc = UpdateCrc32(context->crc, context->ahead, made);
        context->size += (uint32_t)made;
    }
    input->next = inflater->next_in;
    input->left = inflater->avail_in;

    if (result == Z_STREAM_END) {
        context->stage = context->isGzip ? STAGE_TRAILER : STAGE_ENDED;
        return 1;
    }
    /* Z_BUF_ERROR only says that no progress was possible with what was given. */
    return result == Z_OK || result == Z_BUF_ERROR;
}

/* Returns 0 when the trailer does not match the output of the whole stream. */
static int ReadTrailer(DecompressionContext* context, Span* input) {
    size_t wanted = TRAILER_LENGTH - context->trailerSeen;
    size_t taken = input->left < wanted ? input->left : wanted;

    /* An empty slice may come as a null pointer, which memcpy must not be given. */
    if (taken > 0) {
        memcpy(context->trailer + context->trailerSeen, input->next, taken);
        context->trailerSeen += (uint32_t)taken;
        input->next += taken;
        input->left -= taken;
    }
    if (context->trailerSeen < TRAILER_LENGTH)
        return 1;
    if (ReadLittleEndian32(context->trailer) != context->crc ||
        ReadLittleEndian32(context->trailer + 4) != context->size)
        return 0;
    context->stage = STAGE_ENDED;
    return 1;
}

/* Runs the stream as far as the input and the output allow; 0 when this call fails.
   A fault in the deflate data, and the trailer, are only acted on once everything decoded
   before them has been handed out, so that a failing call loses no more than its own
   output, just as if it had decoded straight into its output area. */
static int Advance(DecompressionContext* context, Span* input, OutputSpan* output) {
    if (context->stage == STAGE_HEADER) {
        GzipHeaderResult header = ReadGzipHeader(&context->header, &input->next, &input->left);
        if (header == GZIP_HEADER_MALFORMED)
            return 0;
        if (header == GZIP_HEADER_NEEDS_MORE)
            return 1;
        context->stage = STAGE_DEFLATE;
    }
    for (;;) {
        HandOut(context, output);
        if (AheadLeft(context) > 0)
            return 1; /* the output area is full */
        switch (context->stage) {
        case STAGE_DEFLATE:
            if (!DecodeAhead(context, input))
                context->stage = STAGE_FAILING;
            else if (AheadLeft(context) == 0 && context->stage == STAGE_DEFLATE)
                return 1; /* nothing more comes out without more input */
            break;
        case STAGE_TRAILER:
            return ReadTrailer(context, input);
        case STAGE_FAILING:
            return 0;
        default:
            return 1;
        }
    }
}

static int ArgumentsAreValid(const DecompressionContext* context, const uint8_t* input,
                             int32_t inputLength, const uint8_t* output, int32_t outputCapacity,
                             const int32_t* consumed, const int32_t* produced) {
    return context && consumed && produced && inputLength >= 0 && outputCapacity >= 0 &&
           (input || inputLength == 0) && (output || outputCapacity == 0);
}

int32_t InitDecompression(void) {
    return S_OK;
}

int32_t DeInitDecompression(void) {
    return S_OK;
}

int32_t CreateDecompression(DecompressionContext** context, int32_t flags) {
    DecompressionContext* made;

    if (!context)
        return E_FAIL;
    *context = NULL;
    made = calloc(1, sizeof *made);
    if (!made)
        return E_OUTOFMEMORY;
    made->ahead = malloc(AHEAD_CAPACITY);
    /* calloc leaves zalloc, zfree and opaque null: zlib's own allocator. */
    if (!made->ahead || inflateInit2(&made->inflater, RAW_DEFLATE_WINDOW_BITS) != Z_OK) {
        free(made->ahead);
        free(made);
        return E_OUTOFMEMORY;
    }
    made->isGzip = (flags & DECOMPRESSION_GZIP) != 0;
    StartStream(made);
    *context = made;
    return S_OK;
}

int32_t Decompress(DecompressionContext* context, const uint8_t* input, int32_t inputLength,
                   uint8_t* output, int32_t outputCapacity, int32_t* consumed, int32_t* produced) {
    Span in;
    OutputSpan out;
    int32_t taken;
    int32_t made;

    if (consumed)
        *consumed = 0;
    if (produced)
        *produced = 0;
    if (!ArgumentsAreValid(context, input, inputLength, output, outputCapacity, consumed, produced))
        return E_FAIL;
    if (context->stage == STAGE_FAILED)
        return E_FAIL;
    if (IsOver(context))
        return S_FALSE;

    in.next = input;
    in.left = (size_t)inputLength;
    out.next = output;
    out.left = (size_t)outputCapacity;
    if (!Advance(context, &in, &out)) {
        context->stage = STAGE_FAILED;
        return E_FAIL;
    }

    taken = inputLength - (int32_t)in.left;
    made = outputCapacity - (int32_t)out.left;
    *consumed = taken;
    *produced = made;
    if (taken > 0 || made > 0)
        return S_OK;
    return IsOver(context) ? S_FALSE : E_FAIL;
}

int32_t ResetDecompression(DecompressionContext* context) {
    if (!context)
        return E_FAIL;
    inflateReset(&context->inflater);
    StartStream(context);
    return S_OK;
}

int32_t DestroyDecompression(DecompressionContext* context) {
    if (!context)
        return E_FAIL;
    inflateEnd(&context->inflater);
    free(context->ahead);
    free(context);
    return S_OK;
}
