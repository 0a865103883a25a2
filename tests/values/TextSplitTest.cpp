// SplitText: pieces between exact delimiter matches, with a limit on their number.
#include "ValuePrinters.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

constexpr std::nullopt_t kOmitted = std::nullopt;

struct SplitCase {
    const char* text;
    std::optional<Text> delimiter;
    std::optional<int32_t> maxCount;
    std::vector<Text> expected;
};

void ExpectSplits(std::initializer_list<SplitCase> rows) {
    for (const SplitCase& row : rows) {
        SCOPED_TRACE("text " + EscapedBytes(row.text) + ", delimiter " +
                     (row.delimiter ? EscapedBytes(row.delimiter->View()) : "omitted") +
                     ", maxCount " + Shown(row.maxCount));
        EXPECT_EQ(SplitText(row.text, row.delimiter, row.maxCount), TextList(row.expected));
    }
}

} // namespace

TEST(SplitText, KeepsEmptyPiecesButNoEmptyLastPiece) {
    ExpectSplits({
        {"a,,b,", Text(","), kOmitted, {"a", "", "b"}},
        {",a", Text(","), kOmitted, {"", "a"}},
        {",", Text(","), kOmitted, {""}},
        {",,", Text(","), kOmitted, {"", ""}},
        {"a,b,c", Text(","), kOmitted, {"a", "b", "c"}},
        {"abc", Text(","), kOmitted, {"abc"}},
        {"x=1; y=2", Text(";"), kOmitted, {"x=1", " y=2"}},
    });
}

TEST(SplitText, SplitsAtACommaWhenTheDelimiterIsOmitted) {
    ExpectSplits({
        {"a,b", kOmitted, kOmitted, {"a", "b"}},
        {"a;b", kOmitted, kOmitted, {"a;b"}},
    });
}

TEST(SplitText, GivesNoElementsForAnEmptyTextOrAZeroLimit) {
    ExpectSplits({
        {"", Text(","), kOmitted, {}},
        {"", Text(""), kOmitted, {}},
        {"a,b", Text(","), 0, {}},
        {"a,b", Text(","), -1, {}},
        {"a,b", Text(","), INT_MIN, {}},
    });
}

TEST(SplitText, GivesTheWholeTextForAnEmptyDelimiter) {
    ExpectSplits({
        {"abc", Text(""), kOmitted, {"abc"}},
        {"abc", Text(), 5, {"abc"}},
    });
}

TEST(SplitText, StopsAtMaxCountAndDropsTheRest) {
    ExpectSplits({
        {"a,b,c", Text(","), 2, {"a", "b"}},
        {"a,b,c", Text(","), 1, {"a"}},
        {"a,b,c", Text(","), 3, {"a", "b", "c"}},
        {"a,b,c", Text(","), INT_MAX, {"a", "b", "c"}},
        {"a,b", Text(","), 1, {"a"}},
        {"a,b", Text(","), 2, {"a", "b"}},
        {",,,", Text(","), 2, {"", ""}},
    });
}

TEST(SplitText, MatchesLongDelimitersExactlyAndNeverIgnoresCase) {
    ExpectSplits({
        {"a::b::", Text("::"), kOmitted, {"a", "b"}},
        {"a:::b", Text("::"), kOmitted, {"a", ":b"}},
        {"ab", Text("abc"), kOmitted, {"ab"}},
        {"aXbxc", Text("x"), kOmitted, {"aXb", "c"}},
        {"a\r\nb\r\n\r\nc", Text("\r\n"), kOmitted, {"a", "b", "", "c"}},
    });
}

TEST(SplitText, StepsByCharacterAndKeepsAFinalLeadByteInTheLastPiece) {
    ExpectSplits({
        // 81 2C is one character whose second byte is a comma.
        {"\x81,b", Text(","), kOmitted, {"\x81,b"}},
        {"a,\x81,b,c", Text(","), kOmitted, {"a", "\x81,b", "c"}},
        {"\xD6\xD0,\xCE\xC4", Text(","), kOmitted, {"\xD6\xD0", "\xCE\xC4"}},
        {"a,\xD6", Text(","), kOmitted, {"a", "\xD6"}},
        {"a\xD6", Text("\xD6"), kOmitted, {"a"}},
    });
}

TEST(SplitText, GivesEmptyPiecesThatReadAsEmptyTexts) {
    TextList pieces = SplitText("a,,b");
    ASSERT_EQ(ListSize(pieces), 3);
    EXPECT_TRUE(ListItem(pieces, 2).IsEmpty());
    EXPECT_EQ(CompareText(ListItem(pieces, 2), Text()), 0);
}
