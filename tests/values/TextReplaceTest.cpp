// ReplaceSubtext: non-overlapping replacement from a start position, with a count limit.
#include "ValuePrinters.h"
#include "values/TextOperations.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr bool kCaseSensitive = true;
constexpr bool kIgnoreCase = false;
constexpr std::nullopt_t kOmitted = std::nullopt;

struct ReplaceCase {
    const char* text;
    const char* search;
    std::optional<Text> replacement;
    std::optional<int32_t> start;
    std::optional<int32_t> count;
    bool caseSensitive;
    const char* expected;
};

std::string Describe(const ReplaceCase& row) {
    return "text " + EscapedBytes(row.text) + ", search " + EscapedBytes(row.search) +
           ", replacement " +
           (row.replacement ? EscapedBytes(row.replacement->View()) : std::string("omitted")) +
           ", start " + Shown(row.start) + ", count " + Shown(row.count) +
           (row.caseSensitive ? ", exact" : ", ignoring case");
}

void ExpectReplacements(std::initializer_list<ReplaceCase> rows) {
    for (const ReplaceCase& row : rows) {
        SCOPED_TRACE(Describe(row));
        EXPECT_EQ(ReplaceSubtext(row.text, row.search, row.replacement, row.start, row.count,
                                 row.caseSensitive),
                  Text(row.expected));
    }
}

} // namespace

TEST(ReplaceSubtext, ReplacesEveryOccurrenceByDefault) {
    ExpectReplacements({
        {"ab/ab", "ab", Text(), kOmitted, kOmitted, kCaseSensitive, "/"},
        {"ab/ab", "ab", kOmitted, kOmitted, kOmitted, kCaseSensitive, "/"},
        {"a.b.c", ".", Text("::"), kOmitted, kOmitted, kCaseSensitive, "a::b::c"},
        {"x", "x", Text("yy"), kOmitted, kOmitted, kCaseSensitive, "yy"},
        {"abc", "x", Text("y"), kOmitted, kOmitted, kCaseSensitive, "abc"},
        {"ab", "abc", Text("y"), kOmitted, kOmitted, kCaseSensitive, "ab"},
    });
}

TEST(ReplaceSubtext, NeitherOverlapsNorRescansWhatItPutIn) {
    ExpectReplacements({
        {"aaaa", "aa", Text("b"), kOmitted, kOmitted, kCaseSensitive, "bb"},
        {"aaa", "aa", Text("b"), kOmitted, kOmitted, kCaseSensitive, "ba"},
        {"aa", "a", Text("aa"), kOmitted, kOmitted, kCaseSensitive, "aaaa"},
        {"abab", "ab", Text("ab-ab"), kOmitted, kOmitted, kCaseSensitive, "ab-abab-ab"},
    });
}

TEST(ReplaceSubtext, StopsAfterCountReplacements) {
    ExpectReplacements({
        {"aaaa", "aa", Text("b"), kOmitted, 1, kCaseSensitive, "baa"},
        {"a.b.c.d", ".", Text("-"), kOmitted, 2, kCaseSensitive, "a-b-c.d"},
        {"a.b.c.d", ".", Text("-"), kOmitted, 3, kCaseSensitive, "a-b-c-d"},
        {"a.b.c.d", ".", Text("-"), kOmitted, 9, kCaseSensitive, "a-b-c-d"},
        {"a.b.c.d", ".", Text("-"), kOmitted, INT_MAX, kCaseSensitive, "a-b-c-d"},
        {"a.b.c.d", ".", Text("-"), kOmitted, -1, kCaseSensitive, "a-b-c-d"},
        {"a.b.c.d", ".", Text("-"), kOmitted, INT_MIN, kCaseSensitive, "a-b-c-d"},
        {"a.b.c.d", ".", Text("-"), kOmitted, 0, kCaseSensitive, "a.b.c.d"},
    });
}

