// What the internet layer hands back: the body as the server sent it and the final
// response's raw header block.
#include "InetExchange.h"
#include "http/InetCurlSettings.h"
#include "support/GzipForTests.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace std::chrono_literals;

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

std::string Chunked(std::string_view body, size_t chunkSize) {
    std::string encoded;
    char size[32];
    for (size_t at = 0; at < body.size(); at += chunkSize) {
        std::string_view chunk = body.substr(at, chunkSize);
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        encoded.append(size).append(chunk).append("\r\n");
    }
    return encoded + "0\r\n\r\n";
}

LayerResponse Get(const LoopbackServer& server, std::string headers = {}) {
    LayerRequest request;
    request.port = server.Port();
    request.headers = std::move(headers);
    return Exchange(request);
}

TEST(InetResponse, GzipBodyArrivesAsTheCompressedBytes) {
    std::string page(20000, 'a');
    std::string gzip = GzipForTests(page);
    LoopbackServer server(loopback::Respond(loopback::Response(
        "200 OK", "Content-Encoding: gzip\r\nContent-Type: text/html\r\n", gzip)));
    LayerResponse response = Get(server, "Accept-Encoding: gzip, deflate");
    ASSERT_TRUE(response.sent);
    EXPECT_FALSE(response.readFailed);
    EXPECT_EQ(response.body, gzip);
    EXPECT_NE(response.headerBlock.find("\r\nContent-Encoding: gzip\r\n"), std::string::npos);
    // No Accept-Encoding of libcurl's own went out.
    EXPECT_EQ(server.Requests()[0].find("ccept-Encoding: gzip, deflate\r\n"),
              server.Requests()[0].rfind("ccept-Encoding"));
}

struct BodyCase {
    const char* name;
    enum class Framing { Length, Chunked, ChunkedGzip, Close } framing;
    size_t size; // of random bytes, made when the test runs
};

void PrintTo(const BodyCase& c, std::ostream* out) {
    *out << c.name;
}

const BodyCase kBodyCases[] = {
    {"Empty", BodyCase::Framing::Length, 0},
    {"Small", BodyCase::Framing::Length, 5},
    {"ThreeMegabytesWithLength", BodyCase::Framing::Length, 3 << 20},
    {"ThreeMegabytesChunked", BodyCase::Framing::Chunked, 3 << 20},
    {"ChunkedGzip", BodyCase::Framing::ChunkedGzip, 100000},
    {"EndedByClose", BodyCase::Framing::Close, 500000},
};

class InetBody : public testing::TestWithParam<BodyCase> {};

TEST_P(InetBody, ArrivesWholeAndUnchangedThrough1024ByteReads) {
    const BodyCase& c = GetParam();
    std::string body = RandomBytes(c.size, static_cast<unsigned>(c.size));
    std::string raw;
    switch (c.framing) {
    case BodyCase::Framing::Length:
        raw = loopback::Response("200 OK", "", body);
        break;
    case BodyCase::Framing::ChunkedGzip:
        body = GzipForTests(body);
        [[fallthrough]];
    case BodyCase::Framing::Chunked:
        raw = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + Chunked(body, 7777);
        break;
    case BodyCase::Framing::Close:
        raw = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body;
        break;
    }
    LoopbackServer server(loopback::Respond(raw));
    LayerResponse response = Get(server);
    ASSERT_TRUE(response.sent);
    EXPECT_FALSE(response.readFailed) << response.readError;
    EXPECT_EQ(response.body.size(), body.size());
    EXPECT_TRUE(response.body == body);
}

