// What FetchUrl hands back: the body, the raw header block, the returned and merged cookies,
// and what stays untouched or comes back empty when a step fails.
#include "FetchTestSupport.h"
#include "http/Inet.h"
#include "http/ResponseReading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Functions = std::vector<std::string>;

constexpr const char* kUrl = "http://a.example/p";

const Functions kSuccessfulCalls = {
    "InetOpen",      "InetConnect",     "InetOpenRequest", "InetSendRequest", "InetReadFile",
    "InetQueryInfo", "InetCloseHandle", "InetCloseHandle", "InetCloseHandle",
};

// The caller's by-reference values, each with a text of its own to see what changes.
struct CallerValues {
    Text cookies{"c=1"};
    Text returnedCookies{"old returned"};
    Text headers{"X-Mine: 1"};
    Text responseHeaders{"old response"};
    Bytes postBytes{std::string_view("pb")};

    FetchParameters Parameters() {
        FetchParameters parameters;
        parameters.method = 1;
        parameters.cookies = &cookies;
        parameters.returnedCookies = &returnedCookies;
        parameters.headers = &headers;
        parameters.responseHeaders = &responseHeaders;
        parameters.postBytes = &postBytes;
        return parameters;
    }
};

struct EarlyFailureCase {
    const char* step;
    InetFake::Script script;
    Functions calls;
    std::vector<std::string> closed;
};

InetFake::Script Failing(bool open, bool connect, bool openRequest) {
    InetFake::Script script;
    script.openFails = open;
    script.connectFails = connect;
    script.openRequestFails = openRequest;
    return script;
}

const EarlyFailureCase kEarlyFailures[] = {
    {"open", Failing(true, false, false), {"InetOpen"}, {}},
    {"connect",
     Failing(false, true, false),
     {"InetOpen", "InetConnect", "InetCloseHandle"},
     {"internet"}},
    {"open request",
     Failing(false, false, true),
     {"InetOpen", "InetConnect", "InetOpenRequest", "InetCloseHandle", "InetCloseHandle"},
     {"connection", "internet"}},
};

TEST(FetchUrlFailure, ClosesWhatItOpenedAndTouchesNothingOfTheCallers) {
    for (const EarlyFailureCase& row : kEarlyFailures) {
        SCOPED_TRACE(row.step);
        InetFake::Start(row.script);
        CallerValues values;
        const Bytes body = FetchUrl(Text(kUrl), values.Parameters());

        EXPECT_EQ(InetFake::CalledFunctions(), row.calls);
        std::vector<std::string> closed;
        for (const InetFake::Call& call : InetFake::CallsTo("InetCloseHandle"))
            closed.push_back(call.arguments.at(0));
        EXPECT_EQ(closed, row.closed);
        EXPECT_TRUE(body.IsEmpty());
        const CallerValues untouched;
        EXPECT_EQ(values.cookies, untouched.cookies);
        EXPECT_EQ(values.returnedCookies, untouched.returnedCookies);
        EXPECT_EQ(values.headers, untouched.headers);
        EXPECT_EQ(values.responseHeaders, untouched.responseHeaders);
        EXPECT_EQ(values.postBytes, untouched.postBytes);
    }
}

TEST(FetchUrlFailure, FailedSendGivesBlankHeadersEmptyBodyAndStillMerges) {
    InetFake::Script script;
    script.sendFails = true;
    script.headerBlock = "HTTP/1.1 200 OK\r\nSet-Cookie: s=1\r\n\r\n";
    InetFake::Start(script);
    CallerValues values;
    values.cookies = Text("a = 1; b=2");
    FetchParameters parameters = values.Parameters();
    parameters.method = 0;

    const Bytes body = FetchUrl(Text(kUrl), parameters);

    EXPECT_TRUE(body.IsEmpty());
    EXPECT_EQ(values.responseHeaders, Text(std::string(5000, ' ')));
    EXPECT_EQ(values.returnedCookies, Text());
    EXPECT_EQ(values.cookies, Text("a=1; b=2"));
    EXPECT_EQ(InetFake::CalledFunctions(), kSuccessfulCalls);
    EXPECT_EQ(ArgumentOf("InetQueryInfo", 2), "5000");
}

TEST(FetchUrlResponse, ClosesRequestConnectionAndSessionInThatOrder) {
    InetFake::Start({});
    FetchUrl(Text(kUrl));
    EXPECT_EQ(InetFake::CalledFunctions(), kSuccessfulCalls);
    const std::vector<InetFake::Call> closes = InetFake::CallsTo("InetCloseHandle");
    ASSERT_EQ(closes.size(), 3u);
    EXPECT_EQ(closes[0].arguments, std::vector<std::string>{"request"});
    EXPECT_EQ(closes[1].arguments, std::vector<std::string>{"connection"});
    EXPECT_EQ(closes[2].arguments, std::vector<std::string>{"internet"});
}

