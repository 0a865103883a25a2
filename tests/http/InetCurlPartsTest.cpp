// The pure pieces of the libcurl layer: header lines, the raw header block, request URLs
// and WinInet proxy lists.
#include "http/InetCurlHeaderBlock.h"
#include "http/InetCurlHeaders.h"
#include "http/InetCurlProxy.h"
#include "http/InetCurlUrl.h"

#include <gtest/gtest.h>

namespace {

std::string Joined(const std::vector<std::string>& entries) {
    std::string joined;
    for (const std::string& entry : entries)
        joined += entry + "|";
    return joined;
}

struct HeaderCase {
    std::string text;
    std::string entries; // the libcurl list entries, each followed by "|"
};

const HeaderCase kHeaderCases[] = {
    {"", "Accept:|Content-Type:|Expect:|Proxy-Connection:|"},
    {"Accept: */*", "Accept: */*|Content-Type:|Expect:|Proxy-Connection:|"},
    {"accept: a\r\ncontent-type: b\r\nexpect: c\r\nproxy-connection: d",
     "accept: a|content-type: b|expect: c|proxy-connection: d|"},
    {"Accept-Encoding: gzip",
     "Accept-Encoding: gzip|Accept:|Content-Type:|Expect:|Proxy-Connection:|"},
    {"X-Empty:\r\nX-Blank:   ",
     "X-Empty;|X-Blank;|Accept:|Content-Type:|Expect:|Proxy-Connection:|"},
    {"no colon here\r\n: no name\r\nA: 1", "A: 1|Accept:|Content-Type:|Expect:|Proxy-Connection:|"},
    {"A: 1\r\n\r\n\nB: 2\r", "A: 1|B: 2|Accept:|Content-Type:|Expect:|Proxy-Connection:|"},
    {"Accept : spaced", "Accept : spaced|Accept:|Content-Type:|Expect:|Proxy-Connection:|"},
};

TEST(CurlHeaderEntries, KeepTheCallersLinesAndRemoveLibcurlsOwn) {
    for (const HeaderCase& c : kHeaderCases)
        EXPECT_EQ(Joined(CurlHeaderEntries(HeaderLines(c.text))), c.entries)
            << "header text: " << testing::PrintToString(c.text);
}

struct BlockCase {
    const char* name;
    std::vector<std::string> lines;
    std::string text;
    int status;
    std::string location;
};

const BlockCase kBlockCases[] = {
    {"CrLfLines",
     {"HTTP/1.1 200 OK\r\n", "A: 1\r\n", "\r\n"},
     "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n",
     200,
     ""},
    {"BareLfLines",
     {"HTTP/1.1 302 Found\n", "Location: /x \n", "\n"},
     "HTTP/1.1 302 Found\r\nLocation: /x \r\n\r\n",
     302,
     "/x"},
    {"InterimDropped",
     {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 103 Early Hints\r\n", "Link: </s>\r\n", "\r\n",
      "HTTP/1.1 404 Not Found\r\n", "\r\n"},
     "HTTP/1.1 404 Not Found\r\n\r\n",
     404,
     ""},
    {"TrailersIgnored",
     {"HTTP/1.1 200 OK\r\n", "\r\n", "X-Trailer: 1\r\n", "\r\n"},
     "HTTP/1.1 200 OK\r\n\r\n",
     200,
     ""},
    {"LocationAnyCaseFirstWins",
     {"HTTP/1.1 301 Moved\r\n", "LOCATION:\thttp://a/\r\n", "Location: /b\r\n", "\r\n"},
     "HTTP/1.1 301 Moved\r\nLOCATION:\thttp://a/\r\nLocation: /b\r\n\r\n",
     301,
     "http://a/"},
    {"StatusWithoutReason", {"HTTP/1.0 204\r\n", "\r\n"}, "HTTP/1.0 204\r\n\r\n", 204, ""},
    {"MalformedStatus", {"HTTP/1.1 2x0 Odd\r\n", "\r\n"}, "HTTP/1.1 2x0 Odd\r\n\r\n", 0, ""},
};

TEST(RawHeaderBlock, KeepsTheFinalResponsesLinesEndedByCrLf) {
    for (const BlockCase& c : kBlockCases) {
        RawHeaderBlock block;
        for (const std::string& line : c.lines)
            block.Add(line);
        EXPECT_TRUE(block.IsComplete()) << c.name;
        EXPECT_EQ(block.Text(), c.text) << c.name;
        EXPECT_EQ(block.StatusCode(), c.status) << c.name;
        EXPECT_EQ(block.Location(), c.location) << c.name;
    }
}

TEST(RawHeaderBlock, IsIncompleteUntilTheEmptyLine) {
    RawHeaderBlock block;
    EXPECT_EQ(block.Add("HTTP/1.1 200 OK\r\n"), RawHeaderBlock::Progress::Partial);
    EXPECT_EQ(block.Add("A: 1\r\n"), RawHeaderBlock::Progress::Partial);
    EXPECT_FALSE(block.IsComplete());
    EXPECT_EQ(block.Add("\r\n"), RawHeaderBlock::Progress::Complete);
    EXPECT_EQ(block.Add("T: 1\r\n"), RawHeaderBlock::Progress::Trailer);
    EXPECT_EQ(block.BytesSeen(), 31u);
}

struct UrlCase {
    bool secure;
    std::string host;
    int32_t port;
    std::string path;
    std::string url;
};

const UrlCase kUrlCases[] = {
    {false, "example.com", 0, "/", "http://example.com/"},
    {true, "example.com", 8443, "/a?b=c", "https://example.com:8443/a?b=c"},
    {false, "\xD6\xD0\xCE\xC4.cn", 80, "/", "http://xn--fiq228c.cn:80/"},
    {false, "\xD6\xD0\xCE\xC4.CN", 0, "/", "http://xn--fiq228c.cn/"},
    {false, "::1", 8080, "/", "http://[::1]:8080/"},
    {false, "[::1]", 8080, "/", "http://[::1]:8080/"},
    {false, "h", 0, "", "http://h/"},
    {false, "h", 0, "page", "http://h/page"},
    {false, "h", 0, "/\xD6\xD0 #", "http://h/%D6%D0%20%23"},
};

TEST(CurlRequestUrl, JoinsSchemeAsciiHostPortAndEncodedPath) {
    for (const UrlCase& c : kUrlCases)
        EXPECT_EQ(CurlRequestUrl(c.secure, c.host, c.port, c.path), c.url) << c.host << c.path;
}

TEST(PercentEncodeUnsafe, EncodesHashOnlyWhenAsked) {
    EXPECT_EQ(PercentEncodeUnsafe("/a b#c\x80", true), "/a%20b%23c%80");
    EXPECT_EQ(PercentEncodeUnsafe("/a b#c\x80", false), "/a%20b#c%80");
    EXPECT_EQ(PercentEncodeUnsafe(std::string("\0\t\x7F\xFF", 4), false), "%00%09%7F%FF");
    EXPECT_EQ(PercentEncodeUnsafe("", true), "");
}

TEST(IsUsableHost, RefusesHostsThatWouldChangeTheUrl) {
    for (const char* good : {"example.com", "127.0.0.1", "::1", "[::1]", "\xD6\xD0.cn", "a-b_c"})
        EXPECT_TRUE(IsUsableHost(good)) << good;
    for (const char* bad : {"", "a b", "a/b", "user@host", "a?b", "a#b", "a\\b", "a%b", "a\r\nb"})
        EXPECT_FALSE(IsUsableHost(bad)) << testing::PrintToString(bad);
}

struct ProxyCase {
    std::string list;
    std::string scheme;
    std::string proxy;
};

const ProxyCase kProxyCases[] = {
    {"", "http", ""},
    {" ;; ", "http", ""},
    {"proxy:8080", "http", "http://proxy:8080"},
    {"proxy:8080", "https", "http://proxy:8080"},
    {"proxy", "http", "http://proxy:80"},
    {"http=proxy:3128", "http", "http://proxy:3128"},
    {"http=proxy:3128", "https", ""},
    {"HTTP=proxy:3128", "http", "http://proxy:3128"},
    {"https=secure:1 http=plain:2", "https", "http://secure:1"},
    {"https=secure:1 http=plain:2", "http", "http://plain:2"},
    {"http=plain:2;bare:3", "https", "http://bare:3"},
    {"bare:3;http=plain:2", "http", "http://plain:2"},
    {"http=http://proxy:3128/", "http", "http://proxy:3128"},
    {"ftp=f:21", "http", ""},
    {"socks=s:1081", "http", "socks4://s:1081"},
    {"socks=s", "https", "socks4://s:1080"},
    {"socks=s http=p:1", "http", "http://p:1"},
    {"[::1]:8080", "http", "http://[::1]:8080"},
    {"[::1]", "http", "http://[::1]:80"},
};

TEST(CurlProxyFor, ReadsWinInetProxyLists) {
    for (const ProxyCase& c : kProxyCases)
        EXPECT_EQ(CurlProxyFor(c.list, c.scheme), c.proxy) << "'" << c.list << "' " << c.scheme;
}

struct BypassCase {
    std::string list;
    std::string host;
    bool bypassed;
};

const BypassCase kBypassCases[] = {
    {"", "example.com", false},
    {"example.com", "example.com", true},
    {"example.com", "EXAMPLE.com", true},
    {"example.com", "www.example.com", false},
    {"*.example.com", "www.example.com", true},
    {"*.example.com", "example.com", false},
    {"10.*", "10.1.2.3", true},
    {"a.com; b.com,c.com d.com", "c.com", true},
    {"<local>", "intranet", true},
    {"<local>", "intra.net", false},
    {"*", "anything", true},
};

TEST(HostBypassesProxy, MatchesWildcardsAndLocalNames) {
    for (const BypassCase& c : kBypassCases)
        EXPECT_EQ(HostBypassesProxy(c.list, c.host), c.bypassed) << "'" << c.list << "' " << c.host;
}

} // namespace
