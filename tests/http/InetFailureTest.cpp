// Failed sends and broken bodies: every failure ends in bounded time, a failed send gives
// no body and no header block, and a broken body fails the read after the bytes before it.
#include "InetExchange.h"
#include "http/InetCurlSettings.h"
#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A loopback port with nobody listening on it.
int RefusingPort() {
    int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(descriptor);
    return ntohs(address.sin_port);
}

// A loopback listener that never accepts, with its one-place queue taken: the kernel drops
// further SYNs, so a client's connect hangs until it gives up.
class FullListener {
public:
    FullListener() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 0);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        for (int& queued : m_queued)
            ::connect(queued, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~FullListener() {
        for (int queued : m_queued)
            ::close(queued);
        ::close(m_listener);
    }
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;
    int Port() const { return m_port; }

private:
    int m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int m_queued[2] = {::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0),
                       ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0)};
    int m_port = 0;
};

InetCurlSettings ShortTimeouts() {
    InetCurlSettings settings;
    settings.noDataTimeoutMs = 300;
    settings.connectTimeoutMs = 3000;
    return settings;
}

void ExpectFailedSend(const LayerResponse& response, uint32_t error) {
    EXPECT_FALSE(response.sent);
    EXPECT_EQ(response.sendError, error);
    EXPECT_EQ(response.body, "");
    EXPECT_TRUE(response.readFailed) << "reads after a failed send fail";
    EXPECT_FALSE(response.headersQueried);
}

TEST(InetFailure, RefusedPortFailsTheSend) {
    LayerRequest request;
    request.port = RefusingPort();
    ExpectFailedSend(Exchange(request), kInetErrorCannotConnect);
}

TEST(InetFailure, ConnectionThatNeverCompletesEndsAtTheConnectTimeOut) {
    InetCurlSettings settings;
    settings.connectTimeoutMs = 500;
    settings.noDataTimeoutMs = 60000; // not the one that may end it
    ScopedInetCurlSettings scoped(settings);
    FullListener listener;
    LayerRequest request;
    request.port = listener.Port();
    Clock::time_point start = Clock::now();
    LayerResponse response = Exchange(request);
    auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 400ms);
    EXPECT_LT(elapsed, 10s);
    ExpectFailedSend(response, kInetErrorTimeout);
}

TEST(InetFailure, UnresolvableHostFailsTheSend) {
    ScopedInetCurlSettings settings(ShortTimeouts());
    LayerRequest request;
    request.host = "quandrel-test.invalid";
    request.port = 80;
    LayerResponse response = Exchange(request);
    EXPECT_FALSE(response.sent);
    // Without a name server at all resolving can run into the connect time-out instead.
    EXPECT_TRUE(response.sendError == kInetErrorNameNotResolved ||
                response.sendError == kInetErrorTimeout)
        << response.sendError;
    EXPECT_EQ(response.body, "");
    EXPECT_FALSE(response.headersQueried);
}

struct SendFailureCase {
    const char* name;
    loopback::Scenario scenario;
    uint32_t error;
};

const SendFailureCase kSendFailures[] = {
    {"StallBeforeAnyByte", {loopback::Hang()}, kInetErrorTimeout},
    {"StallInsideTheHeaders",
     {loopback::Write("HTTP/1.1 200 OK\r\nA: "), loopback::Hang()},
     kInetErrorTimeout},
    {"CloseWithoutAnswer", {loopback::Close()}, kInetErrorConnectionReset},
    {"ResetWithoutAnswer", {loopback::Reset()}, kInetErrorConnectionReset},
    {"ResetInsideTheHeaders",
     {loopback::Write("HTTP/1.1 200 OK\r\nA:"), loopback::Reset()},
     kInetErrorConnectionReset},
    {"NoStatusLine", loopback::Respond("hello there\r\n\r\n"), kInetErrorInvalidServerResponse},
    {"EndlessHeaders",
     {loopback::Write("HTTP/1.1 200 OK\r\n"),
      loopback::WriteForever("X-More: " + std::string(1000, 'm') + "\r\n")},
     kInetErrorInvalidServerResponse},
    {"EndlessInterimResponses",
     {loopback::WriteForever("HTTP/1.1 100 Continue\r\n\r\n")},
     kInetErrorInvalidServerResponse},
};

void PrintTo(const SendFailureCase& c, std::ostream* out) {
    *out << c.name;
}

class InetSendFailure : public testing::TestWithParam<SendFailureCase> {};