TEST(FetchUrlResponse, ReturnsEveryBodyByteInOrder) {
    InetFake::Script script;
    const std::string large(1500, '\0');
    script.bodyPieces = {"abc", std::string("d\0e", 3), large, "z"};
    InetFake::Start(script);

    const Bytes body = FetchUrl(Text(kUrl));

    EXPECT_EQ(body, Bytes(std::string("abc") + std::string("d\0e", 3) + large + "z"));
    // 1500 bytes come in two reads of at most 1024, then one read reports the end.
    EXPECT_EQ(InetFake::CallsTo("InetReadFile").size(), 6u);
}

TEST(FetchUrlResponse, StopsReadingAtAFailedReadThatLeavesACount) {
    InetFake::Script script;
    script.bodyPieces = {"abc"};
    script.failingReadError = kInetErrorConnectionReset;
    script.failingReadCount = 7;
    InetFake::Start(script);

    const Bytes body = FetchUrl(Text(kUrl));

    EXPECT_EQ(body, Bytes(std::string_view("abc")));
    EXPECT_EQ(InetFake::CallsTo("InetReadFile").size(), 2u);
    EXPECT_EQ(InetFake::CalledFunctions().back(), "InetCloseHandle");
}

TEST(FetchUrlResponse, KeepsTheBodyBeforeAFailedReadThatLeavesNoCount) {
    InetFake::Script script;
    script.bodyPieces = {"abc"};
    script.failingReadError = kInetErrorTimeout;
    InetFake::Start(script);
    EXPECT_EQ(FetchUrl(Text(kUrl)), Bytes(std::string_view("abc")));
    EXPECT_EQ(InetFake::CallsTo("InetReadFile").size(), 2u);
}

TEST(FetchUrlResponse, GivesAnEmptyBodyWhenTheLayerFindsItTooLongAndGoesOn) {
    InetFake::Script script;
    script.bodyPieces = {"abc"};
    script.failingReadError = kInetErrorBodyTooLarge;
    script.headerBlock = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
    InetFake::Start(script);
    Text returnedCookies;
    Text responseHeaders;
    FetchParameters parameters;
    parameters.returnedCookies = &returnedCookies;
    parameters.responseHeaders = &responseHeaders;

    const Bytes body = FetchUrl(Text(kUrl), parameters);

    EXPECT_TRUE(body.IsEmpty());
    EXPECT_EQ(responseHeaders, Text(script.headerBlock));
    EXPECT_EQ(returnedCookies, Text("a=1"));
    EXPECT_EQ(InetFake::CalledFunctions().size(), kSuccessfulCalls.size() + 1);
}

