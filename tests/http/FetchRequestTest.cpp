// What FetchUrl sends: the session, connection and request arguments, the flags, the header
// text with its default lines, the user agent, the method and body, and the proxy.
#include "FetchTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using InetFake::Call;

constexpr const char* kUrl = "http://a.example/p";
constexpr const char* kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

TEST(FetchUrlRequest, OpensSessionConnectionAndRequestFromTheUrlsParts) {
    InetFake::Start({});
    FetchUrl(Text("HTTPS://Shop.B.Example:8443/Cart?x=1"));
    EXPECT_EQ(InetFake::OnlyCallTo("InetOpen"),
              (Call{"InetOpen", {kDefaultAgent, "1", "<null>", "<null>", "0x00000000"}}));
    EXPECT_EQ(
        InetFake::OnlyCallTo("InetConnect"),
        (Call{"InetConnect",
              {"internet", "shop.b.example", "8443", "<null>", "<null>", "3", "0x00000000", "0"}}));
    EXPECT_EQ(InetFake::OnlyCallTo("InetOpenRequest"),
              (Call{"InetOpenRequest",
                    {"connection", "GET", "/Cart?x=1", "HTTP/1.1", "<null>", "<null>", "0x80800010",
                     "0"}}));
}

TEST(FetchUrlRequest, NeverSendsTheFragment) {
    InetFake::Start({});
    FetchUrl(Text("http://a.example?q=1#top"));
    EXPECT_EQ(ArgumentOf("InetConnect", 1), "a.example");
    EXPECT_EQ(ArgumentOf("InetConnect", 2), "80");
    EXPECT_EQ(ArgumentOf("InetOpenRequest", 2), "/?q=1");
}

struct SchemeCase {
    const char* url;
    bool fetched;
};

const SchemeCase kSchemeCases[] = {
    {"http://a.example/", true},
    {"HTTPS://a.example/", true},
    {"a.example/p", true},
    {"localhost:8080", true},
    {"localhost:8080/p?q", true},
    {"x/http://a.example/p", true},
    {"", true},
    {"[::1]:80/", true},
    {"file:///etc/passwd", false},
    {"file:/etc/passwd", false},
    {"ftp://a.example/", false},
    {"FTP://a.example/", false},
    {"javascript:alert(1)", false},
    {"javascript:http://a.example/", false},
    {"ftp://x/http://a.example/p", false},
    {"mailto:a@a.example", false},
    {"localhost:/p", false},
    {"a.example:8o/", false},
};

TEST(FetchUrlRequest, FetchesNoSchemeButHttpAndHttps) {
    for (const SchemeCase& row : kSchemeCases) {
        InetFake::Start({});
        Text responseHeaders("untouched");
        const Bytes body = FetchUrl(Text(row.url), {.responseHeaders = &responseHeaders});
        EXPECT_EQ(InetFake::CallsTo("InetOpen").size(), row.fetched ? 1u : 0u) << row.url;
        if (!row.fetched) {
            EXPECT_TRUE(body.IsEmpty()) << row.url;
            EXPECT_EQ(responseHeaders, Text("untouched")) << row.url;
        }
    }
}

struct HeaderCase {
    const char* behaviour;
    const char* url;
    std::optional<std::string> headers;
    std::optional<std::string> cookies;
    std::string expected;
};

const std::string kCheckRunHeaderText =
    "Accept-Encoding: gzip, deflate\r\nAccept: */*" + DefaultLinesAfterAccept("http://a.example/p");

