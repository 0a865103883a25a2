// TrimBothEnds and RemoveAllSpaces: the ASCII space and the full-width space A1 A1 are blanks.
#include "ValuePrinters.h"
#include "values/TextOperations.h"

#include <gtest/gtest.h>

namespace {

struct BlankCase {
    const char* text;
    const char* expected;
};

} // namespace

TEST(TrimBothEnds, CutsBlanksAtBothEndsOnly) {
    const BlankCase rows[] = {
        {"  x  ", "x"},
        {"x", "x"},
        {"a b", "a b"},
        {" a \xA1\xA1 b ", "a \xA1\xA1 b"},
        {"\tx ", "\tx"},
        {"\xA1\xA1x  ", "x"},
        {"x\xA1\xA1 \xA1\xA1", "x"},
        {"\r\nx\r\n", "\r\nx\r\n"},
        {"   ", ""},
        {"\xA1\xA1 \xA1\xA1", ""},
        {"", ""},
    };
    for (const BlankCase& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text));
        EXPECT_EQ(TrimBothEnds(row.text), Text(row.expected));
    }
}

TEST(TrimBothEnds, StepsByCharacterSoSecondBytesAreNoBlanks) {
    const BlankCase rows[] = {
        // D6 20 is one character whose second byte happens to be 0x20.
        {"\xD6 ", "\xD6 "},
        {" \xD6 ", "\xD6 "},
        // D6 A1 is one character, so the final A1 is a lone lead byte, not half a blank.
        {"x\xD6\xA1\xA1", "x\xD6\xA1"},
        {"\xD6\xD0  ", "\xD6\xD0"},
    };
    for (const BlankCase& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text));
        EXPECT_EQ(TrimBothEnds(row.text), Text(row.expected));
    }
}

TEST(TrimBothEnds, CutsALoneFinalLeadByteAndKeepsTheBlanksBeforeIt) {
    const BlankCase rows[] = {
        {"x  \xD6", "x  "}, {" x\xD6", "x"}, {"\xD6", ""}, {"  \xA1", ""}, {"x \xA1", "x "},
    };
    for (const BlankCase& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text));
        EXPECT_EQ(TrimBothEnds(row.text), Text(row.expected));
    }
}

TEST(RemoveAllSpaces, LeavesOutEveryBlankAndKeepsOtherWhiteSpace) {
    const BlankCase rows[] = {
        {"a = b; c", "a=b;c"},
        {"a = b;\r\n c", "a=b;\r\nc"},
        {"\ta\t", "\ta\t"},
        {"\xA1\xA1"
         "a\xA1\xA1"
         "b ",
         "ab"},
        {"   ", ""},
        {"", ""},
        // Second bytes are no blanks.
        {"\xD6 x", "\xD6 x"},
        {"\xD6\xA1\xA1", "\xD6\xA1"},
        {"\xD6\xD0 \xCE\xC4", "\xD6\xD0\xCE\xC4"},
    };
    for (const BlankCase& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text));
        EXPECT_EQ(RemoveAllSpaces(row.text), Text(row.expected));
    }
}

TEST(RemoveAllSpaces, LeavesOutALoneFinalLeadByte) {
    EXPECT_EQ(RemoveAllSpaces("a b\xD6"), Text("ab"));
    EXPECT_EQ(RemoveAllSpaces("\xD6"), Text(""));
    EXPECT_EQ(RemoveAllSpaces("\xD6\xD0\xD6"), Text("\xD6\xD0"));
}
