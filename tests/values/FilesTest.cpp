// FileExists, WriteFileBytes and RunDirectory against a scratch directory.
#include "values/Files.h"
#include "ValuePrinters.h"
#include "values/Values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <unistd.h>

namespace {

// A fresh directory for one test, removed with everything in it afterwards.
class ScratchDirectory : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "values-files-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_path = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }

    Text PathOf(const std::string& name) const { return Text(m_path + "/" + name); }
    const std::string& Directory() const { return m_path; }

    static std::string ReadWhole(const Text& path) {
        std::ifstream in(path.CString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string m_path;
};

using FileExistsTest = ScratchDirectory;
using WriteFileBytesTest = ScratchDirectory;

} // namespace

TEST_F(FileExistsTest, FindsFilesDirectoriesAndMatchingPatterns) {
    ASSERT_TRUE(WriteFileBytes(PathOf("gzip.dll"), Bytes("MZ")));
    ASSERT_TRUE(WriteFileBytes(PathOf("notes.txt"), Bytes()));
    const struct {
        Text path;
        bool expected;
    } rows[] = {
        {PathOf("gzip.dll"), true},
        {PathOf("notes.txt"), true},
        {Text(Directory()), true},
        {PathOf("missing.dll"), false},
        {PathOf("missing/gzip.dll"), false},
        {PathOf("*.dll"), true},
        {PathOf("gzip.*"), true},
        {PathOf("gz?p.dll"), true},
        {PathOf("*"), true},
        {PathOf("*.exe"), false},
        {PathOf("gzip?.dll"), false},
        {PathOf("missing/*"), false},
        {Text(), false},
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EscapedBytes(row.path.View()));
        EXPECT_EQ(FileExists(row.path), row.expected);
    }
}

TEST_F(WriteFileBytesTest, ReplacesTheWholeContentOfAnExistingFile) {
    Text path = PathOf("gzip.dll");
    ASSERT_TRUE(WriteFileBytes(path, Bytes(std::string(5000, 'x'))));
    ASSERT_TRUE(WriteFileBytes(path, Bytes("short")));
    EXPECT_EQ(ReadWhole(path), "short");
    ASSERT_TRUE(WriteFileBytes(path, Bytes()));
    EXPECT_EQ(ReadWhole(path), "");
    EXPECT_TRUE(FileExists(path));
}

TEST_F(WriteFileBytesTest, WritesEveryNonEmptyPieceInOrderNulsIncluded) {
    Text path = PathOf("pieces.bin");
    Bytes first(std::string_view("a\0b", 3));
    Bytes empty;
    Bytes last("\xFF"
               "c");
    ASSERT_TRUE(WriteFileBytes(path, {&first, &empty, &last}));
    EXPECT_EQ(ReadWhole(path), std::string("a\0b\xFF"
                                           "c",
                                           5));
}

TEST_F(WriteFileBytesTest, FailsForAnEmptyPathOrAPlaceThatCannotHoldTheFile) {
    EXPECT_FALSE(WriteFileBytes(Text(), Bytes("x")));
    EXPECT_FALSE(WriteFileBytes("", Bytes("x")));
    // These fail for every user, root included.
    EXPECT_FALSE(WriteFileBytes(PathOf("missing/gzip.dll"), Bytes("x")));
    EXPECT_FALSE(WriteFileBytes(Text(Directory()), Bytes("x")));
    EXPECT_FALSE(FileExists(PathOf("missing")));
}

TEST(RunDirectory, IsTheExecutablesDirectoryWithoutATrailingSeparator) {
    char executable[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", executable, sizeof executable - 1), 0);
    std::string expected(executable);
    expected.resize(expected.rfind('/'));
    EXPECT_EQ(RunDirectory(), Text(expected));
    EXPECT_NE(RunDirectory().View().back(), '/');
    EXPECT_TRUE(FileExists(ConcatText(RunDirectory(), kPathSeparator, "*")));
}
