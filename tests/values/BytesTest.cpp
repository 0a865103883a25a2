// Bytes: absent equals empty, and appending to a byte string given up by its owner.
#include "ValuePrinters.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <gtest/gtest.h>

#include <set>

TEST(ConcatBytes, OfTwoEmptyByteStringsIsAbsent) {
    EXPECT_TRUE(ConcatBytes(Bytes(), Bytes()).IsEmpty());
    EXPECT_EQ(ConcatBytes(Bytes(), Bytes()).Data(), nullptr);
}

TEST(ConcatBytes, AppendsPiecesToAMovedByteStringWithoutCopyingItEachTime) {
    // A body read in 1024-byte pieces: if every append copied the whole value into a new
    // block, the block would move on every one of the 16384 appends.
    constexpr int kPieces = 16384;
    Bytes body;
    std::set<const unsigned char*> blocks;
    for (int index = 0; index < kPieces; ++index) {
        Bytes piece(std::string(1024, static_cast<char>('a' + index % 26)));
        body = ConcatBytes(std::move(body), piece);
        blocks.insert(body.Data());
    }
    ASSERT_EQ(body.Length(), kPieces * 1024);
    // Doubling from 64 bytes to 16 MB moves the block at most about 20 times.
    EXPECT_LE(blocks.size(), 40u);
    for (int index : {0, 1, 25, 26, kPieces - 1}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(body.View().substr(static_cast<size_t>(index) * 1024, 1024),
                  std::string(1024, static_cast<char>('a' + index % 26)));
    }
}

TEST(Bytes, CopiesOnAssignmentFromAnotherVariable) {
    Bytes original("abc");
    Bytes copy = original;
    copy = ConcatBytes(std::move(copy), Bytes("d"));
    EXPECT_EQ(original, Bytes("abc"));
    EXPECT_EQ(copy, Bytes("abcd"));
    EXPECT_NE(original.Data(), copy.Data());
}

namespace {

// Bytes whose every byte depends on its position, so that a misplaced block shows.
std::string Pattern(size_t length, int seed) {
    std::string bytes(length, '\0');
    for (size_t index = 0; index < length; ++index)
        bytes[index] = static_cast<char>((index * 131 + static_cast<size_t>(seed)) >> 3);
    return bytes;
}

} // namespace

TEST(Bytes, KeepsItsContentWhileGrowingPastSeveralMegabytes) {
    // Large blocks are kept apart from small ones; growing across that line and on through
    // several moves must carry every byte along.
    const std::string piece = Pattern(1 << 20, 1);
    Bytes data;
    std::string expected;
    for (int index = 0; index < 40; ++index) {
        data = ConcatBytes(std::move(data), Bytes(piece.substr(static_cast<size_t>(index) * 7)));
        expected += piece.substr(static_cast<size_t>(index) * 7);
    }
    ASSERT_EQ(data.Length(), static_cast<int32_t>(expected.size()));
    EXPECT_TRUE(data.View() == expected);
    Bytes copy = data;
    EXPECT_TRUE(copy.View() == expected);
    EXPECT_NE(copy.Data(), data.Data());
}

TEST(Bytes, AMovedFromValueIsEmptyAndCanGrowAgain) {
    const std::string large = Pattern(8 << 20, 2);
    const std::string small = Pattern(100, 3);
    Bytes first(large);
    Bytes second(small);
    Bytes taken = std::move(first);
    EXPECT_TRUE(first.IsEmpty());
    first.Append("small again");
    EXPECT_EQ(first, Bytes("small again"));
    // Large over small and small over large: each block is released the way it was made.
    second = std::move(taken);
    EXPECT_TRUE(second.View() == large);
    taken = Bytes(small);
    taken.Append(large);
    EXPECT_TRUE(taken.View() == small + large);
    second = std::move(first);
    EXPECT_EQ(second, Bytes("small again"));
    first = Bytes(large);
    first.Resize(3);
    EXPECT_EQ(first, Bytes(large.substr(0, 3)));
}

TEST(BlankBytes, MakesALargeRunOfZeroBytes) {
    Bytes zeros = BlankBytes(16 << 20);
    ASSERT_EQ(zeros.Length(), 16 << 20);
    EXPECT_EQ(zeros.View().find_first_not_of('\0'), std::string_view::npos);
}