const HeaderCase kHeaderCases[] = {
    {"no headers at all", kUrl, std::nullopt, std::nullopt, DefaultHeaderText(kUrl)},
    {"empty headers", kUrl, "", std::nullopt, DefaultHeaderText(kUrl)},
    {"a caller's Accept line", kUrl, "Accept: text/html", std::nullopt,
     "Accept: text/html" + DefaultLinesAfterAccept(kUrl)},
    {"Accept-Encoding is no Accept line", kUrl, "Accept-Encoding: gzip, deflate", std::nullopt,
     kCheckRunHeaderText},
    {"line names in exact case", kUrl, "referer: http://r/", std::nullopt,
     "referer: http://r/\r\nAccept: */*" + DefaultLinesAfterAccept(kUrl)},
    {"content-type in lower case", kUrl, "content-type: text/plain", std::nullopt,
     "content-type: text/plain\r\nAccept: */*" + DefaultLinesAfterAccept(kUrl)},
    {"every default line present", kUrl,
     "Referer: http://r/\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: a/b",
     std::nullopt,
     "Referer: http://r/\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: a/b"},
    {"missing Accept appended after the others", kUrl,
     "Referer: http://r/\r\nAccept-Language: en\r\nContent-Type: text/plain", std::nullopt,
     "Referer: http://r/\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: */*"},
    {"the URL as given in the Referer line", "HTTP://A.Example/P?Q", std::nullopt, std::nullopt,
     DefaultHeaderText("HTTP://A.Example/P?Q")},
    {"no fragment in the Referer line", "http://a.example/p#top", std::nullopt, std::nullopt,
     DefaultHeaderText("http://a.example/p")},
    {"cookies add a Cookie line", kUrl, std::nullopt, "a=1; b=2",
     DefaultHeaderText(kUrl) + "\r\nCookie: a=1; b=2"},
    {"cookies supplied but empty add none", kUrl, std::nullopt, "", DefaultHeaderText(kUrl)},
    {"a second Cookie line beside the caller's", kUrl, "Cookie: x=1", "a=1",
     "Cookie: x=1\r\nAccept: */*" + DefaultLinesAfterAccept(kUrl) + "\r\nCookie: a=1"},
    {"the User-Agent line stays", kUrl, "User-Agent: Robot/1.0", std::nullopt,
     "User-Agent: Robot/1.0\r\nAccept: */*" + DefaultLinesAfterAccept(kUrl)},
};

TEST(FetchUrlRequest, CompletesTheHeaderTextAndWritesItBack) {
    for (const HeaderCase& row : kHeaderCases) {
        SCOPED_TRACE(row.behaviour);
        InetFake::Start({});
        Text headers(row.headers.value_or(""));
        Text cookies(row.cookies.value_or(""));
        FetchParameters parameters;
        parameters.headers = row.headers ? &headers : nullptr;
        parameters.cookies = row.cookies ? &cookies : nullptr;
        FetchUrl(Text(row.url), parameters);

        EXPECT_EQ(EscapedBytes(SentHeaderText()), EscapedBytes(row.expected));
        EXPECT_EQ(ArgumentOf("InetSendRequest", 2), std::to_string(row.expected.size()));
        if (row.headers) {
            EXPECT_EQ(headers, Text(row.expected));
        }
    }
}

TEST(FetchUrlRequest, SendsTheCheckRunsRequestExactly) {
    InetFake::Script script;
    script.headerBlock = "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n";
    script.bodyPieces = {"\x1F\x8B", "rest"};
    InetFake::Start(script);
    Text headers("Accept-Encoding: gzip, deflate");
    Text responseHeaders;
    FetchParameters parameters;
    parameters.headers = &headers;
    parameters.responseHeaders = &responseHeaders;

    const Bytes body = FetchUrl(Text("http://a.example/p"), parameters);

    const std::vector<Call> expected = {
        {"InetOpen", {kDefaultAgent, "1", "<null>", "<null>", "0x00000000"}},
        {"InetConnect",
         {"internet", "a.example", "80", "<null>", "<null>", "3", "0x00000000", "0"}},
        {"InetOpenRequest",
         {"connection", "GET", "/p", "HTTP/1.1", "<null>", "<null>", "0x80004010", "0"}},
        {"InetSendRequest",
         {"request", kCheckRunHeaderText, std::to_string(kCheckRunHeaderText.size()), "", "0"}},
        {"InetReadFile", {"request", "1024"}},
        {"InetReadFile", {"request", "1024"}},
        {"InetReadFile", {"request", "1024"}},
        {"InetQueryInfo", {"request", "22", "5000", "<null>"}},
        {"InetCloseHandle", {"request"}},
        {"InetCloseHandle", {"connection"}},
        {"InetCloseHandle", {"internet"}},
    };
    EXPECT_EQ(InetFake::Calls(), expected);
    EXPECT_EQ(headers, Text(kCheckRunHeaderText));
    EXPECT_EQ(responseHeaders, Text(script.headerBlock));
    EXPECT_EQ(body, Bytes(std::string_view("\x1F\x8Brest")));
}

