// The handles of the internet layer: a tree of sessions, connections and requests, where
// a closed, null, made-up or wrong kind of handle is refused without harm.
#include "InetExchange.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

namespace {

struct Tree {
    InetHandle internet = InetOpen("a", kInetOpenTypeDirect, nullptr, nullptr, 0);
    InetHandle connection = nullptr;
    InetHandle request = nullptr;
    explicit Tree(int port) {
        connection =
            InetConnect(internet, "127.0.0.1", port, nullptr, nullptr, kInetServiceHttp, 0, 0);
        request = InetOpenRequest(connection, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
    }
};

TEST(InetHandles, NullMadeUpAndClosedHandlesAreRefused) {
    int local = 0;
    auto madeUp = reinterpret_cast<InetHandle>(&local);
    for (InetHandle handle : {InetHandle{nullptr}, madeUp}) {
        EXPECT_FALSE(InetCloseHandle(handle));
        EXPECT_EQ(InetLastError(), kInetErrorInvalidHandle);
        int32_t count = 7;
        char buffer[8];
        EXPECT_FALSE(InetReadFile(handle, buffer, sizeof buffer, &count));
        EXPECT_EQ(count, 0);
        EXPECT_FALSE(InetSendRequest(handle, "", 0, nullptr, 0));
        EXPECT_EQ(InetConnect(handle, "h", 80, nullptr, nullptr, kInetServiceHttp, 0, 0), nullptr);
    }
    InetHandle internet = InetOpen("a", kInetOpenTypeDirect, nullptr, nullptr, 0);
    ASSERT_NE(internet, nullptr);
    EXPECT_TRUE(InetCloseHandle(internet));
    EXPECT_FALSE(InetCloseHandle(internet));
    EXPECT_EQ(InetLastError(), kInetErrorInvalidHandle);
}

TEST(InetHandles, WrongKindOfHandleIsRefused) {
    LoopbackServer server(loopback::Respond(loopback::Response("200 OK", "", "")));
    Tree tree(server.Port());
    ASSERT_NE(tree.request, nullptr);
    EXPECT_EQ(InetConnect(tree.request, "h", 80, nullptr, nullptr, kInetServiceHttp, 0, 0),
              nullptr);
    EXPECT_EQ(InetLastError(), kInetErrorIncorrectHandleType);
    EXPECT_EQ(InetOpenRequest(tree.internet, "GET", "/", nullptr, nullptr, nullptr, 0, 0), nullptr);
    EXPECT_EQ(InetLastError(), kInetErrorIncorrectHandleType);
    EXPECT_FALSE(InetSendRequest(tree.connection, "", 0, nullptr, 0));
    EXPECT_EQ(InetLastError(), kInetErrorIncorrectHandleType);
    EXPECT_TRUE(InetCloseHandle(tree.internet));
}

TEST(InetHandles, ClosingTheSessionClosesEverythingUnderIt) {
    LoopbackServer server(
        loopback::Respond(loopback::Response("200 OK", "", std::string(100000, 'b'))));
    Tree tree(server.Port());
    ASSERT_TRUE(InetSendRequest(tree.request, "", 0, nullptr, 0));
    char buffer[1024];
    int32_t count = 0;
    ASSERT_TRUE(InetReadFile(tree.request, buffer, sizeof buffer, &count));
    EXPECT_EQ(count, 1024);
    EXPECT_TRUE(InetCloseHandle(tree.internet));
    EXPECT_FALSE(InetReadFile(tree.request, buffer, sizeof buffer, &count));
    EXPECT_EQ(InetLastError(), kInetErrorInvalidHandle);
    EXPECT_FALSE(InetCloseHandle(tree.request));
    EXPECT_FALSE(InetCloseHandle(tree.connection));
}

TEST(InetHandles, RequestUsableUntilClosedWhileItsConnectionIsOpen) {
    LoopbackServer server(loopback::Respond(loopback::Response("200 OK", "", "body")));
    Tree tree(server.Port());
    ASSERT_TRUE(InetSendRequest(tree.request, "", 0, nullptr, 0));
    EXPECT_TRUE(InetCloseHandle(tree.request));
    EXPECT_TRUE(InetCloseHandle(tree.connection));
    EXPECT_TRUE(InetCloseHandle(tree.internet));
}

TEST(InetHandles, CallsOutOfOrderOrWithBadArgumentsFail) {
    LoopbackServer server(loopback::Respond(loopback::Response("200 OK", "", "body")));
    Tree tree(server.Port());
    char buffer[16];
    int32_t count = 5;
    EXPECT_FALSE(InetReadFile(tree.request, buffer, sizeof buffer, &count)) << "before the send";
    EXPECT_EQ(count, 0);
    EXPECT_EQ(InetLastError(), kInetErrorIncorrectHandleState);
    int32_t size = sizeof buffer;
    EXPECT_FALSE(InetQueryInfo(tree.request, kHttpQueryRawHeadersCrlf, buffer, &size, nullptr));
    EXPECT_EQ(InetLastError(), kInetErrorIncorrectHandleState);
    EXPECT_FALSE(InetSendRequest(tree.request, "", 0, nullptr, -1));
    EXPECT_EQ(InetLastError(), kInetErrorInvalidParameter);
    EXPECT_FALSE(InetSendRequest(tree.request, "", 0, nullptr, 5));
    EXPECT_EQ(InetLastError(), kInetErrorInvalidParameter);
    ASSERT_TRUE(InetSendRequest(tree.request, "", 0, nullptr, 0));
    EXPECT_FALSE(InetReadFile(tree.request, buffer, sizeof buffer, nullptr));
    EXPECT_EQ(InetLastError(), kInetErrorInvalidParameter);
    EXPECT_FALSE(InetReadFile(tree.request, nullptr, 16, &count));
    EXPECT_FALSE(InetQueryInfo(tree.request, kHttpQueryRawHeadersCrlf, buffer, nullptr, nullptr));
    EXPECT_EQ(InetLastError(), kInetErrorInvalidParameter);
    EXPECT_TRUE(InetReadFile(tree.request, buffer, 0, &count)) << "a read of nothing";
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(InetCloseHandle(tree.internet));
}

TEST(InetHandles, SendingAgainMakesAFreshRequest) {
    LoopbackServer server({loopback::Respond(loopback::Response("200 OK", "", "one")),
                           loopback::Respond(loopback::Response("200 OK", "", "two"))});
    Tree tree(server.Port());
    char buffer[16];
    int32_t count = 0;
    ASSERT_TRUE(InetSendRequest(tree.request, "", 0, nullptr, 0));
    ASSERT_TRUE(InetReadFile(tree.request, buffer, sizeof buffer, &count));
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(count)), "one");
    ASSERT_TRUE(InetSendRequest(tree.request, "", 0, nullptr, 0));
    ASSERT_TRUE(InetReadFile(tree.request, buffer, sizeof buffer, &count));
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(count)), "two");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(InetCloseHandle(tree.internet));
}

