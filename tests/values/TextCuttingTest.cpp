// Cutting texts and byte strings by byte counts, and the blank and one-byte makers.
#include "ValuePrinters.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct CutCase {
    const char* text;
    int32_t count;
    const char* expected;
};

struct MidCase {
    const char* text;
    int32_t start;
    int32_t count;
    const char* expected;
};

// Ten bytes with a NUL and a high byte among them: "0123" 00 "5" FF "789".
const Bytes kTenBytes(std::string_view("0123\0"
                                       "5\xFF"
                                       "789",
                                       10));

Bytes BytesOf(std::string_view bytes) {
    return Bytes(bytes);
}

} // namespace

TEST(TextLeft, KeepsTheFirstBytesClampedToTheLength) {
    const CutCase rows[] = {
        {"abc", 2, "ab"},
        {"abc", 3, "abc"},
        {"abc", 5, "abc"},
        {"abc", INT_MAX, "abc"},
        {"abc", 0, ""},
        {"abc", -1, ""},
        {"abc", INT_MIN, ""},
        {"", 3, ""},
        // Bytes, not characters: three bytes of 中文 end in a lone lead byte.
        {"\xD6\xD0\xCE\xC4", 3, "\xD6\xD0\xCE"},
    };
    for (const CutCase& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text) + " count " + std::to_string(row.count));
        EXPECT_EQ(TextLeft(row.text, row.count), Text(row.expected));
    }
}

TEST(TextRight, KeepsTheLastBytesClampedToTheLength) {
    const CutCase rows[] = {
        {"abc", 2, "bc"},        {"abc", 1, "c"}, {"abc", 3, "abc"},
        {"abc", INT_MAX, "abc"}, {"abc", 0, ""},  {"abc", -2, ""},
        {"abc", INT_MIN, ""},    {"", 1, ""},     {"\xD6\xD0\xCE\xC4", 1, "\xC4"},
    };
    for (const CutCase& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text) + " count " + std::to_string(row.count));
        EXPECT_EQ(TextRight(row.text, row.count), Text(row.expected));
    }
}

TEST(TextMid, CutsFromAStartPositionAndStopsAtTheEnd) {
    const MidCase rows[] = {
        {"abc", 1, 2, "ab"},
        {"abc", 2, 1, "b"},
        {"abc", 3, 5, "c"},
        {"abc", 3, 1, "c"},
        {"abc", 2, INT_MAX, "bc"},
        {"abc", 4, 1, ""},
        {"abc", INT_MAX, 1, ""},
        {"abc", 0, 2, ""},
        {"abc", -1, 5, ""},
        {"abc", INT_MIN, 5, ""},
        {"abc", 1, 0, ""},
        {"abc", 1, -1, ""},
        {"", 1, 1, ""},
        {"\xD6\xD0\xCE\xC4", 2, 2, "\xD0\xCE"},
    };
    for (const MidCase& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text) + " start " + std::to_string(row.start) + " count " +
                     std::to_string(row.count));
        EXPECT_EQ(TextMid(row.text, row.start, row.count), Text(row.expected));
    }
}

TEST(TextMid, CanReplaceTheVariableItCuts) {
    Text text = "key=value";
    text = TextMid(text, 5, 100);
    EXPECT_EQ(text, Text("value"));
    text = TextLeft(text, 2);
    EXPECT_EQ(text, Text("va"));
}

TEST(TextLength, CountsBytesSoATwoByteCharacterCountsTwo) {
    EXPECT_EQ(TextLength(Text()), 0);
    EXPECT_EQ(TextLength("\xD6\xD0"), 2);
    EXPECT_EQ(TextLength("\xD6\xD0"
                         "a"),
              3);
}

