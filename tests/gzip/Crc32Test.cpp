// The library's CRC-32 against zlib's, at every alignment and at lengths around the
// folding steps of 16 and 64 bytes.
#include "gzip/library/Crc32.h"
#include "GzipFixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <zlib.h>

namespace {

uint32_t ZlibCrc(uint32_t crc, const std::string& bytes, size_t offset, size_t length) {
    return static_cast<uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + offset),
                                       static_cast<uInt>(length)));
}

uint32_t OurCrc(uint32_t crc, const std::string& bytes, size_t offset, size_t length) {
    return UpdateCrc32(crc, reinterpret_cast<const uint8_t*>(bytes.data() + offset), length);
}

TEST(UpdateCrc32, EqualsZlibsAtEveryLengthAndAlignment) {
    const std::string bytes = RandomBytes(4096, 77);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length = 0; length <= 300; ++length) {
            for (uint32_t crc : {0u, 0xFFFFFFFFu, 0x12345678u}) {
                ASSERT_EQ(OurCrc(crc, bytes, offset, length), ZlibCrc(crc, bytes, offset, length))
                    << "offset " << offset << " length " << length << " crc " << crc;
            }
        }
    }
}

TEST(UpdateCrc32, EqualsZlibsOnLongAndRandomRuns) {
    const std::string bytes = RandomBytes(1 << 20, 78);
    std::mt19937 random(79);
    for (int round = 0; round < 2000; ++round) {
        size_t offset = random() % 4096;
        size_t length = random() % (bytes.size() - offset);
        uint32_t crc = random();
        ASSERT_EQ(OurCrc(crc, bytes, offset, length), ZlibCrc(crc, bytes, offset, length))
            << "offset " << offset << " length " << length;
    }
}

TEST(UpdateCrc32, KnownValues) {
    struct Case {
        std::string bytes;
        uint32_t expected;
    } cases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u}, // the check value of CRC-32
        {std::string(1000, '\0'), ZlibCrc(0, std::string(1000, '\0'), 0, 1000)},
    };
    for (const Case& row : cases)
        EXPECT_EQ(OurCrc(0, row.bytes, 0, row.bytes.size()), row.expected) << row.bytes.size();
}

TEST(UpdateCrc32, PiecesGiveTheCrcOfTheWhole) {
    const std::string bytes = HtmlLikeText(200'000, 80);
    uint32_t whole = OurCrc(0, bytes, 0, bytes.size());
    for (size_t piece : {size_t{1}, size_t{63}, size_t{64}, size_t{8192}, size_t{65536}}) {
        uint32_t crc = 0;
        for (size_t offset = 0; offset < bytes.size(); offset += piece)
            crc = OurCrc(crc, bytes, offset, std::min(piece, bytes.size() - offset));
        EXPECT_EQ(crc, whole) << "pieces of " << piece;
    }
}

} // namespace
