// Numbers to texts and back, flooring of computed reals, and BitOr.
#include "ValuePrinters.h"
#include "values/TextOperations.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iomanip>
#include <limits>

TEST(NumberToText, WritesPlainDecimal) {
    const struct {
        int32_t value;
        const char* expected;
    } rows[] = {
        {0, "0"},
        {7, "7"},
        {8080, "8080"},
        {-5, "-5"},
        {INT_MAX, "2147483647"},
        {INT_MIN, "-2147483648"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(NumberToText(row.value), Text(row.expected));
    }
}

TEST(TextToInteger, ReadsALeadingDecimalNumber) {
    const struct {
        const char* text;
        int32_t expected;
    } rows[] = {
        {" 8080/x", 8080},
        {"+12", 12},
        {"-7a", -7},
        {"abc", 0},
        {"", 0},
        {"0042", 42},
        {" \t\n\v\f\r42", 42},
        {"4 2", 4},
        {"--5", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"x12", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        // 32-bit wrap-around.
        {"2147483648", INT_MIN},
        {"4294967296", 0},
        {"4294967297", 1},
        {"-4294967295", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text));
        EXPECT_EQ(TextToInteger(row.text), row.expected);
    }
}

TEST(TextToInteger, ReadsFullWidthFormsAsAscii) {
    const struct {
        const char* text;
        int32_t expected;
    } rows[] = {
        // ８０ is A3 B8 A3 B0.
        {"\xA3\xB8\xA3\xB0", 80},
        {"1\xA3\xB2"
         "3",
         123},
        {"\xA3\xAD"
         "5",
         -5},
        {"\xA3\xAB"
         "5",
         5},
        {"\xA1\xA1\xA3\xB7", 7},
        // A3 A0 lies outside the full-width block and ends the number.
        {"\xA3\xA0"
         "5",
         0},
        // ~ and * are no signs.
        {"\xA1\xAB"
         "5",
         0},
        {"\xA1\xEE"
         "5",
         0},
        // Other two-byte characters stay and end the number, their second bytes included.
        {"\xD6\xD0"
         "5",
         0},
        {"\x81"
         "5",
         0},
        {"5\x81"
         "5",
         5},
        // A lone final lead byte ends the text.
        {"12\xA3", 12},
        {"\xA3", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text));
        EXPECT_EQ(TextToInteger(row.text), row.expected);
    }
}

TEST(FloorToInteger, RoundsTowardMinusInfinityAfterANudgeToNearlyWholeNumbers) {
    const struct {
        double value;
        int32_t expected;
    } rows[] = {
        {57.99999999999999, 58},
        {57.9, 57},
        {2.7, 2},
        {-2.3, -3},
        {-0.5, -1},
        {0.0, 0},
        {-0.0, 0},
        {-1.0, -1},
        {2.9999999999999, 3},
        {-2.9999999999999, -3},
        // Short of the next whole number by more than 1e-12: no nudge.
        {5.999999999998, 5},
        {-5.999999999998, -6},
        {5.9999999999995, 6},
        {2147483647.0, INT_MAX},
        {-2147483648.0, INT_MIN},
        // Whole numbers beyond 32 bits keep their low 32 bits.
        {2147483648.0, INT_MIN},
        {4294967303.0, 7},
        {4611686020574871552.0 /* 2^62 + 2^31 */, INT_MIN},
        {-4294967296.0, 0},
        {-4294967297.0, -1},
        // Beyond 64 bits, infinities and NaN give 0.
        {1e300, 0},
        {-1e300, 0},
        {9223372036854775808.0, 0},
        {std::numeric_limits<double>::infinity(), 0},
        {-std::numeric_limits<double>::infinity(), 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::setprecision(17) << row.value);
        EXPECT_EQ(FloorToInteger(row.value), row.expected);
    }
}

TEST(BitOr, CombinesEveryArgument) {
    EXPECT_EQ(BitOr({1, 2}), 3);
    EXPECT_EQ(BitOr({1, 2, 4, 8}), 15);
    EXPECT_EQ(BitOr({0x10, 0x10}), 0x10);
    EXPECT_EQ(BitOr({INT_MIN, 1}), INT_MIN + 1);
    EXPECT_EQ(BitOr({-1, 0}), -1);
    EXPECT_EQ(BitOr({0, 0, 0}), 0);
}
