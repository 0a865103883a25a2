// The check run against a scripted internet layer and a recording window: which labels it
// writes, with which texts, in which order, for each kind of response.
#include "app/CheckRun.h"
#include "ControlsRecorder.h"
#include "http/InetFake.h"

#include "support/GzipForTests.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A gzip body of exactly `compressedSize` bytes that decodes to `originalSize` bytes: the
// decoder never reads past the member's trailer, so padding after it only adds to the size
// as received.
std::string GzipBodyOfSizes(int originalSize, size_t compressedSize) {
    std::string content;
    for (int i = 0; i < originalSize; ++i)
        content += static_cast<char>('a' + i % 3);
    std::string body = GzipForTests(content);
    EXPECT_LE(body.size(), compressedSize) << "content does not compress enough for the case";
    body.resize(compressedSize, 'x');
    return body;
}

std::string HeaderBlock(const std::string& lines) {
    return "HTTP/1.1 200 OK\r\n" + lines + "\r\n";
}

// Runs one whole check on this thread and returns the label writes it made.
std::vector<std::string> Check(const std::string& headerLines, const std::string& body) {
    InetFake::Script script;
    script.headerBlock = HeaderBlock(headerLines);
    if (!body.empty())
        script.bodyPieces = {body};
    InetFake::Start(script);
    ControlsRecorder::Start("http://127.0.0.1/page");
    RunCheck();
    return ControlsRecorder::Writes();
}

std::string LabelAfter(const std::vector<std::string>& writes, const std::string& label) {
    std::string last = "<not written>";
    for (const std::string& write : writes)
        if (write.rfind("set " + label + " ", 0) == 0)
            last = write.substr(4 + label.size() + 1);
    return last;
}

TEST(RunCheck, WritesTheGzipFindingsInOrderThenGivesTheButtonBack) {
    std::vector<std::string> writes =
        Check("Content-Type: text/html; charset=GBK\r\nContent-Encoding: gzip\r\n",
              GzipBodyOfSizes(10000, 2500));
    std::vector<std::string> expected = {
        "set 标签_编码方式 编码方式：GBK",
        "set 标签_原始大小 原始大小：10000",
        "set 标签_压缩大小 压缩大小：2500",
        "set 标签_压缩类型 压缩类型：GZIP",
        "set 标签_压缩率 压缩率（估计值）：25%",
        "set 标签_是否压缩 是否压缩：是",
        "set 按钮1 检测",
        "enable 按钮1 1",
    };
    EXPECT_EQ(writes, expected);
}

TEST(RunCheck, WithoutTheGzipLineWritesOnlyTheFlagAndTheType) {
    std::vector<std::string> writes = Check("Content-Type: text/html; charset=utf-8\r\n", "<p>");
    std::vector<std::string> expected = {
        "set 标签_编码方式 编码方式：UTF8",
        "set 标签_是否压缩 是否压缩：未知！",
        "set 标签_压缩类型 压缩类型：未知！",
        "set 按钮1 检测",
        "enable 按钮1 1",
    };
    EXPECT_EQ(writes, expected);
}

TEST(RunCheck, AFailedFetchReadsUncompressedAndUnknown) {
    InetFake::Script script;
    script.sendFails = true;
    InetFake::Start(script);
    ControlsRecorder::Start("http://127.0.0.1:1/");
    RunCheck();
    std::vector<std::string> expected = {
        "set 标签_编码方式 编码方式：未知！",
        "set 标签_是否压缩 是否压缩：否",
        "set 标签_压缩类型 压缩类型：未知！",
        "set 按钮1 检测",
        "enable 按钮1 1",
    };
    EXPECT_EQ(ControlsRecorder::Writes(), expected);
}

TEST(RunCheck, FetchesTheAddressInTheUrlBoxWithTheGzipHeader) {
    InetFake::Start({});
    ControlsRecorder::Start("http://Example.TEST:8081/a b?q=1");
    RunCheck();
    InetFake::Call connect = InetFake::OnlyCallTo("InetConnect");
    EXPECT_EQ(connect.arguments.at(1), "example.test");
    EXPECT_EQ(connect.arguments.at(2), "8081");
    InetFake::Call send = InetFake::OnlyCallTo("InetSendRequest");
    EXPECT_EQ(send.arguments.at(1).rfind("Accept-Encoding: gzip, deflate\r\nAccept: */*\r\n", 0),
              0u)
        << send.arguments.at(1);
}

struct EncodingCase {
    std::string headerLines;
    std::string expected;
};

void PrintTo(const EncodingCase& encodingCase, std::ostream* out) {
    *out << testing::PrintToString(encodingCase.headerLines);
}

class EncodingLabel : public testing::TestWithParam<EncodingCase> {};

