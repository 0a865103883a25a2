/* Decompression.h: the interface of gzip.dll, a streaming decoder for gzip members
   (RFC 1952) and bare deflate streams (RFC 1951).

   The caller drives a decoding with four calls:

       InitDecompression();
       CreateDecompression(&context, flags);
       Decompress(context, ...);            as often as needed
       DestroyDecompression(context);

   The input and the output pass in pieces of any size, down to one byte. The context keeps
   the whole decoder state between calls, the 32 KiB history window included, so a deflate
   match may reach back across pieces and a header field may span any number of calls.

   Ownership: the caller owns every buffer it hands over. A call reads only the input it is
   given, during the call, and writes only into the output area it is given, during the
   call. Nothing is kept past the return except inside the context, which the library owns
   from CreateDecompression until DestroyDecompression.

   Statuses are 32-bit signed values with the bit patterns of the usual COM results, so
   that a caller may compare them either as signed or as unsigned 32-bit numbers:

       S_OK            0             success, or progress was made
       S_FALSE         1             no progress, because the stream has ended
       E_FAIL          0x80004005    no progress for another reason, malformed data, or a
                                     bad argument
       E_OUTOFMEMORY   0x8007000E    no memory for a new context

   Lengths and counts are 32-bit signed integers. The library keeps no state of its own
   outside the contexts, so different contexts may be used on different threads at once;
   one context must not be used by two threads at the same time. */
#ifndef QUANDREL_GZIP_DECOMPRESSION_H
#define QUANDREL_GZIP_DECOMPRESSION_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define DECOMPRESSION_EXPORT __declspec(dllexport)
#elif defined(__GNUC__)
#define DECOMPRESSION_EXPORT __attribute__((visibility("default")))
#else
#define DECOMPRESSION_EXPORT
#endif

/* Written as negative decimals because 0x80004005 does not fit a signed 32-bit literal. */
#ifndef S_OK
#define S_OK ((int32_t)0)
#endif
#ifndef S_FALSE
#define S_FALSE ((int32_t)1)
#endif
#ifndef E_FAIL
#define E_FAIL ((int32_t)-2147467259) /* 0x80004005 */
#endif
#ifndef E_OUTOFMEMORY
#define E_OUTOFMEMORY ((int32_t)-2147024882) /* 0x8007000E */
#endif

/* Bit 0 of the flags of CreateDecompression: set, the input is a gzip member; clear, a
   bare deflate stream. Every other bit is ignored, so the customary value 3 selects gzip. */
#define DECOMPRESSION_GZIP 1

/* The decoder state of one stream. Opaque: only the library looks inside. */
typedef struct DecompressionContext DecompressionContext;

DECOMPRESSION_EXPORT int32_t InitDecompression(void);
/*
   Prepares the library's shared tables. The tables are built in, so there is nothing to do;
   the call exists because callers make it before every decoding, and it may be made any
   number of times, from any thread.

       S_OK        always
*/

DECOMPRESSION_EXPORT int32_t DeInitDecompression(void);
/*
   The counterpart of InitDecompression; releases nothing, since nothing was taken.

       S_OK        always
*/

DECOMPRESSION_EXPORT int32_t CreateDecompression(DecompressionContext** context, int32_t flags);
/*
   Makes a context for one stream and stores it in *context. Only bit 0 of flags counts
   (DECOMPRESSION_GZIP): set, the stream is one gzip member, header, deflate data and
   trailer; clear, it is deflate data alone.

       S_OK            *context holds the new context
       E_OUTOFMEMORY   no memory is left; *context is set to null
       E_FAIL          context is null; nothing is stored
*/

DECOMPRESSION_EXPORT int32_t Decompress(DecompressionContext* context, const uint8_t* input,
                                        int32_t inputLength, uint8_t* output,
                                        int32_t outputCapacity, int32_t* consumed,
                                        int32_t* produced);
/*
   Decodes from input[0 .. inputLength) into output[0 .. outputCapacity) until the input is
   used up, the output area is full or the stream has ended (a gzip member ends with its
   trailer, a deflate stream with its last block). Output always starts at output[0], and
   nothing is written at or past output[outputCapacity]. input may be null when
   inputLength is 0, and output may be null when outputCapacity is 0.

   On every return *consumed holds the number of input bytes taken and *produced the number
   of output bytes written by this call (both 0 unless the status is S_OK). Input that was
   not taken must be handed over again, first, on the next call. The library decodes ahead
   of the caller: it may take input whose output it keeps in the context and hands out in
   later calls, which then write output while taking nothing.

       S_OK        the call took at least one input byte or wrote at least one output byte.
                   The call that reads the end of the stream still returns S_OK; only the
                   next one returns S_FALSE.
       S_FALSE     the stream has ended: its trailer has been read and matched (gzip) or its
                   last block has been decoded (deflate), and all of its output has been
                   handed out. Nothing is taken from the input, however much is given, so
                   bytes after the end are never read.
       E_FAIL      one of:
                   - no progress was possible and the stream has not ended, for instance
                     because no input was given in mid-stream. Nothing is lost: the next
                     call may go on with more input or more room;
                   - the data is malformed: the first two bytes are not 1F 8B, the method
                     byte is not 8, a block has the reserved type 3, a stored block's
                     length and its one's complement disagree, or a code cannot be decoded.
                     The output decoded before the fault is handed out first; the call
                     that would hand out the last of it fails instead;
                   - at the end of a gzip member, the CRC-32 or the length in the trailer
                     does not match the output of the whole stream. The trailer is read by
                     the call that hands out the last of the output, or by a later one;
                   - no memory could be had for the history window;
                   - context is null, consumed or produced is null, a length is negative,
                     or a buffer is null with a length above 0.
                   In every case both counts are 0. Output that a failing call has already
                   placed in the output area is not counted and must not be used. After
                   malformed data, a trailer mismatch or a lack of memory the context has
                   failed for good: every later call returns E_FAIL.

   The gzip header's optional fields (extra field, file name, comment, header CRC) are
   skipped without being verified, and its reserved flag bits are ignored.
*/

DECOMPRESSION_EXPORT int32_t ResetDecompression(DecompressionContext* context);
/*
   Puts the context back at the start of a new stream of the kind it was made for.

       S_OK        the context is ready for a new stream
       E_FAIL      context is null
*/

DECOMPRESSION_EXPORT int32_t DestroyDecompression(DecompressionContext* context);
/*
   Releases the context and everything it holds. The context must not be used afterwards.

       S_OK        the context has been released
       E_FAIL      context is null; nothing happens
*/

#ifdef __cplusplus
}
#endif

#endif