TEST(BytesLeft, KeepsTheFirstBytesNulsIncluded) {
    struct Case {
        int32_t count;
        std::string_view expected;
    };
    const Case rows[] = {
        {6, std::string_view("0123\0"
                             "5",
                             6)},
        {10, kTenBytes.View()},
        {11, kTenBytes.View()},
        {INT_MAX, kTenBytes.View()},
        {1, "0"},
        {0, ""},
        {-1, ""},
        {INT_MIN, ""},
    };
    for (const Case& row : rows) {
        SCOPED_TRACE("count " + std::to_string(row.count));
        EXPECT_EQ(BytesLeft(kTenBytes, row.count), BytesOf(row.expected));
    }
    EXPECT_TRUE(BytesLeft(Bytes(), 5).IsEmpty());
}

TEST(BytesMid, ClampsTheSkippedBytesAndCutsShortAtTheEnd) {
    struct Case {
        int32_t start;
        int32_t count;
        std::string_view expected;
    };
    const Case rows[] = {
        {9, 8192, "89"},
        {10, 1, "9"},
        {10, 8192, "9"},
        {11, 8192, ""},
        {INT_MAX, 1, ""},
        {0, 3, "012"},
        {-5, 3, "012"},
        {INT_MIN, 3, "012"},
        {1, 3, "012"},
        {2, 4, std::string_view("123\0", 4)},
        {1, INT_MAX, kTenBytes.View()},
        {3, 0, ""},
        {3, -1, ""},
    };
    for (const Case& row : rows) {
        SCOPED_TRACE("start " + std::to_string(row.start) + " count " + std::to_string(row.count));
        EXPECT_EQ(BytesMid(kTenBytes, row.start, row.count), BytesOf(row.expected));
    }
}

TEST(BytesMid, ReturnsAnAbsentByteStringWhenNothingFollows) {
    EXPECT_EQ(BytesMid(kTenBytes, 11, 8192).Data(), nullptr);
    EXPECT_EQ(BytesMid(Bytes(), 1, 1).Data(), nullptr);
}

TEST(BytesLength, CountsEveryByteNulsIncluded) {
    EXPECT_EQ(BytesLength(kTenBytes), 10);
    EXPECT_EQ(BytesLength(Bytes()), 0);
}

TEST(TextToBytes, TakesTheBytesWithoutTheEndingNul) {
    EXPECT_EQ(TextToBytes("a\xD6\xD0"), BytesOf("a\xD6\xD0"));
    EXPECT_EQ(TextToBytes("a\xD6\xD0").Length(), 3);
    EXPECT_TRUE(TextToBytes("").IsEmpty());
    EXPECT_TRUE(TextToBytes(Text()).IsEmpty());
}

TEST(BlankBytes, MakesZeroBytes) {
    EXPECT_EQ(BlankBytes(3), BytesOf(std::string_view("\0\0\0", 3)));
    EXPECT_EQ(BlankBytes(1024).Length(), 1024);
    EXPECT_EQ(BlankBytes(1024).View().find_first_not_of('\0'), std::string_view::npos);
    EXPECT_TRUE(BlankBytes(0).IsEmpty());
    EXPECT_TRUE(BlankBytes(-1).IsEmpty());
    EXPECT_TRUE(BlankBytes(INT_MIN).IsEmpty());
}

TEST(BlankText, MakesAsciiSpaces) {
    EXPECT_EQ(BlankText(3), Text("   "));
    EXPECT_EQ(BlankText(1), Text(" "));
    EXPECT_TRUE(BlankText(0).IsEmpty());
    EXPECT_TRUE(BlankText(-4).IsEmpty());
}

TEST(CharFromCode, MakesAOneByteTextAndNothingForZero) {
    const struct {
        unsigned char code;
        const char* expected;
    } rows[] = {{'A', "A"}, {0x01, "\x01"}, {0xD6, "\xD6"}, {0xFF, "\xFF"}, {0, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE("code " + std::to_string(row.code));
        EXPECT_EQ(CharFromCode(row.code), Text(row.expected));
    }
    EXPECT_EQ(TextLength(CharFromCode(0xD6)), 1);
}
