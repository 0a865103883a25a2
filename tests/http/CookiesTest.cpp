// Cookie merging: the server's entries win and come first, deletion markers remove a name,
// byte-equal repeats collapse, and both texts lose their blanks.
#include "http/Cookies.h"
#include "http/DistinctPieces.h"

#include "../values/ValuePrinters.h"

#include <gtest/gtest.h>

namespace {

struct MergeCase {
    const char* cookies;
    const char* returnedCookies;
    const char* mergedCookies;
    const char* returnedAfter;
};

// clang-format off
const MergeCase kMergeCases[] = {
    // cookies before   returned before   cookies after      returned after
    {"x=9; a=0",         "a=1; b=2",       "a=1; b=2; x=9",   "a=1;b=2"},
    {"a=0; c=3",         "a=deleted",      "c=3",             "a=deleted"},
    {"a=deleted",        "",               "",                ""},
    {"a=1; a=2",         "",               "a=1",             ""},
    {"",                 "a=1; a=2",       "a=1; a=2",        "a=1;a=2"},
    {"",                 "a=1; a=1",       "a=1",             "a=1;a=1"},
    {"flag; a=1",        "b=2",            "b=2; flag; a=1",  "b=2"},
    {"a=0",              "A=1",            "A=1; a=0",        "A=1"},
    {"",                 "a=DELETED",      "a=DELETED",       "a=DELETED"},
    {"a=x=deleted",      "",               "",                ""},
    {"s = hello world",  "",               "s=helloworld",    ""},
    {"a=1;;b=2",         "",               "a=1; ; b=2",      ""},
    {"a=1;",             "",               "a=1",             ""},
    {"",                 "",               "",                ""},
    // More edges: the server's blanks go, the full-width blank too (A1 A1).
    {"",                 "k = v 1",        "k=v1",            "k=v1"},
    {"a=\xA1\xA1" "1",   "",               "a=1",             ""},
    // An entry that is only "=deleted" is a deletion marker too.
    {"=deleted; b=1",    "",               "b=1",             ""},
    // A name that starts with "=" is empty and names every other such entry.
    {"=x; =y",           "",               "=x",              ""},
    {"a=1",              "a=1",            "a=1",             "a=1"},
    {";",                "",               "",                ""},
    {"b=2",              ";a=1",           "; a=1; b=2",      ";a=1"},
};
// clang-format on

TEST(MergeCookies, MergesEachCaseIntoBothTexts) {
    for (const MergeCase& row : kMergeCases) {
        Text cookies(row.cookies);
        Text returnedCookies(row.returnedCookies);
        const Text result = MergeCookies(cookies, returnedCookies);
        SCOPED_TRACE(EscapedBytes(row.cookies) + " with " + EscapedBytes(row.returnedCookies));
        EXPECT_EQ(cookies, Text(row.mergedCookies));
        EXPECT_EQ(returnedCookies, Text(row.returnedAfter));
        EXPECT_EQ(result, Text(row.mergedCookies));
    }
}

TEST(MergeCookies, ReturnsACopyThatOutlivesTheCallersText) {
    Text cookies("a=1");
    Text returnedCookies("b=2");
    const Text result = MergeCookies(cookies, returnedCookies);
    cookies = Text("changed");
    EXPECT_EQ(result, Text("b=2; a=1"));
}

struct NameCase {
    const char* entry;
    const char* name;
};

const NameCase kNameCases[] = {
    {"a=1", "a"},   {" a = 1", "a"}, {"flag", "flag"}, {" flag ", "flag"}, {"=x", ""},
    {"a=b=c", "a"}, {"", ""},        {"A=1", "A"},     {"\tn=1", "\tn"},
};

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEqualsSign) {
    for (const NameCase& row : kNameCases)
        EXPECT_EQ(CookieName(Text(row.entry)), Text(row.name)) << EscapedBytes(row.entry);
}

TextList ListOf(std::initializer_list<const char*> elements) {
    TextList list;
    for (const char* element : elements)
        ListAppend(list, Text(element));
    return list;
}

TEST(CookieNameListed, FindsANameAmongTheEntriesNames) {
    const TextList list = ListOf({"a=1", " b =2", "flag", "=x"});
    EXPECT_TRUE(CookieNameListed(list, Text("a")));
    EXPECT_TRUE(CookieNameListed(list, Text("b")));
    EXPECT_TRUE(CookieNameListed(list, Text("flag")));
    EXPECT_TRUE(CookieNameListed(list, Text("")));
    EXPECT_FALSE(CookieNameListed(list, Text("A")));
    EXPECT_FALSE(CookieNameListed(list, Text("a=1")));
    EXPECT_FALSE(CookieNameListed(TextList(), Text("")));
}

struct PiecesCase {
    const char* text;
    const char* separator;
    const char* expected;
};

const PiecesCase kPiecesCases[] = {
    {"a; b; a", "; ", "a; b"},        {"a;a;a", ";", "a"},
    {"a; A", "; ", "a; A"},           {"", "; ", ""},
    {"a; ; b; ", "; ", "a; ; b"},     {"; a; ", "; ", "; a"},
    {"b; a; b; a", "; ", "b; a"},     {"abc", "", "abc"},
    {"x=1; x=1 ", "; ", "x=1; x=1 "},
};

TEST(RemoveDuplicatePieces, KeepsTheFirstOfEachPieceInOrder) {
    for (const PiecesCase& row : kPiecesCases) {
        EXPECT_EQ(RemoveDuplicatePieces(Text(row.text), Text(row.separator)), Text(row.expected))
            << EscapedBytes(row.text) << " at " << EscapedBytes(row.separator);
    }
}

TEST(IndexOfText, GivesTheFirstEqualEntryOrMinusOne) {
    const TextList list = ListOf({"x", "y", "x", ""});
    EXPECT_EQ(IndexOfText(list, Text("x")), 1);
    EXPECT_EQ(IndexOfText(list, Text("y")), 2);
    EXPECT_EQ(IndexOfText(list, Text("")), 4);
    EXPECT_EQ(IndexOfText(list, Text("X")), -1);
    EXPECT_EQ(IndexOfText(list, Text("x ")), -1);
    EXPECT_EQ(IndexOfText(TextList(), Text("")), -1);
}

} // namespace
