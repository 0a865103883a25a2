// The internet layer on WinInet against a loopback server: a request from start to end, and
// the header block query with a buffer too small.
#include "http/Inet.h"
#include "LoopbackHttpServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

namespace {

struct HandleCloser {
    void operator()(InetObject* handle) const { InetCloseHandle(handle); }
};
using Handle = std::unique_ptr<InetObject, HandleCloser>;

// Wine's WinInet rebuilds the raw header block from the parsed lines, where Windows hands
// back the lines as they came.
bool RunningOnWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// One GET of / through the layer, kept open for queries.
struct Exchange {
    Handle internet, connection, request;
};

Exchange Get(const LoopbackHttpServer& server) {
    Exchange exchange;
    exchange.internet.reset(InetOpen("test agent", kInetOpenTypeDirect, nullptr, nullptr, 0));
    exchange.connection.reset(InetConnect(exchange.internet.get(), "127.0.0.1", server.Port(),
                                          nullptr, nullptr, kInetServiceHttp, 0, 0));
    exchange.request.reset(InetOpenRequest(exchange.connection.get(), "GET", "/", "HTTP/1.1",
                                           nullptr, nullptr, kInetFlagReload | kInetFlagNeedFile,
                                           0));
    std::string headers = "Accept-Encoding: gzip, deflate";
    if (exchange.request)
        InetSendRequest(exchange.request.get(), headers.c_str(),
                        static_cast<int32_t>(headers.size()), "", 0);
    return exchange;
}

std::string ReadBody(InetHandle request) {
    std::string body;
    char buffer[1024];
    int32_t read = 0;
    do {
        InetReadFile(request, buffer, sizeof buffer, &read);
        body.append(buffer, static_cast<size_t>(read));
    } while (read > 0);
    return body;
}

} // namespace

TEST(InetWinInet, FetchesTheBodyUndecodedAndTheHeaderBlockEndedByAnEmptyLine) {
    const std::string body(5000, 'x');
    LoopbackHttpServer server(
        LoopbackHttpServer::Response("Content-Type: text/html; charset=GBK\r\n", body));
    ASSERT_NE(server.Port(), 0);
    Exchange exchange = Get(server);
    ASSERT_TRUE(exchange.request);
    EXPECT_EQ(ReadBody(exchange.request.get()), body);

    char block[5000];
    int32_t length = sizeof block;
    ASSERT_TRUE(
        InetQueryInfo(exchange.request.get(), kHttpQueryRawHeadersCrlf, block, &length, nullptr));
    std::string headers(block, static_cast<size_t>(length));
    EXPECT_EQ(std::string(block), headers) << "a NUL ends the block";
    EXPECT_THAT(headers, testing::StartsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_THAT(headers, testing::HasSubstr("\r\nContent-Type: text/html; charset=GBK\r\n"));
    EXPECT_THAT(headers, testing::EndsWith("\r\n\r\n"));

    std::vector<std::string> requests = server.RequestHeads();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_THAT(requests[0], testing::HasSubstr("\r\nUser-Agent: test agent\r\n"));
    EXPECT_THAT(requests[0], testing::HasSubstr("\r\nAccept-Encoding: gzip, deflate\r\n"));
}

TEST(InetWinInet, ReportsTheSizeNeededWhenTheBufferIsTooSmall) {
    LoopbackHttpServer server(
        LoopbackHttpServer::Response("X-Padding: " + std::string(300, 'p') + "\r\n", "body"));
    ASSERT_NE(server.Port(), 0);
    Exchange exchange = Get(server);
    ASSERT_TRUE(exchange.request);
    ReadBody(exchange.request.get());

    char whole[5000];
    int32_t wholeLength = sizeof whole;
    ASSERT_TRUE(InetQueryInfo(exchange.request.get(), kHttpQueryRawHeadersCrlf, whole, &wholeLength,
                              nullptr));
    for (int32_t size : {0, 1, 16, wholeLength}) {
        SCOPED_TRACE(size);
        std::string small(static_cast<size_t>(size) + 1, '\x7F');
        int32_t length = size;
        EXPECT_FALSE(InetQueryInfo(exchange.request.get(), kHttpQueryRawHeadersCrlf,
                                   size ? small.data() : nullptr, &length, nullptr));
        EXPECT_EQ(InetLastError(), kInetErrorInsufficientBuffer);
        EXPECT_EQ(length, wholeLength + 1) << "the size needed counts the NUL";
    }
}

TEST(InetWinInet, HandsBackHeaderLinesAsReceivedOrAsWineRebuildsThem) {
    LoopbackHttpServer server(LoopbackHttpServer::Response("Content-Encoding:gzip\r\n", "body"));
    ASSERT_NE(server.Port(), 0);
    Exchange exchange = Get(server);
    ASSERT_TRUE(exchange.request);
    ReadBody(exchange.request.get());
    char block[5000];
    int32_t length = sizeof block;
    ASSERT_TRUE(
        InetQueryInfo(exchange.request.get(), kHttpQueryRawHeadersCrlf, block, &length, nullptr));
    std::string headers(block, static_cast<size_t>(length));
    if (RunningOnWine())
        EXPECT_THAT(headers, testing::HasSubstr("\r\nContent-Encoding: gzip\r\n"));
    else
        EXPECT_THAT(headers, testing::HasSubstr("\r\nContent-Encoding:gzip\r\n"));
}

TEST(InetWinInet, FailsToConnectToAClosedPortWithAnEmptyRead) {
    int closedPort = 0;
    {
        LoopbackHttpServer server(LoopbackHttpServer::Response("", ""));
        closedPort = server.Port();
    }
    ASSERT_NE(closedPort, 0);
    Handle internet(InetOpen("test agent", kInetOpenTypeDirect, nullptr, nullptr, 0));
    ASSERT_TRUE(internet);
    // WinInet connects only when the request is sent.
    Handle connection(InetConnect(internet.get(), "127.0.0.1", closedPort, nullptr, nullptr,
                                  kInetServiceHttp, 0, 0));
    ASSERT_TRUE(connection);
    Handle request(InetOpenRequest(connection.get(), "GET", "/", "HTTP/1.1", nullptr, nullptr,
                                   kInetFlagReload, 0));
    ASSERT_TRUE(request);
    EXPECT_FALSE(InetSendRequest(request.get(), "", 0, nullptr, 0));
    EXPECT_EQ(InetLastError(), kInetErrorCannotConnect);
    char buffer[16];
    int32_t read = -1;
    InetReadFile(request.get(), buffer, sizeof buffer, &read);
    EXPECT_EQ(read, 0);
}
