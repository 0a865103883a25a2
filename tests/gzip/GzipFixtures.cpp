// Test data for gzip decoding, made with zlib so that every member is what a real server
// could send.
#include "GzipFixtures.h"

#include <array>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <zlib.h>

namespace {

constexpr int kGzipWindowBits = 15 + 16;
constexpr int kRawWindowBits = -15;

std::string Deflate(std::string_view content, int level, int windowBits, int strategy,
                    gz_header* header) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, windowBits, 9, strategy) != Z_OK)
        throw std::runtime_error("deflateInit2");
    if (header && deflateSetHeader(&stream, header) != Z_OK)
        throw std::runtime_error("deflateSetHeader");
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate");
    out.resize(stream.total_out);
    return out;
}

} // namespace

std::string GzipMember(std::string_view content, int level, int strategy) {
    return Deflate(content, level, kGzipWindowBits, strategy, nullptr);
}

std::string GzipMember(std::string_view content, const GzipHeaderFields& fields) {
    gz_header header{};
    std::string extra = fields.extra;
    std::string name = fields.name;
    std::string comment = fields.comment;
    if (!extra.empty() || fields.forceExtra) {
        header.extra = reinterpret_cast<Bytef*>(extra.data());
        header.extra_len = static_cast<uInt>(extra.size());
    }
    if (!name.empty())
        header.name = reinterpret_cast<Bytef*>(name.data());
    if (!comment.empty())
        header.comment = reinterpret_cast<Bytef*>(comment.data());
    header.hcrc = fields.headerCrc ? 1 : 0;
    header.os = 3;
    return Deflate(content, 6, kGzipWindowBits, Z_DEFAULT_STRATEGY, &header);
}

std::string RawDeflate(std::string_view content, int level) {
    return Deflate(content, level, kRawWindowBits, Z_DEFAULT_STRATEGY, nullptr);
}

size_t HeaderLength(const GzipHeaderFields& fields) {
    size_t length = 10;
    if (!fields.extra.empty() || fields.forceExtra)
        length += 2 + fields.extra.size();
    if (!fields.name.empty())
        length += fields.name.size() + 1;
    if (!fields.comment.empty())
        length += fields.comment.size() + 1;
    if (fields.headerCrc)
        length += 2;
    return length;
}

std::string WithBytesFlippedFromEnd(std::string member, size_t offsetFromEnd, size_t count) {
    for (size_t i = 0; i < count; ++i)
        member[member.size() - offsetFromEnd + i] ^= static_cast<char>(0xFF);
    return member;
}

std::string BareHeaderThen(std::string_view deflateBytes) {
    std::string body("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    body.append(deflateBytes);
    return body;
}

std::string GzipTrailerFor(std::string_view content) {
    uint32_t crc = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0),
                                               reinterpret_cast<const Bytef*>(content.data()),
                                               static_cast<uInt>(content.size())));
    uint32_t length = static_cast<uint32_t>(content.size());
    std::string trailer;
    for (uint32_t word : {crc, length})
        for (int shift = 0; shift < 32; shift += 8)
            trailer.push_back(static_cast<char>((word >> shift) & 0xFF));
    return trailer;
}

std::string InflateOneShot(std::string_view member) {
    if (member.size() < 18)
        throw std::runtime_error("not a gzip member");
    const auto* tail = reinterpret_cast<const unsigned char*>(member.data() + member.size() - 4);
    size_t length = tail[0] | tail[1] << 8 | tail[2] << 16 | static_cast<size_t>(tail[3]) << 24;
    std::string out(length, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, kGzipWindowBits) != Z_OK)
        throw std::runtime_error("inflateInit2");
    unsigned char spare = 0;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data()));
    stream.avail_in = static_cast<uInt>(member.size());
    stream.next_out = length ? reinterpret_cast<Bytef*>(out.data()) : &spare;
    stream.avail_out = static_cast<uInt>(length);
    int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("inflate");
    return out;
}

bool SameBytes(std::string_view actual, std::string_view expected, std::string* difference) {
    if (actual == expected)
        return true;
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    *difference = "lengths " + std::to_string(actual.size()) + " and " +
                  std::to_string(expected.size()) + ", first difference at " + std::to_string(at);
    return false;
}

std::string HtmlLikeText(size_t length, uint32_t seed) {
    static const std::array<const char*, 24> kPieces = {"<div class=\"item\">",
                                                        "</div>\n",
                                                        "<p>",
                                                        "</p>\n",
                                                        "<a href=\"/news/",
                                                        "\">",
                                                        "</a>",
                                                        "<span class=\"date\">2024-05-",
                                                        "</span>",
                                                        "<li>",
                                                        "</li>\n",
                                                        "<img src=\"/images/photo",
                                                        ".jpg\" alt=\"",
                                                        "\" />",
                                                        "The quick brown fox ",
                                                        "jumps over the lazy dog. ",
                                                        "Lorem ipsum dolor sit amet, ",
                                                        "consectetur ",
                                                        "<table><tr><td>",
                                                        "</td><td>",
                                                        "</td></tr></table>\n",
                                                        "&nbsp;",
                                                        "<br />\n",
                                                        "<script>var n = "};
    std::mt19937 random(seed);
    std::string text;
    text.reserve(length + 64);
    while (text.size() < length) {
        text += kPieces[random() % kPieces.size()];
        if (random() % 3 == 0)
            text += std::to_string(random() % 100000);
    }
    text.resize(length);
    return text;
}

std::string RandomBytes(size_t length, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string FileContent(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(std::string("cannot read ") + path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string RepeatedTo(std::string_view source, size_t length) {
    std::string out;
    out.reserve(length);
    while (out.size() < length && !source.empty())
        out.append(source.substr(0, length - out.size()));
    return out;
}
