// Conversions between UTF-8 literals and the system's GBK texts.
#include "values/Gbk.h"
#include "ValuePrinters.h"

#include <gtest/gtest.h>

namespace {

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

} // namespace

TEST(Gbk, EncodesChineseAsTwoBytesAndAsciiAsOne) {
    const struct {
        const char8_t* utf8;
        const char* gbk;
    } rows[] = {
        {u8"中", "\xD6\xD0"},
        {u8"中文", "\xD6\xD0\xCE\xC4"},
        {u8"中a", "\xD6\xD0"
                  "a"},
        {u8"检测", "\xBC\xEC\xB2\xE2"},
        {u8"！", "\xA3\xA1"},
        {u8"\u3000", "\xA1\xA1"},
        {u8"plain", "plain"},
        {u8"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Utf8(row.utf8));
        EXPECT_EQ(Gbk(row.utf8), Text(row.gbk));
        EXPECT_EQ(Utf8FromGbk(row.gbk), Utf8(row.utf8));
    }
}

TEST(Gbk, RoundTripsTheSystemsOwnTexts) {
    for (const char8_t* text :
         {u8"检测...", u8"未知！", u8"错误", u8"数组成员引用下标超出定义范围", u8"压缩率：42%"}) {
        SCOPED_TRACE(Utf8(text));
        EXPECT_EQ(Utf8FromGbk(Gbk(text).View()), Utf8(text));
    }
}

TEST(Gbk, PutsAQuestionMarkForEachCharacterOutsideGbk) {
    EXPECT_EQ(Gbk(u8"a😀b"), Text("a?b"));
    EXPECT_EQ(Gbk(u8"😀😀"), Text("??"));
    EXPECT_EQ(Gbk(u8"中😀文"), Text("\xD6\xD0?\xCE\xC4"));
}

TEST(Utf8FromGbk, PutsAReplacementCharacterForBytesThatAreNotGbk) {
    EXPECT_EQ(Utf8FromGbk("a\xD6"), Utf8(u8"a\uFFFD"));
    // A byte from 0x80 takes the byte after it into its character, as everywhere.
    EXPECT_EQ(Utf8FromGbk("\xFF"
                          "ab"),
              Utf8(u8"\uFFFDb"));
}
