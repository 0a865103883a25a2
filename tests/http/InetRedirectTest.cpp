// Redirects through the internet layer: followed to the final response unless the request
// says not to, with the method changes browsers make.
#include "InetExchange.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

namespace {

std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

std::string BodyOf(const std::string& request) {
    size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

TEST(InetRedirect, IsFollowedAndOnlyTheFinalBlockIsKept) {
    LoopbackServer server(
        {loopback::Respond(loopback::Response(
             "302 Found", "Location: /next?x=1\r\nSet-Mark: first\r\n", "moved")),
         loopback::Respond(loopback::Response("200 OK", "X-Final: yes\r\n", "final"))});
    LayerRequest request;
    request.port = server.Port();
    request.path = "/start";
    request.headers = "Accept: */*\r\nX-Mine: 1";
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent) << response.sendError;
    EXPECT_EQ(response.body, "final");
    EXPECT_EQ(response.headerBlock, "HTTP/1.1 200 OK\r\nX-Final: yes\r\nContent-Length: 5\r\n\r\n");
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(RequestLine(requests[1]), "GET /next?x=1 HTTP/1.1");
    EXPECT_NE(requests[1].find("\r\nX-Mine: 1\r\n"), std::string::npos)
        << "the caller's lines go with every hop";
}

TEST(InetRedirect, AbsoluteLocationWithRawBytesIsEncodedAndFragmentDropped) {
    LoopbackServer target(loopback::Respond(loopback::Response("200 OK", "", "there")));
    LoopbackServer first(loopback::Respond(loopback::Response(
        "301 Moved Permanently", "Location: " + target.Url("/a b/\xD6\xD0#frag") + "\r\n", "")));
    LayerRequest request;
    request.port = first.Port();
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent) << response.sendError;
    EXPECT_EQ(response.body, "there");
    ASSERT_EQ(target.Requests().size(), 1u);
    EXPECT_EQ(RequestLine(target.Requests()[0]), "GET /a%20b/%D6%D0 HTTP/1.1");
    EXPECT_NE(
        target.Requests()[0].find("\r\nHost: 127.0.0.1:" + std::to_string(target.Port()) + "\r\n"),
        std::string::npos);
}

TEST(InetRedirect, NoAutoRedirectGivesTheRedirectsOwnResponse) {
    const std::string redirect =
        loopback::Response("302 Found", "Location: /elsewhere\r\n", "see elsewhere");
    LoopbackServer server(
        {loopback::Respond(redirect), loopback::Respond(loopback::Response("200 OK", "", "no"))});
    LayerRequest request;
    request.port = server.Port();
    request.flags |= kInetFlagNoAutoRedirect;
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent);
    EXPECT_EQ(response.headerBlock, redirect.substr(0, redirect.find("\r\n\r\n") + 4));
    EXPECT_EQ(response.body, "see elsewhere");
    EXPECT_EQ(server.Requests().size(), 1u);
}

struct MethodCase {
    int status;
    std::string verb;
    std::string nextVerb;
    bool bodyKept;
};

const MethodCase kMethodCases[] = {
    {301, "POST", "GET", false}, {302, "POST", "GET", false},  {303, "POST", "GET", false},
    {303, "PUT", "GET", false},  {303, "HEAD", "HEAD", false}, {307, "POST", "POST", true},
    {308, "POST", "POST", true}, {302, "PUT", "PUT", true},    {301, "GET", "GET", false},
};

TEST(InetRedirect, ChangesTheMethodAsBrowsersDo) {
    for (const MethodCase& c : kMethodCases) {
        LoopbackServer server(
            {loopback::Respond("HTTP/1.1 " + std::to_string(c.status) +
                               " Redirect\r\nLocation: /to\r\nContent-Length: 0\r\n\r\n"),
             loopback::Respond(loopback::Response("200 OK", "", ""))});
        LayerRequest request;
        request.port = server.Port();
        request.verb = c.verb;
        if (c.verb != "GET")
            request.body = "a=1";
        LayerResponse response = Exchange(request);
        ASSERT_TRUE(response.sent) << c.status << " " << c.verb;
        std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u) << c.status << " " << c.verb;
        EXPECT_EQ(RequestLine(requests[1]), c.nextVerb + " /to HTTP/1.1")
            << c.status << " " << c.verb;
        EXPECT_EQ(BodyOf(requests[1]), c.bodyKept ? "a=1" : "") << c.status << " " << c.verb;
    }
}

TEST(InetRedirect, LoopEndsTheSendAfterTwentyRedirects) {
    LoopbackServer server(
        loopback::Respond(loopback::Response("302 Found", "Location: /loop\r\n", "")));
    LayerRequest request;
    request.port = server.Port();
    LayerResponse response = Exchange(request);
    EXPECT_FALSE(response.sent);
    EXPECT_EQ(response.sendError, kInetErrorRedirectFailed);
    EXPECT_EQ(server.Requests().size(), 21u);
    EXPECT_FALSE(response.headersQueried);
    EXPECT_EQ(response.body, "");
}

struct UnfollowedCase {
    const char* name;
    std::string raw;
    bool sent;
};

const UnfollowedCase kUnfollowedCases[] = {
    {"NoLocation", "HTTP/1.1 302 Found\r\nContent-Length: 2\r\n\r\nok", true},
    {"EmptyLocation", "HTTP/1.1 302 Found\r\nLocation: \r\nContent-Length: 2\r\n\r\nok", true},
    {"NotModifiedIsNoRedirect", "HTTP/1.1 304 Not Modified\r\nLocation: /x\r\n\r\n", true},
    {"OtherScheme",
     "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/x\r\nContent-Length: 0\r\n\r\n", false},
};

TEST(InetRedirect, OnlyHttpLocationsOfRedirectStatusesAreFollowed) {
    for (const UnfollowedCase& c : kUnfollowedCases) {
        LoopbackServer server(loopback::Respond(c.raw));
        LayerRequest request;
        request.port = server.Port();
        LayerResponse response = Exchange(request);
        EXPECT_EQ(response.sent, c.sent) << c.name;
        EXPECT_EQ(server.Requests().size(), 1u) << c.name;
        if (c.sent)
            EXPECT_EQ(response.headerBlock, c.raw.substr(0, c.raw.find("\r\n\r\n") + 4)) << c.name;
        else
            EXPECT_EQ(response.sendError, kInetErrorRedirectFailed) << c.name;
    }
}

} // namespace
