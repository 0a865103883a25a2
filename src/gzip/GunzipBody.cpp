// The decoding loop: the body goes to the library in slices of 8192 bytes, and every piece
// of output that it reports goes to the caller in call order.
#include "GunzipBody.h"

#include "Decompressor.h"
#include "values/TextOperations.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

namespace {

constexpr int32_t kPieceLength = 8192;
// Bit 0 selects a gzip member; bit 1 is customary and changes nothing.
constexpr int32_t kGzipFlags = 3;

// Takes one piece of output; false stops the decoding.
using PieceSink = std::function<bool(const unsigned char* piece, int32_t length)>;

struct ContextDestroyer {
    void operator()(DecompressionContext* context) const {
        Decompressor::DestroyDecompression(context);
    }
};
using Context = std::unique_ptr<DecompressionContext, ContextDestroyer>;

void DecodeInPieces(const Bytes& body, const PieceSink& take) {
    Bytes scratch = BlankBytes(kPieceLength);
    Decompressor::InitDecompression();
    DecompressionContext* made = nullptr;
    Decompressor::CreateDecompression(&made, kGzipFlags);
    // Without memory for a context nothing can be decoded.
    if (!made)
        return;
    Context context(made);

    int32_t position = 0;
    int32_t status = S_OK;
    do {
        // The slice is the up to 8192 bytes after the consumed part, empty (and null) at the
        // end of the body. It is read in place: a copy per call would cost as much again as
        // the output, since most calls hand out output decoded ahead and take no input.
        int32_t sliceLength = std::min(kPieceLength, BytesLength(body) - position);
        const unsigned char* slice = sliceLength > 0 ? body.Data() + position : nullptr;
        int32_t consumed = 0;
        int32_t produced = 0;
        status = Decompressor::Decompress(context.get(), slice, sliceLength, scratch.MutableData(),
                                          kPieceLength, &consumed, &produced);
        // A library file found beside the executable is used untested, so its counts are
        // kept within what it was given before they move the position or read the scratch.
        consumed = std::clamp(consumed, 0, sliceLength);
        produced = std::clamp(produced, 0, kPieceLength);
        // The position follows the consumption even when nothing came out (a long header
        // field, a run of empty blocks), so each slice starts at the first byte not taken.
        position += consumed;
        if (produced != 0 && !take(scratch.Data(), produced))
            break;
    } while (status == S_OK);
}

// The content length that a one-member body announces in its last four bytes (ISIZE,
// RFC 1952, 2.3.1), believed only as far as deflate can expand (about 1032 to 1) and up to
// 256 MB. It only sizes the result ahead, sparing the regrowth and the small pages of a
// large result; a wrong figure costs untouched address space, never a byte of the result.
int32_t AnnouncedLength(const Bytes& body) {
    constexpr int64_t kLargestExpansion = 1032;
    constexpr int64_t kLargestReservation = int64_t{256} << 20;
    if (body.Length() < 4)
        return 0;
    const unsigned char* size = body.Data() + body.Length() - 4;
    int64_t announced = size[0] | size[1] << 8 | size[2] << 16 | int64_t{size[3]} << 24;
    if (announced > kLargestExpansion * body.Length() || announced > kLargestReservation)
        return 0;
    return static_cast<int32_t>(announced);
}

} // namespace

Bytes GunzipBody(const Bytes& body) {
    Bytes output;
    output.Reserve(AnnouncedLength(body));
    // Appending the scratch bytes directly is ConcatBytes of BytesLeft without the copy.
    DecodeInPieces(body, [&output](const unsigned char* piece, int32_t length) {
        output.Append(piece, length);
        return true;
    });
    return output;
}

int32_t GunzippedLength(const Bytes& body) {
    constexpr int64_t kLongest = std::numeric_limits<int32_t>::max();
    int64_t length = 0;
    DecodeInPieces(body, [&length](const unsigned char*, int32_t pieceLength) {
        length += pieceLength;
        return length <= kLongest;
    });
    return static_cast<int32_t>(std::min(length, kLongest));
}