struct AgentCase {
    const char* headers;
    const char* agent;
};

const AgentCase kAgentCases[] = {
    {"Accept: */*", kDefaultAgent},
    {"User-Agent: Robot/1.0\r\nAccept: */*", "Robot/1.0"},
    {"Accept: */*\r\nUser-Agent:   Robot/1.0  \r\nX-A: b", "Robot/1.0"},
    {"User-Agent: Robot/1.0", "Robot/1.0"},
    {"user-agent: Robot/1.0", "Robot/1.0"},
    // A lower-case name or an agent line with no CR LF after it: the value after the first
    // ":" of the whole header text.
    {"Accept: */*\r\nuser-agent: Robot/1.0", "*/*\r\nuser-agent: Robot/1.0"},
    {"Accept: */*\r\nUser-Agent: Robot/1.0", "*/*\r\nUser-Agent: Robot/1.0"},
    {"User-Agent:\r\nAccept: */*", "\r\nAccept: */*"},
    {"USER-AGENT: \xA1\xA1Robot ", "Robot"},
};

TEST(FetchUrlRequest, TakesTheUserAgentFromTheHeaderText) {
    for (const AgentCase& row : kAgentCases) {
        InetFake::Start({});
        Text headers(row.headers);
        FetchParameters parameters;
        parameters.headers = &headers;
        FetchUrl(Text(kUrl), parameters);
        EXPECT_EQ(EscapedBytes(ArgumentOf("InetOpen", 0)), EscapedBytes(row.agent))
            << EscapedBytes(row.headers);
    }
}

TEST(FetchUrlRequest, UsesTheDefaultAgentWithoutHeaders) {
    InetFake::Start({});
    FetchUrl(Text(kUrl));
    EXPECT_EQ(ArgumentOf("InetOpen", 0), kDefaultAgent);
}

struct FlagsCase {
    const char* url;
    bool cookiesSupplied;
    std::optional<bool> noRedirect;
    const char* flags;
};

const FlagsCase kFlagsCases[] = {
    {"http://a.example/", false, std::nullopt, "0x80004010"},
    {"https://a.example/", false, std::nullopt, "0x80800010"},
    {"HTTPS://A.example/", false, std::nullopt, "0x80800010"},
    {"a.example/", false, std::nullopt, "0x80004010"},
    {"http://a.example/", true, std::nullopt, "0x80084010"},
    {"http://a.example/", false, true, "0x80204010"},
    {"http://a.example/", false, false, "0x80004010"},
    {"https://a.example/", true, true, "0x80A80010"},
};

TEST(FetchUrlRequest, SetsTheRequestFlags) {
    for (const FlagsCase& row : kFlagsCases) {
        InetFake::Start({});
        Text cookies;
        FetchParameters parameters;
        parameters.cookies = row.cookiesSupplied ? &cookies : nullptr;
        parameters.noRedirect = row.noRedirect;
        FetchUrl(Text(row.url), parameters);
        EXPECT_EQ(RequestFlags(), row.flags)
            << row.url << (row.cookiesSupplied ? " with cookies" : "")
            << (row.noRedirect.value_or(false) ? " without redirects" : "");
    }
}

struct MethodCase {
    std::optional<int32_t> method;
    std::optional<std::string> postText;
    std::optional<std::string> postBytes;
    const char* verb;
    std::string sentBody;
    std::string sentLength;
    std::string postBytesAfter;
};

