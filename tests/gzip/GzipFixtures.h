// Test and benchmark data for gzip decoding: members made with zlib's deflate, edited
// bodies, and deterministic corpora.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct GzipHeaderFields {
    std::string extra; // FEXTRA when not empty or when forceExtra is set
    bool forceExtra = false;
    std::string name;    // FNAME when not empty; must hold no NUL
    std::string comment; // FCOMMENT when not empty; must hold no NUL
    bool headerCrc = false;
};

// One gzip member of `content`, as zlib's deflate makes it.
std::string GzipMember(std::string_view content, int level = 6, int strategy = 0);
std::string GzipMember(std::string_view content, const GzipHeaderFields& fields);
// A bare deflate stream (no header, no trailer).
std::string RawDeflate(std::string_view content, int level = 6);

// Offsets in a member made with GzipMember(content, fields).
size_t HeaderLength(const GzipHeaderFields& fields);

// The member with `count` bytes at `offset` counted from its end changed (XOR 0xFF).
std::string WithBytesFlippedFromEnd(std::string member, size_t offsetFromEnd, size_t count);

// A minimal gzip header (no optional fields) followed by the given deflate bytes.
std::string BareHeaderThen(std::string_view deflateBytes);

// The eight trailer bytes of a member of `content`: CRC-32 and length, least significant
// byte first.
std::string GzipTrailerFor(std::string_view content);

// zlib's one-shot inflate of a whole gzip member into a buffer sized from its trailer.
std::string InflateOneShot(std::string_view member);

// Equal byte strings; on a difference, where it is and the lengths, not the whole bytes.
bool SameBytes(std::string_view actual, std::string_view expected, std::string* difference);

// Deterministic corpora.
std::string HtmlLikeText(size_t length, uint32_t seed = 1);
std::string RandomBytes(size_t length, uint32_t seed = 1);
std::string FileContent(const char* path);
// The bytes of `source` repeated up to `length`.
std::string RepeatedTo(std::string_view source, size_t length);
