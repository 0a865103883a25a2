// FindText and FindTextReverse: windows, empty search texts, character steps and case.
#include "ValuePrinters.h"
#include "values/TextOperations.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr bool kExact = false;
constexpr bool kIgnoreCase = true;
constexpr std::nullopt_t kWhole = std::nullopt;

struct SearchCase {
    const char* text;
    const char* sub;
    std::optional<int32_t> start;
    bool ignoreCase;
    int32_t expected;
};

std::string Describe(const SearchCase& row) {
    return "text " + EscapedBytes(row.text) + ", sub " + EscapedBytes(row.sub) + ", start " +
           Shown(row.start) + (row.ignoreCase ? ", ignoring case" : ", exact");
}

void ExpectSearches(int32_t (*search)(const Text&, const Text&, std::optional<int32_t>, bool),
                    std::initializer_list<SearchCase> rows) {
    for (const SearchCase& row : rows) {
        SCOPED_TRACE(Describe(row));
        EXPECT_EQ(search(row.text, row.sub, row.start, row.ignoreCase), row.expected);
    }
}

} // namespace

TEST(FindText, FindsTheFirstMatchAsAPositionInTheWholeText) {
    ExpectSearches(FindText, {
                                 {"abcabc", "bc", kWhole, kExact, 2},
                                 {"abcabc", "bc", 3, kExact, 5},
                                 {"abcabc", "bc", 5, kExact, 5},
                                 {"abcabc", "bc", 6, kExact, -1},
                                 {"xxab", "ab", kWhole, kExact, 3},
                                 {"ab", "ab", kWhole, kExact, 1},
                                 {"ab", "abc", kWhole, kExact, -1},
                                 {"abc", "x", kWhole, kExact, -1},
                                 {"", "a", kWhole, kExact, -1},
                             });
}

TEST(FindText, ClampsTheStartPosition) {
    ExpectSearches(FindText, {
                                 {"abc", "c", 3, kExact, 3},
                                 {"abc", "c", 0, kExact, 3},
                                 {"abc", "c", -1, kExact, 3},
                                 {"abc", "c", INT_MIN, kExact, 3},
                                 {"abc", "c", 4, kExact, -1},
                                 {"abc", "c", INT_MAX, kExact, -1},
                                 {"abc", "ab", 2, kExact, -1},
                             });
}

TEST(FindText, FindsAnEmptySubAtOneWheneverTheWindowHasBytes) {
    ExpectSearches(FindText, {
                                 {"ab", "", kWhole, kExact, 1},
                                 {"ab", "", 2, kExact, 1},
                                 {"ab", "", 3, kExact, -1},
                                 {"", "", kWhole, kExact, -1},
                                 {"", "", 1, kExact, -1},
                             });
}

TEST(FindText, IgnoresCaseOnlyForAsciiLettersWhenAsked) {
    ExpectSearches(FindText,
                   {
                       {"Charset=GBK", "charset=gbk", kWhole, kExact, -1},
                       {"Charset=GBK", "charset=gbk", kWhole, kIgnoreCase, 1},
                       {"x: CONTENT-ENCODING", "content-Encoding", kWhole, kIgnoreCase, 4},
                       {"zZ", "Z", kWhole, kExact, 2},
                       {"zZ", "Z", kWhole, kIgnoreCase, 1},
                       // 0x5B '[' and 0x7B '{' differ by 0x20 but are no letters.
                       {"[", "{", kWhole, kIgnoreCase, -1},
                       {"@", "`", kWhole, kIgnoreCase, -1},
                       // 0xC1 and 0xE1 differ by 0x20 too: lead bytes compare exactly.
                       {"\xC1\xA1", "\xE1\xA1", kWhole, kIgnoreCase, -1},
                       // 81 41 and 81 61 are two different characters.
                       {"\x81\x41", "\x81\x61", kWhole, kIgnoreCase, -1},
                       {"\x81\x41", "\x81\x41", kWhole, kIgnoreCase, 1},
                       {"A\x81\x41"
                        "B",
                        "a\x81\x41"
                        "b",
                        kWhole, kIgnoreCase, 1},
                   });
}

TEST(FindText, StartsMatchesOnlyAtCharacterStarts) {
    // 中 is D6 D0 and 文 is CE C4.
    ExpectSearches(FindText, {
                                 {"\xD6\xD0\xCE\xC4", "\xD0\xCE", kWhole, kExact, -1},
                                 {"\xD6\xD0\xCE\xC4", "\xD0\xCE", 2, kExact, 2},
                                 {"\xD6\xD0\xCE\xC4", "\xCE\xC4", kWhole, kExact, 3},
                                 {"\xD6\xD0\xCE\xC4", "\xCE", kWhole, kExact, 3},
                                 // A second byte in the ASCII range is no character of its own.
                                 {"\x81"
                                  "a"
                                  "a",
                                  "a", kWhole, kExact, 3},
                                 {"\x81"
                                  "a",
                                  "a", kWhole, kExact, -1},
                                 // From the second byte, D0 leads a character with 'a'.
                                 {"\xD6\xD0"
                                  "a"
                                  "\xD6",
                                  "a", 2, kExact, -1},
                                 {"\xD6\xD0"
                                  "a"
                                  "\xD6",
                                  "\xD6", 2, kExact, 4},
                                 // A match may end inside a two-byte character.
                                 {"a\xD6\xD0", "a\xD6", kWhole, kExact, 1},
                             });
}

