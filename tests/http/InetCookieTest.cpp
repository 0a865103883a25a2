// The process-wide cookie store of the internet layer: a cookie one request receives goes
// out with the next, unless a request asks for no cookie handling.
#include "InetExchange.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

namespace {

// Every test keeps its cookies under a path of its own, fresh on every run: the store lives
// as long as the process, and other tests' (or a repeated test's) requests must not carry
// them.
std::string FreshPath(const std::string& name) {
    static std::atomic<int> runs{0};
    return "/cookies-" + name + "-" + std::to_string(++runs);
}

std::string CookieLineOf(const std::string& request) {
    size_t at = request.find("\r\nCookie: ");
    if (at == std::string::npos)
        return "";
    return request.substr(at + 2, request.find("\r\n", at + 2) - at - 2);
}

// The cookies of a request's Cookie line, sorted: their order is the store's business.
std::set<std::string> CookiesOf(const std::string& request) {
    std::string line = CookieLineOf(request);
    std::set<std::string> cookies;
    if (line.empty())
        return cookies;
    line.erase(0, 8);
    for (size_t start = 0; start <= line.size();) {
        size_t end = line.find("; ", start);
        cookies.insert(line.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return cookies;
}

struct Case {
    const char* name;
    bool firstStores;
    bool secondSends;
    std::set<std::string> expectedCookies;
};

const Case kCases[] = {
    {"Both", true, true, {"id=42", "lg=zh"}},
    {"FirstWithoutCookies", false, true, {}},
    {"SecondWithoutCookies", true, false, {}},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class InetCookies : public testing::TestWithParam<Case> {};

TEST_P(InetCookies, SetByOneRequestAreSentByTheNext) {
    const Case& c = GetParam();
    std::string path = FreshPath(c.name);
    LoopbackServer server(
        {loopback::Respond(loopback::Response("200 OK",
                                              "Set-Cookie: id=42; Path=" + path +
                                                  "\r\nSet-Cookie: lg=zh; Path=" + path + "\r\n",
                                              "")),
         loopback::Respond(loopback::Response("200 OK", "", ""))});
    LayerRequest request;
    request.port = server.Port();
    request.path = path + "/first";
    if (!c.firstStores)
        request.flags |= kInetFlagNoCookies;
    ASSERT_TRUE(Exchange(request).sent);
    request.path = path + "/second";
    request.flags = c.secondSends ? 0 : kInetFlagNoCookies;
    ASSERT_TRUE(Exchange(request).sent);
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(CookieLineOf(requests[0]), "");
    EXPECT_EQ(CookiesOf(requests[1]), c.expectedCookies);
}

INSTANTIATE_TEST_SUITE_P(Store, InetCookies, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InetCookieStore, CookieOfARedirectGoesWithTheFollowedRequest) {
    std::string path = FreshPath("redirect");
    LoopbackServer server(
        {loopback::Respond(loopback::Response(
             "302 Found", "Set-Cookie: hop=1; Path=" + path + "\r\nLocation: " + path + "/b\r\n",
             "")),
         loopback::Respond(loopback::Response("200 OK", "", ""))});
    LayerRequest request;
    request.port = server.Port();
    request.path = path + "/a";
    ASSERT_TRUE(Exchange(request).sent);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(CookieLineOf(server.Requests()[1]), "Cookie: hop=1");
}

TEST(InetCookieStore, IsSharedByRequestsOnOtherThreads) {
    std::string path = FreshPath("thread");
    LoopbackServer server({loopback::Respond(loopback::Response(
                               "200 OK", "Set-Cookie: t=x; Path=" + path + "\r\n", "")),
                           loopback::Respond(loopback::Response("200 OK", "", ""))});
    LayerRequest request;
    request.port = server.Port();
    request.path = path + "/1";
    std::thread([&] { EXPECT_TRUE(Exchange(request).sent); }).join();
    request.path = path + "/2";
    ASSERT_TRUE(Exchange(request).sent);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(CookieLineOf(server.Requests()[1]), "Cookie: t=x");
}

TEST(InetCookieStore, CallersCookieLineIsSentAsGivenWithNoCookies) {
    LoopbackServer server(loopback::Respond(loopback::Response("200 OK", "", "")));
    LayerRequest request;
    request.port = server.Port();
    request.path = FreshPath("caller");
    request.headers = "Cookie: mine=1";
    request.flags |= kInetFlagNoCookies;
    ASSERT_TRUE(Exchange(request).sent);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(CookieLineOf(server.Requests()[0]), "Cookie: mine=1");
    EXPECT_EQ(server.Requests()[0].find("Cookie:"), server.Requests()[0].rfind("Cookie:"));
}

} // namespace
