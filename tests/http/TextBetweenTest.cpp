// TextBetween: the cut between two markers, its optional start and case rule, and the quote
// token that stands for a double quote in a marker.
#include "http/TextBetween.h"

#include "../values/ValuePrinters.h"
#include "values/Gbk.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// "#引号" in GBK, byte for byte.
const char* const kQuoteToken = "\x23\xD2\xFD\xBA\xC5";

struct BetweenCase {
    const char* text;
    std::string leftMarker;
    std::string rightMarker;
    std::optional<int32_t> start;
    std::optional<bool> ignoreCase;
    const char* expected;
};

const BetweenCase kBetweenCases[] = {
    {"Set-Cookie: a=1; path=/", "Set-Cookie:", ";", std::nullopt, std::nullopt, " a=1"},
    {"aXbaYb", "a", "b", 2, std::nullopt, "Y"},
    {"aXb", "A", "b", std::nullopt, true, "X"},
    {"aXb", "A", "b", std::nullopt, std::nullopt, ""},
    {"aXb", "A", "b", std::nullopt, false, ""},
    {"aXB", "a", "b", std::nullopt, true, "X"},
    // The right marker is looked for only after the left one.
    {"bXaYb", "a", "b", std::nullopt, std::nullopt, "Y"},
    {"aXbaYb", "a", "b", 1, std::nullopt, "X"},
    {"aXbaYb", "a", "b", 0, std::nullopt, "X"},
    {"aXbaYb", "a", "b", -5, std::nullopt, "X"},
    {"aXbaYb", "a", "b", 5, std::nullopt, ""},
    {"ab", "a", "b", std::nullopt, std::nullopt, ""},
    {"aXc", "a", "b", std::nullopt, std::nullopt, ""},
    {"Xb", "a", "b", std::nullopt, std::nullopt, ""},
    {"", "a", "b", std::nullopt, std::nullopt, ""},
    // An empty right marker always gives an empty text.
    {"aXb", "a", "", std::nullopt, std::nullopt, ""},
    // An empty left marker is found at 1 while the start lies within the text.
    {"abc;d", "", ";", std::nullopt, std::nullopt, "abc"},
    {"abc;d", "", ";", 3, std::nullopt, "abc"},
    {"abc;d", "", ";", 6, std::nullopt, ""},
    {"aXb", "a", "b", 4, std::nullopt, ""},
    {"aXb", "a", "b", 100, std::nullopt, ""},
    // The quote token stands for a double quote in either marker.
    {"say \"hello\" now", kQuoteToken, kQuoteToken, std::nullopt, std::nullopt, "hello"},
    {"x=\"v\";", kQuoteToken, ";", std::nullopt, std::nullopt, "v\""},
    {"name=\"v\" rest", "name=" + std::string(kQuoteToken), kQuoteToken, std::nullopt, std::nullopt,
     "v"},
    {"a##b", "#", "#", std::nullopt, std::nullopt, ""},
    {"say \"hello\"", "#", "#", std::nullopt, std::nullopt, ""},
};

TEST(TextBetween, GivesTheTextBetweenTheMarkersOfEachCase) {
    for (const BetweenCase& row : kBetweenCases) {
        const Text result = TextBetween(Text(row.text), Text(row.leftMarker), Text(row.rightMarker),
                                        row.start, row.ignoreCase);
        EXPECT_EQ(result, Text(row.expected))
            << "text " << EscapedBytes(row.text) << ", markers " << EscapedBytes(row.leftMarker)
            << " " << EscapedBytes(row.rightMarker) << ", start "
            << (row.start ? std::to_string(*row.start) : "omitted");
    }
}

TEST(TextBetween, QuoteTokenIsTheGbkTextOfNumberSignAndQuotationMark) {
    EXPECT_EQ(Gbk(u8"#引号"), Text(kQuoteToken));
    const Text text("<\"q\">");
    EXPECT_EQ(TextBetween(text, Gbk(u8"#引号"), Gbk(u8"#引号")), Text("q"));
}

TEST(TextBetween, MarkerWithoutTheWholeTokenStaysAsItIs) {
    // The first three bytes of the token only: "#" and the first character.
    const Text partial(std::string_view(kQuoteToken, 3));
    const Text text(std::string("a") + std::string(kQuoteToken, 3) + "X\"b");
    EXPECT_EQ(TextBetween(text, partial, Text("\"")), Text("X"));
}

TEST(TextBetween, MatchesAMarkerOnlyAtACharacterStart) {
    // 0xD6 0xD0 0xCE 0xC4: a marker made of the middle bytes is not found across characters.
    const Text text("\xD6\xD0\xCE\xC4x");
    EXPECT_EQ(TextBetween(text, Text("\xD0\xCE"), Text("x")), Text());
    EXPECT_EQ(TextBetween(text, Text("\xD6\xD0"), Text("x")), Text("\xCE\xC4"));
}

} // namespace