TEST(FindText, TriesALoneFinalLeadByteOnce) {
    ExpectSearches(FindText, {
                                 {"ab\xD6", "\xD6", kWhole, kExact, 3},
                                 {"ab\xD6", "x", kWhole, kExact, -1},
                                 {"ab\xD6", "\xD6", 3, kExact, 3},
                                 {"\xD6", "\xD6", kWhole, kExact, 1},
                                 {"\xD6\xD0\xD6", "\xD0", kWhole, kExact, -1},
                             });
}

TEST(FindTextReverse, FindsTheLastMatchThatEndsBeforeStart) {
    ExpectSearches(FindTextReverse, {
                                        {"a.b.c", ".", kWhole, kExact, 4},
                                        {"a.b.c", ".", 4, kExact, 2},
                                        {"a.b.c", ".", 2, kExact, -1},
                                        {"a.b.c", ".", 1, kExact, -1},
                                        {"a.b.c", ".", 0, kExact, -1},
                                        {"a.b.c", ".", INT_MIN, kExact, -1},
                                        {"a.b.c", ".", 5, kExact, 4},
                                        {"a.b.c", ".", 6, kExact, 4},
                                        {"a.b.c", ".", INT_MAX, kExact, 4},
                                        {"a.b.", ".", kWhole, kExact, 4},
                                        {"a.b.", ".", 4, kExact, 2},
                                        {"abab", "ab", 4, kExact, 1},
                                        {"abab", "ab", 5, kExact, 3},
                                        {"abc", "x", kWhole, kExact, -1},
                                        {"ab", "abc", kWhole, kExact, -1},
                                    });
}

TEST(FindTextReverse, CountsOverlappingMatches) {
    ExpectSearches(FindTextReverse, {
                                        {"aaa", "aa", kWhole, kExact, 2},
                                        {"aaa", "aa", 3, kExact, 1},
                                        {"aaa", "aa", 2, kExact, -1},
                                    });
}

TEST(FindTextReverse, FindsAnEmptySubAtOneWheneverTheWindowHasBytes) {
    ExpectSearches(FindTextReverse, {
                                        {"ab", "", kWhole, kExact, 1},
                                        {"ab", "", 2, kExact, 1},
                                        {"ab", "", 9, kExact, 1},
                                        {"ab", "", 1, kExact, -1},
                                        {"", "", kWhole, kExact, -1},
                                    });
}

TEST(FindTextReverse, IgnoresCaseOnlyWhenAsked) {
    ExpectSearches(FindTextReverse, {
                                        {"aXbx", "x", kWhole, kExact, 4},
                                        {"aXbx", "X", kWhole, kExact, 2},
                                        {"axbX", "x", kWhole, kIgnoreCase, 4},
                                        {"\x81\x41"
                                         "a",
                                         "\x81\x61", kWhole, kIgnoreCase, -1},
                                    });
}

TEST(FindTextReverse, StepsByCharacterFromTheFirstByte) {
    ExpectSearches(FindTextReverse, {
                                        {"\xD6\xD0", "\xD0", kWhole, kExact, -1},
                                        {"\xD6\xD0\xD0", "\xD0", kWhole, kExact, 3},
                                        {"\x81"
                                         "a",
                                         "a", kWhole, kExact, -1},
                                        {"a\x81"
                                         "a",
                                         "a", kWhole, kExact, 1},
                                        // The window may end inside a character; a match must
                                        // lie wholly inside it.
                                        {"a\xD6\xD0", "\xD6", 3, kExact, 2},
                                        {"a\xD6\xD0", "\xD6\xD0", 3, kExact, -1},
                                        {"a\xD6\xD0", "\xD6\xD0", 4, kExact, 2},
                                        // A lone final lead byte is still tried.
                                        {"a\xD6", "\xD6", kWhole, kExact, 2},
                                        {"\xD6"
                                         "a\xD6",
                                         "\xD6", kWhole, kExact, 3},
                                    });
}

TEST(FindTextReverse, WalksOccurrencesRightToLeftWhenFedItsOwnResults) {
    Text text = "k=1; k=2; k=3";
    std::vector<int32_t> found;
    for (int32_t position = FindTextReverse(text, "k="); position != -1;
         position = FindTextReverse(text, "k=", position))
        found.push_back(position);
    EXPECT_EQ(found, (std::vector<int32_t>{11, 6, 1}));
}
