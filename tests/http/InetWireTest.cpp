// The request that the internet layer puts on the wire, byte for byte, as a loopback
// server receives it.
#include "InetExchange.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    std::string verb;
    std::string path;
    std::string headers;
    std::string body;
    std::string agent;
    // What the server receives after the Host line ("{UA}" stands for the session's
    // "User-Agent: QuandrelTest/1.0\r\n").
    std::string expectedAfterHost;
};

const std::string kUserAgentLine = "User-Agent: QuandrelTest/1.0\r\n";

std::string Expand(std::string text) {
    size_t at = text.find("{UA}");
    if (at != std::string::npos)
        text.replace(at, 4, kUserAgentLine);
    return text;
}

const std::string kBrowserHeaders = "Accept-Encoding: gzip, deflate\r\nAccept: */*\r\n"
                                    "Referer: http://example.test/page\r\n"
                                    "Accept-Language: zh-cn\r\n"
                                    "Content-Type: application/x-www-form-urlencoded";

const Case kCases[] = {
    {"GetWithBrowserHeaders", "GET", "/page", kBrowserHeaders, "", "QuandrelTest/1.0",
     "{UA}" + kBrowserHeaders + "\r\n\r\n"},
    {"PostWithBody", "POST", "/form", kBrowserHeaders, "a=1&b=%E4", "QuandrelTest/1.0",
     "{UA}" + kBrowserHeaders + "\r\nContent-Length: 9\r\n\r\na=1&b=%E4"},
    {"PostWithoutBodySendsLengthZero", "POST", "/form", "Accept: */*", "", "QuandrelTest/1.0",
     "{UA}Accept: */*\r\nContent-Length: 0\r\n\r\n"},
    {"HeadCarriesItsBody", "HEAD", "/", "Accept: */*", "x=1", "QuandrelTest/1.0",
     "{UA}Accept: */*\r\nContent-Length: 3\r\n\r\nx=1"},
    {"GetCarriesAGivenBody", "GET", "/", "", "abc", "QuandrelTest/1.0",
     "{UA}Content-Length: 3\r\n\r\nabc"},
    {"NoHeaderTextSendsNoAcceptOfLibcurl", "GET", "/", "", "", "QuandrelTest/1.0", "{UA}\r\n"},
    {"UserAgentLineOfTheTextWins", "GET", "/", "Accept: text/html\r\nUser-Agent: Custom/2.0", "",
     "QuandrelTest/1.0", "Accept: text/html\r\nUser-Agent: Custom/2.0\r\n\r\n"},
    {"NoAgentNoUserAgentLine", "GET", "/", "Accept: */*", "", "", "Accept: */*\r\n\r\n"},
    {"EmptyValueStillSent", "GET", "/", "X-Empty:\r\nX-Full: 1", "", "QuandrelTest/1.0",
     "{UA}X-Empty:\r\nX-Full: 1\r\n\r\n"},
    {"EmptyLinesAndFinalCrLfDropped", "GET", "/", "A: 1\r\n\r\nB: 2\r\n", "", "QuandrelTest/1.0",
     "{UA}A: 1\r\nB: 2\r\n\r\n"},
    {"BareLineBreaksSplitLines", "GET", "/", "A: 1\nB: 2\rC: 3", "", "QuandrelTest/1.0",
     "{UA}A: 1\r\nB: 2\r\nC: 3\r\n\r\n"},
    {"CustomVerbKeptAsGiven", "PROPFIND", "/dav/", "Depth: 1", "", "QuandrelTest/1.0",
     "{UA}Depth: 1\r\n\r\n"},
    {"LargePostHasNoExpectLine", "POST", "/big", "", std::string(1536 * 1024, 'x'),
     "QuandrelTest/1.0", "{UA}Content-Length: 1572864\r\n\r\n" + std::string(1536 * 1024, 'x')},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class InetWire : public testing::TestWithParam<Case> {};

TEST_P(InetWire, SendsExactlyTheRequestDescribed) {
    const Case& c = GetParam();
    LoopbackServer server(loopback::Respond(loopback::Response("200 OK", "", "ok")));
    LayerRequest request;
    request.port = server.Port();
    request.verb = c.verb;
    request.path = c.path;
    request.headers = c.headers;
    request.body = c.body;
    request.agent = c.agent;
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent) << "error " << response.sendError;
    ASSERT_EQ(server.Requests().size(), 1u);
    std::string expected = c.verb + " " + c.path +
                           " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                           "\r\n" + Expand(c.expectedAfterHost);
    EXPECT_EQ(server.Requests()[0], expected);
}

INSTANTIATE_TEST_SUITE_P(Requests, InetWire, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct PathCase {
    const char* name;
    std::string path;
    std::string target;
};

const PathCase kPathCases[] = {
    {"GbkBytesAndSpace", "/\xD6\xD0 \xCE\xC4/a b.html", "/%D6%D0%20%CE%C4/a%20b.html"},
    {"QueryKeptWithItsBytes", "/s?q=\xD6\xD0&x=a b", "/s?q=%D6%D0&x=a%20b"},
    {"ControlCharactersAndDel",
     "/a\x01\x1F\x7F"
     "b",
     "/a%01%1F%7Fb"},
    {"HashIsNoFragmentHere", "/a#b", "/a%23b"},
    {"PercentSequencesUntouched", "/a%20b%zz", "/a%20b%zz"},
    {"DotSegmentsAsGiven", "/a/../b/./c", "/a/../b/./c"},
    {"EmptyPathIsRoot", "", "/"},
    {"MissingLeadingSlashAdded", "x.html", "/x.html"},
    {"PrintableAsciiUntouched", "/!$&'()*+,;=:@-._~[]{}|^`\"<>\\",
     "/!$&'()*+,;=:@-._~[]{}|^`\"<>\\"},
};

void PrintTo(const PathCase& c, std::ostream* out) {
    *out << c.name;
}

class InetPath : public testing::TestWithParam<PathCase> {};

TEST_P(InetPath, GoesOnTheRequestLinePercentEncodedWhereItMustBe) {
    const PathCase& c = GetParam();
    LoopbackServer server(loopback::Respond(loopback::Response("200 OK", "", "")));
    LayerRequest request;
    request.port = server.Port();
    request.path = c.path;
    ASSERT_TRUE(Exchange(request).sent);
    ASSERT_EQ(server.Requests().size(), 1u);
    std::string received = server.Requests()[0];
    EXPECT_EQ(received.substr(0, received.find("\r\n")), "GET " + c.target + " HTTP/1.1");
}

INSTANTIATE_TEST_SUITE_P(Paths, InetPath, testing::ValuesIn(kPathCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
