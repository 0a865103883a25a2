// FileExists, WriteFileBytes, RunDirectory and InitialiseProcess on the Windows calls,
// against a scratch directory.
#include "values/Files.h"
#include "values/Values.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// 乗 in GBK: its second byte is 0x5C, the byte of "\".
const std::string kCharacterEndingInBackslash = "\x81\x5C";

// A fresh directory for one test, removed with everything in it afterwards.
class ScratchDirectory : public testing::Test {
protected:
    void SetUp() override {
        char temporary[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(sizeof temporary, temporary), 0u);
        m_path = std::string(temporary) + "values-files-" +
                 std::to_string(::GetCurrentProcessId()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(::CreateDirectoryA(m_path.c_str(), nullptr)) << ::GetLastError();
    }
    void TearDown() override { RemoveTree(m_path); }

    Text PathOf(const std::string& name) const { return Text(m_path + "\\" + name); }
    const std::string& Directory() const { return m_path; }

    static std::string ReadWhole(const Text& path) {
        std::ifstream in(path.CString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    static void RemoveTree(const std::string& directory) {
        WIN32_FIND_DATAA entry;
        HANDLE search = ::FindFirstFileA((directory + "\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = entry.cFileName;
                if (name == "." || name == "..")
                    continue;
                std::string path = directory + "\\" + name;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    ::DeleteFileA(path.c_str());
            } while (::FindNextFileA(search, &entry));
            ::FindClose(search);
        }
        ::RemoveDirectoryA(directory.c_str());
    }

    std::string m_path;
};

using FileExistsTest = ScratchDirectory;
using WriteFileBytesTest = ScratchDirectory;

// Closes the handle when the test is done with it.
struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() { ::CloseHandle(handle); }
};

} // namespace

TEST(PathSeparator, IsTheBackslash) {
    EXPECT_STREQ(kPathSeparator, "\\");
}

TEST_F(FileExistsTest, FindsFilesDirectoriesAndMatchingPatterns) {
    ASSERT_TRUE(WriteFileBytes(PathOf("gzip.dll"), Bytes("MZ")));
    ASSERT_TRUE(WriteFileBytes(PathOf("notes.txt"), Bytes()));
    const struct {
        Text path;
        bool expected;
    } rows[] = {
        {PathOf("gzip.dll"), true},
        {PathOf("GZIP.DLL"), true},
        {PathOf("notes.txt"), true},
        {Text(Directory()), true},
        {PathOf("missing.dll"), false},
        {PathOf("missing\\gzip.dll"), false},
        {PathOf("*.dll"), true},
        {PathOf("gzip.*"), true},
        {PathOf("gz?p.dll"), true},
        {PathOf("*"), true},
        {PathOf("*.exe"), false},
        {PathOf("missing\\*"), false},
        {Text(), false},
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.CString());
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
    EXPECT_FALSE(WriteFileBytes(PathOf("missing\\gzip.dll"), Bytes("x")));
    EXPECT_FALSE(WriteFileBytes(Text(Directory()), Bytes("x")));
    EXPECT_FALSE(FileExists(PathOf("missing")));
}

TEST_F(WriteFileBytesTest, FailsWithoutWritingWhileAnotherHandleHoldsTheFileUnshared) {
    Text path = PathOf("gzip.dll");
    ASSERT_TRUE(WriteFileBytes(path, Bytes("before")));
    {
        HandleCloser reader{::CreateFileA(path.CString(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr)};
        ASSERT_NE(reader.handle, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(WriteFileBytes(path, Bytes("after")));
    }
    EXPECT_EQ(ReadWhole(path), "before");
    EXPECT_TRUE(WriteFileBytes(path, Bytes("after")));
    EXPECT_EQ(ReadWhole(path), "after");
}

TEST_F(WriteFileBytesTest, TakesPathsInTheGbkCodePageWhereASecondByteIsABackslash) {
    if (::GetACP() != 936)
        GTEST_SKIP() << "the system's ANSI code page is " << ::GetACP() << ", not GBK";
    std::string folder = Directory() + "\\" + kCharacterEndingInBackslash;
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << ::GetLastError();
    Text path(folder + "\\" + kCharacterEndingInBackslash + ".dll");
    ASSERT_TRUE(WriteFileBytes(path, Bytes("MZ")));
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(FileExists(Text(folder + "\\*.dll")));
    EXPECT_EQ(ReadWhole(path), "MZ");
}

TEST(RunDirectory, IsTheExecutablesDirectoryWithoutATrailingSeparator) {
    char executable[MAX_PATH * 4] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, executable, sizeof executable), 0u);
    std::string expected(executable);
    expected.resize(expected.rfind('\\'));
    EXPECT_EQ(RunDirectory(), Text(expected));
    EXPECT_NE(RunDirectory().View().back(), '\\');
    EXPECT_TRUE(FileExists(ConcatText(RunDirectory(), kPathSeparator, "*.exe")));
}

TEST(InitialiseProcess, MakesTheRunDirectoryTheCurrentDirectory) {
    char elsewhere[MAX_PATH + 1] = {};
    ASSERT_GT(::GetTempPathA(sizeof elsewhere, elsewhere), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryA(elsewhere));
    InitialiseProcess();
    char current[MAX_PATH * 4] = {};
    ASSERT_GT(::GetCurrentDirectoryA(sizeof current, current), 0u);
    EXPECT_EQ(Text(current), RunDirectory());
}