struct OpenCase {
    const char* name;
    int32_t accessType;
    std::string host;
    int32_t port;
    int32_t service;
    std::string verb;
    uint32_t error;
};

const OpenCase kOpenCases[] = {
    {"PreconfiguredAccess", 0, "h", 80, kInetServiceHttp, "GET", kInetErrorInvalidParameter},
    {"EmptyHost", kInetOpenTypeDirect, "", 80, kInetServiceHttp, "GET", kInetErrorInvalidUrl},
    {"HostWithSlash", kInetOpenTypeDirect, "a/b", 80, kInetServiceHttp, "GET",
     kInetErrorInvalidUrl},
    {"HostWithUser", kInetOpenTypeDirect, "u@h", 80, kInetServiceHttp, "GET", kInetErrorInvalidUrl},
    {"PortTooLarge", kInetOpenTypeDirect, "h", 65536, kInetServiceHttp, "GET",
     kInetErrorInvalidParameter},
    {"NegativePort", kInetOpenTypeDirect, "h", -1, kInetServiceHttp, "GET",
     kInetErrorInvalidParameter},
    {"FtpService", kInetOpenTypeDirect, "h", 21, 1, "GET", kInetErrorInvalidParameter},
    {"VerbWithSpace", kInetOpenTypeDirect, "h", 80, kInetServiceHttp, "GET /x",
     kInetErrorInvalidParameter},
    {"VerbWithLineBreak", kInetOpenTypeDirect, "h", 80, kInetServiceHttp,
     "GET\r\nX:", kInetErrorInvalidParameter},
};

TEST(InetHandles, OpeningWithUnusableArgumentsFails) {
    for (const OpenCase& c : kOpenCases) {
        InetHandle internet = InetOpen("a", c.accessType, nullptr, nullptr, 0);
        uint32_t error = internet ? kInetErrorNone : InetLastError();
        InetHandle connection = internet ? InetConnect(internet, c.host.c_str(), c.port, nullptr,
                                                       nullptr, c.service, 0, 0)
                                         : nullptr;
        if (internet && !connection)
            error = InetLastError();
        InetHandle request = connection ? InetOpenRequest(connection, c.verb.c_str(), "/", nullptr,
                                                          nullptr, nullptr, 0, 0)
                                        : nullptr;
        if (connection && !request)
            error = InetLastError();
        EXPECT_EQ(request, nullptr) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        if (internet)
            InetCloseHandle(internet);
    }
}

} // namespace