TEST_P(InetSendFailure, EndsWithinBoundsAndLeavesNoResponse) {
    const SendFailureCase& c = GetParam();
    ScopedInetCurlSettings settings(ShortTimeouts());
    LoopbackServer server(c.scenario);
    LayerRequest request;
    request.port = server.Port();
    Clock::time_point start = Clock::now();
    LayerResponse response = Exchange(request);
    EXPECT_LT(Clock::now() - start, 10s);
    ExpectFailedSend(response, c.error);
}

INSTANTIATE_TEST_SUITE_P(Sends, InetSendFailure, testing::ValuesIn(kSendFailures),
                         [](const auto& info) { return std::string(info.param.name); });

const std::string kHead = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

struct ReadFailureCase {
    const char* name;
    loopback::Scenario scenario;
    std::string bodyBeforeFailure;
    uint32_t error;
};

const ReadFailureCase kReadFailures[] = {
    {"StallInsideTheBody",
     {loopback::Write(kHead + "first"), loopback::Hang()},
     "first",
     kInetErrorTimeout},
    {"ResetInsideTheBody",
     {loopback::Write(kHead + "first"), loopback::Sleep(50ms), loopback::Reset()},
     "first",
     kInetErrorConnectionReset},
    {"CloseBeforeContentLength",
     {loopback::Write(kHead + "first"), loopback::Close()},
     "first",
     kInetErrorConnectionReset},
    {"ChunkLongerThanSent",
     {loopback::Write(kChunkedHead + "64\r\nonly ten b"), loopback::Close()},
     "only ten b",
     kInetErrorConnectionReset},
    {"ChunkSizeNotHex", loopback::Respond(kChunkedHead + "5\r\nfirst\r\nzz\r\nmore\r\n0\r\n\r\n"),
     "first", kInetErrorConnectionReset},
    {"ChunkedWithoutLastChunk", loopback::Respond(kChunkedHead + "5\r\nfirst\r\n"), "first",
     kInetErrorConnectionReset},
};

void PrintTo(const ReadFailureCase& c, std::ostream* out) {
    *out << c.name;
}

class InetReadFailure : public testing::TestWithParam<ReadFailureCase> {};

TEST_P(InetReadFailure, GivesTheBytesBeforeItThenFails) {
    const ReadFailureCase& c = GetParam();
    ScopedInetCurlSettings settings(ShortTimeouts());
    LoopbackServer server(c.scenario);
    LayerRequest request;
    request.port = server.Port();
    Clock::time_point start = Clock::now();
    LayerResponse response = Exchange(request);
    EXPECT_LT(Clock::now() - start, 10s);
    EXPECT_TRUE(response.sent);
    EXPECT_EQ(response.body, c.bodyBeforeFailure);
    EXPECT_TRUE(response.readFailed);
    EXPECT_EQ(response.readError, c.error);
    EXPECT_TRUE(response.headersQueried) << "the header block stays available";
}

INSTANTIATE_TEST_SUITE_P(Reads, InetReadFailure, testing::ValuesIn(kReadFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InetFailure, SlowDripWithinTheTimeOutSucceeds) {
    InetCurlSettings settings;
    settings.noDataTimeoutMs = 1000;
    ScopedInetCurlSettings scoped(settings);
    std::string body(40, 'd');
    loopback::Scenario drip = loopback::Drip(loopback::Response("200 OK", "", body), 10, 100ms);
    LoopbackServer server(drip);
    LayerRequest request;
    request.port = server.Port();
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent);
    EXPECT_FALSE(response.readFailed);
    EXPECT_EQ(response.body, body);
}

TEST(InetFailure, EndlessBodyFailsAtTheSizeLimit) {
    InetCurlSettings settings = ShortTimeouts();
    settings.bodySizeLimit = 1000000;
    ScopedInetCurlSettings scoped(settings);
    LoopbackServer server({loopback::Write("HTTP/1.1 200 OK\r\n\r\n"),
                           loopback::WriteForever(std::string(4096, 'e'))});
    LayerRequest request;
    request.port = server.Port();
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent);
    EXPECT_TRUE(response.readFailed);
    EXPECT_EQ(response.readError, kInetErrorBodyTooLarge);
    EXPECT_EQ(response.body, std::string(1000000, 'e'));
}

TEST(InetFailure, BodyOfExactlyTheLimitIsWhole) {
    InetCurlSettings settings = ShortTimeouts();
    settings.bodySizeLimit = 5000;
    ScopedInetCurlSettings scoped(settings);
    LoopbackServer server(
        loopback::Respond(loopback::Response("200 OK", "", std::string(5000, 'x'))));
    LayerRequest request;
    request.port = server.Port();
    LayerResponse response = Exchange(request);
    EXPECT_FALSE(response.readFailed);
    EXPECT_EQ(response.body.size(), 5000u);
}

} // namespace
