// ToLowerCase: only one-byte A to Z change.
#include "ValuePrinters.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <gtest/gtest.h>

TEST(ToLowerCase, LowersOnlyAsciiLettersAndKeepsTwoByteCharacters) {
    const struct {
        const char* text;
        const char* expected;
    } rows[] = {
        {"ABC/\xD6\xD0", "abc/\xD6\xD0"},
        {"Content-Encoding: GZIP", "content-encoding: gzip"},
        {"AZaz09", "azaz09"},
        // Neighbours of A and Z, and of a and z, stay.
        {"@[`{", "@[`{"},
        // A second byte in A to Z belongs to its character and stays.
        {"\x81\x41Z", "\x81\x41z"},
        {"\xC1"
         "AB",
         "\xC1"
         "Ab"},
        // A full-width Ａ (A3 C1) is no ASCII letter.
        {"\xA3\xC1", "\xA3\xC1"},
        // A lone final lead byte stays.
        {"A\xC1", "a\xC1"},
        {"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.text));
        Text lowered = ToLowerCase(row.text);
        EXPECT_EQ(lowered, Text(row.expected));
        EXPECT_EQ(TextLength(lowered), TextLength(row.text));
    }
}

TEST(ToLowerCase, LeavesItsInputUnchanged) {
    Text text = "ABC";
    Text lowered = ToLowerCase(text);
    EXPECT_EQ(text, Text("ABC"));
    EXPECT_EQ(lowered, Text("abc"));
}
