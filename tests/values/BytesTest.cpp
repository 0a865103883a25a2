// Bytes: absent equals empty, and appending to a byte string given up by its owner.
#include "ValuePrinters.h"
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
