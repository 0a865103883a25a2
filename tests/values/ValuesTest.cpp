// The primitive services: joining, comparing, list access and growth, lengths, truncation.
#include "values/Values.h"
#include "FatalExit.h"
#include "ValuePrinters.h"
#include "values/FatalError.h"
#include "values/Gbk.h"
#include "values/TextOperations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

// What the fatal report writes to standard error, in UTF-8.
std::string ReportOnStandardError(const char8_t* code, const char8_t* message) {
    std::u8string report = u8"运行时出错!\r\n\r\n错误代码：";
    report += code;
    report += u8"\r\n\r\n错误信息：";
    report += message;
    report += u8"\r\n";
    return std::string(report.begin(), report.end());
}

} // namespace

TEST(ConcatText, JoinsInOrderAndTreatsAbsentAsEmpty) {
    const struct {
        Text first;
        Text second;
        Text third;
        const char* expected;
    } rows[] = {
        {Text(), Text(), Text(), ""},
        {"", "", "", ""},
        {"ab", Text(), "c", "abc"},
        {Text(), "x", Text(), "x"},
        {"\xD6\xD0", "a", "\xCE\xC4",
         "\xD6\xD0"
         "a\xCE\xC4"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.first.View()) + " + " + EscapedBytes(row.second.View()) +
                     " + " + EscapedBytes(row.third.View()));
        EXPECT_EQ(ConcatText(row.first, row.second, row.third), Text(row.expected));
    }
}

TEST(ConcatText, LeavesItsArgumentsUnchanged) {
    Text left = "left";
    Text right = "right";
    Text joined = ConcatText(left, "-", right);
    EXPECT_EQ(joined, Text("left-right"));
    EXPECT_EQ(left, Text("left"));
    EXPECT_EQ(right, Text("right"));
}

TEST(ConcatText, AppendsToATextGivenUpByItsOwnerAndMayJoinATextToItself) {
    Text text = "ab";
    text = ConcatText(std::move(text), "c");
    EXPECT_EQ(text, Text("abc"));
    text = ConcatText(std::move(text), text);
    EXPECT_EQ(text, Text("abcabc"));
}

TEST(ConcatBytes, OfEmptyPiecesIsAbsentAndOtherwiseJoinsInOrder) {
    const Bytes absent;
    const Bytes empty(std::string_view(""));
    const Bytes withNul(std::string_view("a\0b", 3));
    EXPECT_EQ(ConcatBytes(absent, empty).Data(), nullptr);
    EXPECT_EQ(ConcatBytes(empty, empty, absent).Data(), nullptr);
    EXPECT_EQ(ConcatBytes(absent, withNul, empty, withNul), Bytes(std::string_view("a\0ba\0b", 6)));
    EXPECT_EQ(ConcatBytes(withNul, Bytes("c")).Length(), 4);
}

TEST(ConcatBytes, MayJoinAByteStringToItself) {
    // Each doubling grows a full block, which moves it now and then and frees the old one:
    // the bytes must be read from where they are, not from where they were.
    std::string expected;
    for (int index = 0; index < 64; ++index)
        expected.push_back(static_cast<char>(index * 7));
    Bytes data(expected);
    while (expected.size() < (size_t{1} << 24)) {
        data = ConcatBytes(std::move(data), data);
        expected += expected;
        ASSERT_TRUE(data.View() == expected) << "after doubling to " << expected.size() << " bytes";
    }
}

TEST(CompareText, ComparesUnsignedBytesWithEmptyBelowEverything) {
    const struct {
        Text left;
        Text right;
        int32_t expected;
    } rows[] = {
        {Text(), "", 0},
        {"", Text(), 0},
        {Text(), Text(), 0},
        {"", "a", -1},
        {"a", "", 1},
        {"B", "a", -1},
        {"a", "B", 1},
        {"a", "ab", -1},
        {"ab", "a", 1},
        {"abc", "abc", 0},
        {"abd", "abc", 1},
        // Bytes from 0x80 count as large: no signed char comparison.
        {"\xD6\xD0", "z", 1},
        {"z", "\xD6\xD0", -1},
        {"\xD6\xD0", "\xD6\xD0", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.left.View()) + " vs " + EscapedBytes(row.right.View()));
        EXPECT_EQ(CompareText(row.left, row.right), row.expected);
    }
}