InetHandle ScriptedRequest(const InetFake::Script& script) {
    InetFake::Start(script);
    return InetOpenRequest(nullptr, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
}

struct LimitCase {
    std::vector<size_t> pieceSizes;
    int32_t limit;
    size_t expectedLength;
    size_t reads;
};

const LimitCase kLimitCases[] = {
    // A body of exactly the limit comes back whole.
    {{1024, 1024, 1000}, 3048, 3048, 4},
    // One byte more than the limit: reading stops at the read that passes it.
    {{1024, 1024, 1001}, 3048, 0, 3},
    {{1024, 1024, 1024, 1024}, 2500, 0, 3},
    {{10}, 0, 0, 1},
    {{}, 0, 0, 1},
};

TEST(ReadResponseBody, StopsAtTheLimitAndGivesAnEmptyBody) {
    for (const LimitCase& row : kLimitCases) {
        InetFake::Script script;
        for (size_t size : row.pieceSizes)
            script.bodyPieces.push_back(std::string(size, 'b'));
        const InetHandle request = ScriptedRequest(script);

        const Bytes body = ReadResponseBody(request, row.limit);

        EXPECT_EQ(static_cast<size_t>(body.Length()), row.expectedLength) << "limit " << row.limit;
        EXPECT_EQ(InetFake::CallsTo("InetReadFile").size(), row.reads) << "limit " << row.limit;
    }
}

TEST(ReadResponseBody, StopsAtThePieceThatWouldPassTheLimit) {
    InetFake::Script script;
    script.bodyPieces = {std::string(1024, 'b'), std::string(1024, 'c'), "d"};
    const InetHandle request = ScriptedRequest(script);
    // 1024 bytes fit under a limit of 1500; the next 1024 would pass it.
    EXPECT_TRUE(ReadResponseBody(request, 1500).IsEmpty());
    EXPECT_EQ(InetFake::CallsTo("InetReadFile").size(), 2u);
}

TEST(ReadResponseBody, TakesTheLargest32BitLengthAsItsDefaultLimit) {
    EXPECT_EQ(kMaxBodyLength, 2147483647);
}

std::string HeaderBlockOfLength(size_t length) {
    std::string block = "HTTP/1.1 200 OK\r\nX-Fill: ";
    const std::string end = "\r\n\r\n";
    block += std::string(length - block.size() - end.size(), 'f');
    return block + end;
}

struct HeaderBlockCase {
    size_t length;
    std::vector<std::string> querySizes;
};

const HeaderBlockCase kHeaderBlockCases[] = {
    {4999, {"5000"}},
    {5000, {"5000", "5001"}},
    {5001, {"5000", "5002"}},
    {20000, {"5000", "20001"}},
};

TEST(FetchUrlResponse, HandsBackTheWholeHeaderBlockWhateverItsLength) {
    for (const HeaderBlockCase& row : kHeaderBlockCases) {
        InetFake::Script script;
        script.headerBlock = HeaderBlockOfLength(row.length);
        InetFake::Start(script);
        Text responseHeaders;
        FetchParameters parameters;
        parameters.responseHeaders = &responseHeaders;
        FetchUrl(Text(kUrl), parameters);

        EXPECT_EQ(responseHeaders, Text(script.headerBlock)) << row.length << " bytes";
        std::vector<std::string> querySizes;
        for (const InetFake::Call& call : InetFake::CallsTo("InetQueryInfo"))
            querySizes.push_back(call.arguments.at(2));
        EXPECT_EQ(querySizes, row.querySizes) << row.length << " bytes";
    }
}

struct CookieLinesCase {
    const char* behaviour;
    std::string headerLines;
    const char* returnedCookies;
};

const CookieLinesCase kCookieLinesCases[] = {
    {"the three spellings",
     "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nset-cookie: c=3; HttpOnly\r\n",
     "a=1; b=2; c=3"},
    {"no Set-Cookie line", "Content-Type: text/html\r\n", ""},
    {"a name that only begins with it, last", "Set-Cookie: a=1\r\nSet-Cookie-Policy: x; y\r\n",
     "a=1; "},
    {"a name that only begins with it, first", "Set-Cookie-Policy: x; y\r\nSet-Cookie: a=1\r\n",
     "; a=1"},
    {"SET-COOKIE in upper case", "SET-COOKIE:  k=v ; Secure\r\n", "k=v"},
    {"a value that mentions it", "X-Note: set-cookie here\r\n", "X-Note: Set-Cookie here"},
    {"a value with blanks", "Set-Cookie: s = a b\r\n", "s = a b"},
    {"an empty cookie line", "Set-Cookie:\r\n", ""},
};

TEST(FetchUrlResponse, CollectsTheCookiesThatTheServerSet) {
    for (const CookieLinesCase& row : kCookieLinesCases) {
        SCOPED_TRACE(row.behaviour);
        InetFake::Script script;
        script.headerBlock = "HTTP/1.1 200 OK\r\n" + row.headerLines + "\r\n";
        InetFake::Start(script);
        Text returnedCookies("old");
        FetchParameters parameters;
        parameters.returnedCookies = &returnedCookies;
        FetchUrl(Text(kUrl), parameters);
        EXPECT_EQ(returnedCookies, Text(row.returnedCookies));
    }
}

TEST(FetchUrlResponse, SpellsSetCookieOneWayInTheHeaderBlock) {
    InetFake::Script script;
    script.headerBlock = "HTTP/1.1 200 OK\r\nSET-COOKIE: a=1\r\nsEt-CoOkIe: b=2\r\n"
                         "X-Note: set-cookie\r\n\r\n";
    InetFake::Start(script);
    Text responseHeaders;
    FetchParameters parameters;
    parameters.responseHeaders = &responseHeaders;
    FetchUrl(Text(kUrl), parameters);
    EXPECT_EQ(responseHeaders, Text("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n"
                                    "X-Note: Set-Cookie\r\n\r\n"));
}

const std::string kTwoCookies =
    "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b = 2\r\n\r\n";

struct MergeThroughFetchCase {
    const char* behaviour;
    std::optional<const char*> cookies;
    const char* cookieLine;
    const char* cookiesAfter;
    const char* returnedAfter;
};

const MergeThroughFetchCase kMergeThroughFetchCases[] = {
    {"no cookies supplied", std::nullopt, "", "", "a=1; b = 2"},
    {"empty cookies supplied", "", "", "a=1; b=2", "a=1;b=2"},
    {"cookies of the caller", "x=9; a=0", "\r\nCookie: x=9; a=0", "a=1; b=2; x=9", "a=1;b=2"},
};

TEST(FetchUrlResponse, MergesTheReturnedCookiesWhenTheCallerSuppliedCookies) {
    for (const MergeThroughFetchCase& row : kMergeThroughFetchCases) {
        SCOPED_TRACE(row.behaviour);
        InetFake::Script script;
        script.headerBlock = kTwoCookies;
        InetFake::Start(script);
        Text cookies(row.cookies.value_or(""));
        Text returnedCookies;
        FetchParameters parameters;
        parameters.cookies = row.cookies ? &cookies : nullptr;
        parameters.returnedCookies = &returnedCookies;
        FetchUrl(Text(kUrl), parameters);

        EXPECT_EQ(EscapedBytes(SentHeaderText()),
                  EscapedBytes(DefaultHeaderText(kUrl) + row.cookieLine));
        if (row.cookies) {
            EXPECT_EQ(cookies, Text(row.cookiesAfter));
        }
        EXPECT_EQ(returnedCookies, Text(row.returnedAfter));
    }
}

} // namespace