TEST_P(EncodingLabel, ReadsTheCharsetOfTheHeaderBlockOnly) {
    EXPECT_EQ(LabelAfter(Check(GetParam().headerLines, "<meta charset=gbk>"), "标签_编码方式"),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, EncodingLabel,
    testing::Values(
        EncodingCase{"Content-Type: text/html; charset=GBK\r\n", "编码方式：GBK"},
        EncodingCase{"Content-Type: text/html; charset=gbk\r\n", "编码方式：GBK"},
        EncodingCase{"Content-Type: text/html; charset=utf-8\r\n", "编码方式：UTF8"},
        EncodingCase{"Content-Type: text/html; CHARSET=UTF-8\r\n", "编码方式：UTF8"},
        EncodingCase{"Content-Type: text/html; charset=gb2312\r\n", "编码方式：未知！"},
        EncodingCase{"Content-Type: text/html; charset=\"utf-8\"\r\n", "编码方式：未知！"},
        EncodingCase{"Content-Type: text/html; charset = utf-8\r\n", "编码方式：未知！"},
        EncodingCase{"Content-Type: text/html; charset=UTF-8\r\nX-Alt: charset=gbk\r\n",
                     "编码方式：GBK"},
        EncodingCase{"Content-Type: text/html\r\n", "编码方式：未知！"}));

struct GzipLineCase {
    std::string headerLines;
    std::string compressedFlag;
    std::string compressionType;
};

void PrintTo(const GzipLineCase& gzipLineCase, std::ostream* out) {
    *out << testing::PrintToString(gzipLineCase.headerLines);
}

class GzipLine : public testing::TestWithParam<GzipLineCase> {};

// The body is not gzip data, so where the line is recognised it decodes to nothing.
TEST_P(GzipLine, IsRecognisedIgnoringCaseOnlyWithItsBlank) {
    std::vector<std::string> writes = Check(GetParam().headerLines, "plain body");
    EXPECT_EQ(LabelAfter(writes, "标签_是否压缩"), GetParam().compressedFlag);
    EXPECT_EQ(LabelAfter(writes, "标签_压缩类型"), GetParam().compressionType);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, GzipLine,
    testing::Values(
        GzipLineCase{"Content-Encoding: gzip\r\n", "是否压缩：是", "压缩类型：GZIP"},
        GzipLineCase{"content-encoding: GZIP\r\n", "是否压缩：是", "压缩类型：GZIP"},
        GzipLineCase{"Content-Encoding:gzip\r\n", "是否压缩：未知！", "压缩类型：未知！"},
        GzipLineCase{"Content-Encoding: x-gzip\r\n", "是否压缩：未知！", "压缩类型：未知！"},
        GzipLineCase{"", "是否压缩：未知！", "压缩类型：未知！"}));

TEST(RunCheck, AnEmptyReplyWithoutTheGzipLineReadsUncompressed) {
    EXPECT_EQ(LabelAfter(Check("Content-Length: 0\r\n", ""), "标签_是否压缩"), "是否压缩：否");
}

struct RatioCase {
    int originalSize;
    size_t compressedSize;
    std::string ratio;
};

void PrintTo(const RatioCase& ratioCase, std::ostream* out) {
    *out << ratioCase.compressedSize << " of " << ratioCase.originalSize;
}

class Ratio : public testing::TestWithParam<RatioCase> {};

TEST_P(Ratio, IsTheCompressedSizeAsAWholePercentageOfTheOriginal) {
    const RatioCase& ratioCase = GetParam();
    std::vector<std::string> writes =
        Check("Content-Encoding: gzip\r\n",
              GzipBodyOfSizes(ratioCase.originalSize, ratioCase.compressedSize));
    EXPECT_EQ(LabelAfter(writes, "标签_原始大小"),
              "原始大小：" + std::to_string(ratioCase.originalSize));
    EXPECT_EQ(LabelAfter(writes, "标签_压缩大小"),
              "压缩大小：" + std::to_string(ratioCase.compressedSize));
    EXPECT_EQ(LabelAfter(writes, "标签_压缩率"), "压缩率（估计值）：" + ratioCase.ratio);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Ratio,
                         testing::Values(RatioCase{10000, 2500, "25%"},
                                         // 29 / 100 * 100 is 28.999999999999996 in doubles.
                                         RatioCase{100, 29, "29%"}, RatioCase{300, 100, "33%"},
                                         RatioCase{3, 23, "766%"}, RatioCase{123456, 2000, "1%"}));

TEST(RunCheck, AnUndecodableGzipBodyReadsZeroAndZeroPercent) {
    std::string truncatedHeader = GzipForTests("abc").substr(0, 4);
    std::vector<std::string> writes = Check("Content-Encoding: gzip\r\n", truncatedHeader);
    EXPECT_EQ(LabelAfter(writes, "标签_原始大小"), "原始大小：0");
    EXPECT_EQ(LabelAfter(writes, "标签_压缩大小"), "压缩大小：4");
    EXPECT_EQ(LabelAfter(writes, "标签_压缩率"), "压缩率（估计值）：0%");
    EXPECT_EQ(LabelAfter(writes, "标签_是否压缩"), "是否压缩：是");
}

TEST(OnCheckButtonClicked, SetsTheCheckingStateThenTheWorkerReadsTheUrlBox) {
    InetFake::Start({});
    ControlsRecorder::Start("http://first.test/");
    OnCheckButtonClicked();
    ASSERT_TRUE(ControlsRecorder::WaitFor("enable 按钮1 1", 10s));
    std::vector<std::string> calls = ControlsRecorder::Calls();
    std::vector<std::string> clickWrites(calls.begin(), calls.begin() + 8);
    std::vector<std::string> expected = {
        "enable 按钮1 0",
        "set 按钮1 检测...",
        "set 标签_原始大小 原始大小：",
        "set 标签_压缩大小 压缩大小：",
        "set 标签_压缩类型 压缩类型：",
        "set 标签_压缩率 压缩率（估计值）：",
        "set 标签_是否压缩 是否压缩：",
        "set 标签_编码方式 编码方式：",
    };
    EXPECT_EQ(clickWrites, expected);
    EXPECT_EQ(calls.at(8), "get 编辑框1");
    EXPECT_EQ(InetFake::OnlyCallTo("InetConnect").arguments.at(1), "first.test");
}

} // namespace