TEST(BytesEqual, ComparesLengthsFirstThenEveryByte) {
    const struct {
        Bytes left;
        Bytes right;
        bool expected;
    } rows[] = {
        {Bytes(), Bytes(std::string_view("")), true},
        {Bytes(), Bytes(), true},
        {Bytes("ab"), Bytes("abc"), false},
        {Bytes("abc"), Bytes("ab"), false},
        {Bytes(std::string_view("a\0b", 3)), Bytes(std::string_view("a\0b", 3)), true},
        {Bytes(std::string_view("a\0b", 3)), Bytes(std::string_view("a\0c", 3)), false},
        {Bytes(std::string_view("\0", 1)), Bytes(), false},
        {Bytes("\xFF"), Bytes("\x7F"), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.left.View()) + " vs " + EscapedBytes(row.right.View()));
        EXPECT_EQ(BytesEqual(row.left, row.right), row.expected);
    }
}

TEST(TextLength, CountsTheTwoBytesOfAChineseCharacter) {
    Text middle = Gbk(u8"中");
    EXPECT_EQ(middle, Text("\xD6\xD0"));
    EXPECT_EQ(TextLength(middle), 2);
    Text middleA = Gbk(u8"中a");
    EXPECT_EQ(TextLength(middleA), 3);
    EXPECT_EQ(FindText(middleA, "a"), 3);
}

TEST(ListAppend, StoresACopyAndAnAbsentTextReadsAsEmpty) {
    TextList list;
    Text first = "first";
    ListAppend(list, first);
    ListAppend(list, Text());
    first = "changed";
    ASSERT_EQ(ListSize(list), 2);
    EXPECT_EQ(ListItem(list, 1), Text("first"));
    EXPECT_TRUE(ListItem(list, 2).IsEmpty());
    EXPECT_EQ(CompareText(ListItem(list, 2), ""), 0);
}

TEST(ListItemDeathTest, ReportsCodeFourForAnIndexBelowOne) {
    const std::string report = ReportOnStandardError(u8"4", u8"数组成员引用下标必须大于等于1");
    TextList empty;
    TextList two({"a", "b"});
    EXPECT_EXIT(ListItem(empty, 0), testing::ExitedWithCode(kFatalExitStatus), testing::Eq(report));
    EXPECT_EXIT(ListItem(two, 0), testing::ExitedWithCode(kFatalExitStatus), testing::Eq(report));
    EXPECT_EXIT(ListItem(two, -1), testing::ExitedWithCode(kFatalExitStatus), testing::Eq(report));
    EXPECT_EXIT(ListItem(two, INT_MIN), testing::ExitedWithCode(kFatalExitStatus),
                testing::Eq(report));
}

TEST(ListItemDeathTest, ReportsCodeOneForAnIndexAboveTheSize) {
    const std::string report = ReportOnStandardError(u8"1", u8"数组成员引用下标超出定义范围");
    TextList empty;
    TextList two({"a", "b"});
    EXPECT_EXIT(ListItem(empty, 1), testing::ExitedWithCode(kFatalExitStatus), testing::Eq(report));
    EXPECT_EXIT(ListItem(two, 3), testing::ExitedWithCode(kFatalExitStatus), testing::Eq(report));
    EXPECT_EXIT(ListItem(two, INT_MAX), testing::ExitedWithCode(kFatalExitStatus),
                testing::Eq(report));
}

TEST(ListItem, DesignatesTheSlotsFromOne) {
    TextList two({"a", "b"});
    EXPECT_EQ(ListItem(two, 1), Text("a"));
    EXPECT_EQ(ListItem(two, 2), Text("b"));
}

TEST(TruncateToInteger, RoundsTowardZeroAndKeepsTheLow32Bits) {
    const struct {
        double value;
        int32_t expected;
    } rows[] = {
        {2.9, 2},
        {-2.9, -2},
        {0.5, 0},
        {-0.5, 0},
        {2147483648.0, INT_MIN},
        {4294967301.0, 5},
        {-4294967297.0, -1},
        {1e300, 0},
        {std::numeric_limits<double>::infinity(), 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(TruncateToInteger(row.value), row.expected);
    }
}