INSTANTIATE_TEST_SUITE_P(Bodies, InetBody, testing::ValuesIn(kBodyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InetResponse, HeaderBlockOver5000BytesComesWholeAfterTheSizeQuery) {
    std::string lines;
    for (int i = 0; i < 60; ++i)
        lines += "X-Long-" + std::to_string(i) + ": " + std::string(100, 'v') + "\r\n";
    LoopbackServer server(
        loopback::Respond("HTTP/1.1 200 OK\r\n" + lines + "Content-Length: 2\r\n\r\nok"));
    LayerRequest request;
    request.port = server.Port();
    InetHandle internet = InetOpen("a", kInetOpenTypeDirect, nullptr, nullptr, 0);
    InetHandle connection =
        InetConnect(internet, "127.0.0.1", server.Port(), nullptr, nullptr, kInetServiceHttp, 0, 0);
    InetHandle handle = InetOpenRequest(connection, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
    ASSERT_TRUE(InetSendRequest(handle, "", 0, nullptr, 0));
    std::string expected = "HTTP/1.1 200 OK\r\n" + lines + "Content-Length: 2\r\n\r\n";
    ASSERT_GT(expected.size(), 5000u);

    std::string buffer(5000, ' ');
    int32_t size = 5000;
    EXPECT_FALSE(InetQueryInfo(handle, kHttpQueryRawHeadersCrlf, buffer.data(), &size, nullptr));
    EXPECT_EQ(InetLastError(), kInetErrorInsufficientBuffer);
    EXPECT_EQ(size, static_cast<int32_t>(expected.size() + 1));
    EXPECT_EQ(buffer, std::string(5000, ' ')) << "a failed query writes nothing";

    buffer.assign(static_cast<size_t>(size), '#');
    ASSERT_TRUE(InetQueryInfo(handle, kHttpQueryRawHeadersCrlf, buffer.data(), &size, nullptr));
    EXPECT_EQ(size, static_cast<int32_t>(expected.size()));
    EXPECT_EQ(buffer, expected + '\0');
    InetCloseHandle(handle);
    InetCloseHandle(connection);
    InetCloseHandle(internet);
}

TEST(InetResponse, QueryNeedsRoomForTheNul) {
    const std::string block = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
    LoopbackServer server(loopback::Respond(block));
    InetHandle internet = InetOpen("a", kInetOpenTypeDirect, nullptr, nullptr, 0);
    InetHandle connection =
        InetConnect(internet, "127.0.0.1", server.Port(), nullptr, nullptr, kInetServiceHttp, 0, 0);
    InetHandle handle = InetOpenRequest(connection, "GET", "/", nullptr, nullptr, nullptr, 0, 0);
    ASSERT_TRUE(InetSendRequest(handle, nullptr, 0, nullptr, 0));
    struct Row {
        int32_t size;
        bool fits;
    };
    const auto length = static_cast<int32_t>(block.size());
    for (Row row : {Row{0, false}, Row{length - 1, false}, Row{length, false},
                    Row{length + 1, true}, Row{length + 100, true}}) {
        std::string buffer(static_cast<size_t>(row.size) + 1, '#');
        int32_t size = row.size;
        EXPECT_EQ(InetQueryInfo(handle, kHttpQueryRawHeadersCrlf, buffer.data(), &size, nullptr),
                  row.fits)
            << "buffer of " << row.size;
        EXPECT_EQ(size, row.fits ? length : length + 1) << "buffer of " << row.size;
    }
    int32_t size = 0;
    EXPECT_FALSE(InetQueryInfo(handle, kHttpQueryRawHeadersCrlf, nullptr, &size, nullptr));
    EXPECT_EQ(size, length + 1);
    EXPECT_FALSE(InetQueryInfo(handle, 19, nullptr, &size, nullptr)) << "only the raw block";
    EXPECT_EQ(InetLastError(), kInetErrorHeaderNotFound);
    InetCloseHandle(internet);
}

struct BlockCase {
    const char* name;
    std::string raw;
    std::string block;
    std::string body;
};

const BlockCase kBlockCases[] = {
    {"BareLfLinesEndedByCrLf", "HTTP/1.1 200 OK\nA: 1\r\nB: 2\nContent-Length: 4\n\nbody",
     "HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nContent-Length: 4\r\n\r\n", "body"},
    {"InterimResponsesLeftOut",
     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n"
     "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
     "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n", "ok"},
    {"TrailersLeftOut",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\nX-Trailer: t\r\n\r\n",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "ok"},
    {"ErrorStatusBodyReturned", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope",
     "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\n", "nope"},
    {"Http10Response", "HTTP/1.0 200 OK\r\nServer: old\r\n\r\nuntil close",
     "HTTP/1.0 200 OK\r\nServer: old\r\n\r\n", "until close"},
};

void PrintTo(const BlockCase& c, std::ostream* out) {
    *out << c.name;
}

class InetHeaderBlock : public testing::TestWithParam<BlockCase> {};

TEST_P(InetHeaderBlock, IsTheFinalResponsesLinesEndedByCrLf) {
    const BlockCase& c = GetParam();
    LoopbackServer server(loopback::Respond(c.raw));
    LayerResponse response = Get(server);
    ASSERT_TRUE(response.sent);
    EXPECT_TRUE(response.headersQueried);
    EXPECT_EQ(response.headerBlock, c.block);
    EXPECT_EQ(response.body, c.body);
    EXPECT_FALSE(response.readFailed);
}

INSTANTIATE_TEST_SUITE_P(Blocks, InetHeaderBlock, testing::ValuesIn(kBlockCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InetResponse, HeadEndsWithTheHeadersWhateverContentLengthSays) {
    InetCurlSettings settings;
    settings.noDataTimeoutMs = 5000;
    ScopedInetCurlSettings scoped(settings);
    LoopbackServer server(loopback::Scenario{
        loopback::Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"), loopback::Hang()});
    LayerRequest request;
    request.port = server.Port();
    request.verb = "HEAD";
    request.body = "with a body";
    auto start = std::chrono::steady_clock::now();
    LayerResponse response = Exchange(request);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    ASSERT_TRUE(response.sent);
    EXPECT_FALSE(response.readFailed);
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(response.headerBlock, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
}

} // namespace
