// Fuzz target: gzip.dll's decoding contract against zlib. The body goes in slices of random
// length and the output comes out in areas of random capacity; every call must keep to its
// counts and statuses, and the joined output must be zlib's: the whole content of a member
// zlib accepts, a prefix of what zlib decoded before a fault otherwise.
#include "gzip/library/Decompression.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

struct Inflated {
    std::string output;
    bool whole = false; // the member ended and its trailer matched
};

Inflated ZlibFirstMember(const std::string& body) {
    Inflated result;
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        std::abort();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    char buffer[16384];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        result.output.append(buffer, sizeof buffer - stream.avail_out);
        if (status == Z_BUF_ERROR ||
            (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0))
            break;
    }
    result.whole = status == Z_STREAM_END;
    inflateEnd(&stream);
    return result;
}

// splitmix64: the slice and capacity sizes, drawn from the first bytes of the input.
class Sizes {
public:
    explicit Sizes(uint64_t seed) : m_state(seed) {}
    int32_t Next(int32_t largest) {
        m_state += 0x9E3779B97F4A7C15ull;
        uint64_t z = m_state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        // Mostly small pieces, where the edges are; now and then a large one.
        const int32_t limit = (z & 3) == 0 ? largest : std::min(largest, 16);
        return 1 + static_cast<int32_t>((z >> 8) % static_cast<uint64_t>(limit));
    }

private:
    uint64_t m_state;
};

constexpr unsigned char kCanary = 0xA5;
constexpr int32_t kLargestPiece = 8192;

struct Decoded {
    std::string output;
    int32_t finalStatus = S_OK;
};

Decoded DecodeInRandomPieces(const std::string& body, Sizes& sizes, size_t outputLimit) {
    Decoded decoded;
    InitDecompression();
    DecompressionContext* context = nullptr;
    Require(CreateDecompression(&context, 3) == S_OK && context != nullptr);
    std::vector<unsigned char> area(kLargestPiece + 64);
    size_t position = 0;
    for (;;) {
        const int32_t left = static_cast<int32_t>(body.size() - position);
        const int32_t sliceLength = left == 0 ? 0 : std::min(left, sizes.Next(kLargestPiece));
        const int32_t capacity = sizes.Next(kLargestPiece);
        std::memset(area.data(), kCanary, area.size());
        // A copy of exactly the slice, so that a read past it is caught by the sanitizer.
        std::vector<uint8_t> slice(body.begin() + static_cast<ptrdiff_t>(position),
                                   body.begin() + static_cast<ptrdiff_t>(position) + sliceLength);
        int32_t consumed = -1;
        int32_t produced = -1;
        const int32_t status = Decompress(context, sliceLength ? slice.data() : nullptr,
                                          sliceLength, area.data(), capacity, &consumed, &produced);
        Require(consumed >= 0 && consumed <= sliceLength);
        Require(produced >= 0 && produced <= capacity);
        for (size_t i = static_cast<size_t>(capacity); i < area.size(); ++i)
            Require(area[i] == kCanary);
        const bool progress = consumed > 0 || produced > 0;
        Require(status == S_OK || status == S_FALSE || status == E_FAIL);
        Require((status == S_OK) == progress);
        decoded.output.append(reinterpret_cast<const char*>(area.data()),
                              static_cast<size_t>(produced));
        position += static_cast<size_t>(consumed);
        decoded.finalStatus = status;
        if (status != S_OK || decoded.output.size() > outputLimit)
            break;
    }
    // A stream that has ended stays ended: it takes no more input and says so again.
    if (decoded.finalStatus == S_FALSE && position < body.size()) {
        int32_t consumed = -1;
        int32_t produced = -1;
        unsigned char spare[16];
        Require(Decompress(context, reinterpret_cast<const uint8_t*>(body.data() + position), 1,
                           spare, sizeof spare, &consumed, &produced) == S_FALSE);
        Require(consumed == 0 && produced == 0);
    }
    DestroyDecompression(context);
    return decoded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8 || size > 65536)
        return 0;
    uint64_t seed = 0;
    std::memcpy(&seed, data, 8);
    std::string body(reinterpret_cast<const char*>(data) + 8, size - 8);
    // The header CRC is skipped unverified by the library and checked by zlib, and zlib
    // refuses reserved flags: those bits are cleared so that both read the same member.
    if (body.size() > 3)
        body[3] = static_cast<char>(body[3] & 0x1D);

    const Inflated reference = ZlibFirstMember(body);
    Sizes sizes(seed);
    const Decoded decoded = DecodeInRandomPieces(body, sizes, reference.output.size() + 65536);

    if (reference.whole) {
        Require(decoded.finalStatus == S_FALSE);
        Require(decoded.output == reference.output);
    } else {
        Require(decoded.finalStatus == E_FAIL);
        Require(decoded.output.size() <= reference.output.size());
        Require(reference.output.compare(0, decoded.output.size(), decoded.output) == 0);
    }
    return 0;
}
