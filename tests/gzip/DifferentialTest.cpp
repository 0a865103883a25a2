// GunzipBody against zlib's own one-shot inflate, over real and generated data at many
// sizes, levels and strategies.
#include "GzipFixtures.h"
#include "gzip/EnsureGzipLibrary.h"
#include "gzip/GunzipBody.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <zlib.h>

namespace {

struct Corpus {
    const char* name;
    std::function<std::string(size_t length)> make;
};

void PrintTo(const Corpus& row, std::ostream* out) {
    *out << row.name;
}

const std::string& Executable() {
    static const std::string bytes = FileContent("/proc/self/exe");
    return bytes;
}

const std::string& CompressedExecutable() {
    static const std::string bytes = GzipMember(Executable(), 9);
    return bytes;
}

// Real text (a C header), a real binary (this test program), generated markup, noise,
// and data that is already compressed.
const Corpus kCorpora[] = {
    {"CHeader", [](size_t length) { return RepeatedTo(FileContent(ZLIB_HEADER_PATH), length); }},
    {"Executable", [](size_t length) { return RepeatedTo(Executable(), length); }},
    {"HtmlLike", [](size_t length) { return HtmlLikeText(length, 23); }},
    {"Random", [](size_t length) { return RandomBytes(length, 29); }},
    {"AlreadyCompressed", [](size_t length) { return RepeatedTo(CompressedExecutable(), length); }},
    {"Zeros", [](size_t length) { return std::string(length, '\0'); }},
};

const size_t kSizes[] = {0,     1,     2,     257,     8191,    8192,     8193,
                         32768, 32769, 65543, 300'001, 1 << 20, 3'000'017};

struct Setting {
    int level;
    int strategy;
};

const Setting kSettings[] = {
    {0, Z_DEFAULT_STRATEGY},
    {1, Z_DEFAULT_STRATEGY},
    {6, Z_DEFAULT_STRATEGY},
    {9, Z_DEFAULT_STRATEGY},
    {6, Z_FILTERED},
    {6, Z_HUFFMAN_ONLY},
    {6, Z_RLE},
    {6, Z_FIXED},
};

class Differential : public testing::TestWithParam<Corpus> {
protected:
    static void SetUpTestSuite() { EnsureGzipLibrary(); }
};

TEST_P(Differential, GunzipBodyEqualsZlibsOneShotInflate) {
    for (size_t size : kSizes) {
        std::string content = GetParam().make(size);
        ASSERT_EQ(content.size(), size);
        for (const Setting& setting : kSettings) {
            // The largest size once, at the default level, to keep the run short.
            if (size > (1u << 20) && setting.level != 6)
                continue;
            SCOPED_TRACE("size " + std::to_string(size) + " level " +
                         std::to_string(setting.level) + " strategy " +
                         std::to_string(setting.strategy));
            std::string member = GzipMember(content, setting.level, setting.strategy);
            std::string expected = InflateOneShot(member);
            Bytes result = GunzipBody(Bytes(member));
            ASSERT_EQ(result.View().size(), expected.size());
            ASSERT_TRUE(result.View() == expected);
            ASSERT_EQ(expected, content);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpora, Differential, testing::ValuesIn(kCorpora),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
