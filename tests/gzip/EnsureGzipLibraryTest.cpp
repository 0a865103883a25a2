// Writing gzip.dll when it is missing, and only then. This program has a directory of its
// own, so removing and replacing the file beside it disturbs no other test program.
#include "gzip/EnsureGzipLibrary.h"
#include "GzipFixtures.h"
#include "SameBytesAssertion.h"
#include "gzip/GzipLibraryImage.h"
#include "values/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Image() {
    return std::string(GzipLibraryImage().View());
}

void WriteFile(const fs::path& path, std::string_view content) {
    std::ofstream(path, std::ios::binary) << content;
}

// A fresh directory for one test, removed with everything in it afterwards.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (fs::temp_directory_path() / "gzip-provision-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    fs::path m_path;
};

Text AsText(const fs::path& path) {
    return Text(path.string());
}

TEST(EnsureGzipLibraryAt, WritesTheImageWhenTheFileIsMissing) {
    ScratchDirectory directory;
    fs::path library = directory.Path() / "gzip.dll";
    EnsureGzipLibraryAt(AsText(library));
    EXPECT_TRUE(Same(FileContent(library.c_str()), Image()));
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"gzip.dll"}) << "no file left aside";
}

TEST(EnsureGzipLibraryAt, LeavesAnExistingFileAsItIs) {
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {{"Foreign", "some other library"},
                 {"Empty", ""},
                 {"Truncated", "\x7F"
                               "ELF"}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ScratchDirectory directory;
        fs::path library = directory.Path() / "gzip.dll";
        WriteFile(library, row.content);
        EnsureGzipLibraryAt(AsText(library));
        EXPECT_EQ(FileContent(library.c_str()), row.content);
    }
}

TEST(EnsureGzipLibraryAt, LeavesADirectoryOfThatNameAlone) {
    ScratchDirectory directory;
    fs::path library = directory.Path() / "gzip.dll";
    fs::create_directory(library);
    EnsureGzipLibraryAt(AsText(library));
    EXPECT_TRUE(fs::is_directory(library));
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"gzip.dll"});
}

// Runs as root, which ignores permission bits; these places stay unwritable even so.
TEST(EnsureGzipLibraryAt, ReturnsQuietlyWhenTheDirectoryCannotBeWritten) {
    ScratchDirectory directory;
    WriteFile(directory.Path() / "plain-file", "x");
    struct Case {
        const char* name;
        fs::path library;
    } cases[] = {
        {"NoSuchDirectory", directory.Path() / "missing" / "gzip.dll"},
        {"ParentIsAFile", directory.Path() / "plain-file" / "gzip.dll"},
        {"ProcFileSystem", "/proc/self/gzip.dll"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EnsureGzipLibraryAt(AsText(row.library));
        EXPECT_FALSE(fs::exists(row.library));
    }
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"plain-file"});
}

TEST(EnsureGzipLibraryAt, ThreadsRacingForAMissingFileLeaveItWhole) {
    ScratchDirectory directory;
    fs::path library = directory.Path() / "gzip.dll";
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&library] { EnsureGzipLibraryAt(AsText(library)); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(Same(FileContent(library.c_str()), Image()));
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"gzip.dll"});
}

// The one test here that touches the file beside this program.
TEST(EnsureGzipLibrary, WritesBesideTheProgramOnlyWhenMissing) {
    fs::path library = fs::path(std::string(RunDirectory().View())) / "gzip.dll";
    fs::remove(library);
    EnsureGzipLibrary();
    EXPECT_TRUE(Same(FileContent(library.c_str()), Image()));
    WriteFile(library, "replaced by someone");
    EnsureGzipLibrary();
    EXPECT_EQ(FileContent(library.c_str()), "replaced by someone");
    fs::remove(library);
}

} // namespace