const MethodCase kMethodCases[] = {
    {std::nullopt, std::nullopt, std::nullopt, "GET", "", "0", ""},
    {0, "x=1", "raw", "GET", "", "0", "raw"},
    {3, "x=1", "", "GET", "", "0", ""},
    {-1, "x=1", "", "GET", "", "0", ""},
    {1, "x=1", std::nullopt, "POST", "x=1", "3", ""},
    {1, "x=1", "", "POST", "x=1", "3", "x=1"},
    {1, "x=1", "raw", "POST", "raw", "3", "raw"},
    {1, std::nullopt, std::string("a\0b", 3), "POST", std::string("a\0b", 3), "3",
     std::string("a\0b", 3)},
    {1, std::nullopt, std::nullopt, "POST", "<null>", "0", ""},
    {1, "", "", "POST", "<null>", "0", ""},
    {2, "x=1", "", "HEAD", "x=1", "3", "x=1"},
    {2, std::nullopt, "raw", "HEAD", "raw", "3", "raw"},
};

TEST(FetchUrlRequest, SendsTheBodyOfPostAndHeadOnly) {
    for (const MethodCase& row : kMethodCases) {
        SCOPED_TRACE(row.method ? std::to_string(*row.method) : std::string("omitted method"));
        InetFake::Start({});
        const Text postText(row.postText.value_or(""));
        Bytes postBytes(row.postBytes.value_or(""));
        FetchParameters parameters;
        parameters.method = row.method;
        parameters.postText = row.postText ? &postText : nullptr;
        parameters.postBytes = row.postBytes ? &postBytes : nullptr;
        FetchUrl(Text(kUrl), parameters);

        EXPECT_EQ(ArgumentOf("InetOpenRequest", 1), row.verb);
        EXPECT_EQ(EscapedBytes(SentBody()), EscapedBytes(row.sentBody));
        EXPECT_EQ(ArgumentOf("InetSendRequest", 4), row.sentLength);
        if (row.postBytes) {
            EXPECT_EQ(postBytes, Bytes(row.postBytesAfter));
        }
    }
}

struct ProxyCase {
    const char* url;
    std::optional<const char*> proxy;
    const char* accessType;
    const char* server;
    const char* bypass;
};

const ProxyCase kProxyCases[] = {
    {"http://a.example/", std::nullopt, "1", "<null>", "<null>"},
    {"http://a.example/", "", "1", "<null>", "<null>"},
    {"http://a.example/", "127.0.0.1:8080", "3", "http=127.0.0.1:8080", ""},
    {"https://a.example/", "127.0.0.1:8080", "3", "127.0.0.1:8080", ""},
    {"a.example", "proxy:3128", "3", "http=proxy:3128", ""},
};

TEST(FetchUrlRequest, OpensTheSessionDirectlyOrThroughTheProxy) {
    for (const ProxyCase& row : kProxyCases) {
        InetFake::Start({});
        const Text proxy(row.proxy.value_or(""));
        FetchParameters parameters;
        parameters.proxy = row.proxy ? &proxy : nullptr;
        FetchUrl(Text(row.url), parameters);
        EXPECT_EQ(InetFake::OnlyCallTo("InetOpen"),
                  (Call{"InetOpen",
                        {kDefaultAgent, row.accessType, row.server, row.bypass, "0x00000000"}}))
            << row.url << " through " << row.proxy.value_or("(omitted)");
    }
}

struct ColonCase {
    const char* text;
    const char* value;
};

const ColonCase kColonCases[] = {
    {"Name: value ", "value"}, {"a:b:c", "b:c"},      {"no colon", ""}, {":", ""}, {"", ""},
    {"x:\tv", "\tv"},          {"x: \xA1\xA1v", "v"},
};

TEST(ValueAfterColon, IsTheTrimmedTextAfterTheFirstColon) {
    for (const ColonCase& row : kColonCases)
        EXPECT_EQ(ValueAfterColon(Text(row.text)), Text(row.value)) << EscapedBytes(row.text);
}

} // namespace