TEST(ReplaceSubtext, MatchesOnlyFromTheStartPositionOn) {
    ExpectReplacements({
        {"aaaa", "aa", Text("b"), 2, kOmitted, kCaseSensitive, "aba"},
        {"aaaa", "aa", Text("b"), 1, kOmitted, kCaseSensitive, "bb"},
        {"aaaa", "aa", Text("b"), 0, kOmitted, kCaseSensitive, "bb"},
        {"aaaa", "aa", Text("b"), INT_MIN, kOmitted, kCaseSensitive, "bb"},
        // An occurrence that begins before start is left even though it reaches past it.
        {"abab", "ab", Text("X"), 2, kOmitted, kCaseSensitive, "abX"},
        {"ab", "b", Text("x"), 2, kOmitted, kCaseSensitive, "ax"},
        {"ab", "b", Text("x"), 3, kOmitted, kCaseSensitive, "ab"},
        {"ab", "b", Text("x"), INT_MAX, kOmitted, kCaseSensitive, "ab"},
        {"a.b.c", ".", Text("-"), 3, 1, kCaseSensitive, "a.b-c"},
    });
}

TEST(ReplaceSubtext, ReturnsTheTextUnchangedForAnEmptyTextOrSearch) {
    ExpectReplacements({
        {"abc", "", Text("x"), kOmitted, kOmitted, kCaseSensitive, "abc"},
        {"", "a", Text("x"), kOmitted, kOmitted, kCaseSensitive, ""},
        {"", "", Text("x"), kOmitted, kOmitted, kCaseSensitive, ""},
    });
}

TEST(ReplaceSubtext, IgnoresTheCaseOfAsciiLettersWhenNotCaseSensitive) {
    ExpectReplacements({
        {"SET-COOKIE: x", "set-cookie", Text("Set-Cookie"), kOmitted, kOmitted, kIgnoreCase,
         "Set-Cookie: x"},
        {"SET-COOKIE: x", "set-cookie", Text("Set-Cookie"), kOmitted, kOmitted, kCaseSensitive,
         "SET-COOKIE: x"},
        {"aBc abc ABC", "ABC", Text("-"), kOmitted, kOmitted, kIgnoreCase, "- - -"},
        {"aBc abc ABC", "abc", Text("-"), kOmitted, kOmitted, kCaseSensitive, "aBc - ABC"},
        {"\x81\x41\x81\x61", "\x81\x61", Text("-"), kOmitted, kOmitted, kIgnoreCase, "\x81\x41-"},
    });
}

TEST(ReplaceSubtext, MatchesOnlyAtCharacterStarts) {
    ExpectReplacements({
        // D0 is the second byte of 中 (D6 D0) unless the scan starts on it.
        {"\xD6\xD0"
         "a",
         "\xD0"
         "a",
         Text("x"), kOmitted, kOmitted, kCaseSensitive,
         "\xD6\xD0"
         "a"},
        {"\xD6\xD0"
         "a",
         "\xD0"
         "a",
         Text("x"), 2, kOmitted, kCaseSensitive, "\xD6x"},
        {"\xC1"
         "aa",
         "a", Text("x"), kOmitted, kOmitted, kCaseSensitive,
         "\xC1"
         "ax"},
        {"\xD6\xD0\xCE\xC4", "\xCE\xC4", Text("x"), kOmitted, kOmitted, kCaseSensitive,
         "\xD6\xD0x"},
    });
}

TEST(ReplaceSubtext, LeavesOutALoneFinalLeadByteThatAOneByteSearchReaches) {
    ExpectReplacements({
        {"ab\xD6", "x", Text("y"), kOmitted, kOmitted, kCaseSensitive, "ab"},
        {"a\xD6", "a", Text("y"), kOmitted, kOmitted, kCaseSensitive, "y"},
        {"ab\xD6", "\xD6", Text("y"), kOmitted, kOmitted, kCaseSensitive, "aby"},
        // A longer search stops the scan before that byte, which is copied.
        {"ab\xD6", "xy", Text("z"), kOmitted, kOmitted, kCaseSensitive, "ab\xD6"},
        // After the last allowed replacement the rest is copied as it is.
        {"a.b\xD6", ".", Text("-"), kOmitted, 1, kCaseSensitive, "a-b\xD6"},
    });
}

TEST(ReplaceSubtext, LeavesItsInputsUnchanged) {
    Text text = "a-b";
    Text search = "-";
    std::optional<Text> replacement = Text("+");
    Text result = ReplaceSubtext(text, search, replacement, std::nullopt, std::nullopt, true);
    EXPECT_EQ(result, Text("a+b"));
    EXPECT_EQ(text, Text("a-b"));
    EXPECT_EQ(search, Text("-"));
    EXPECT_EQ(*replacement, Text("+"));
}
