// Requests through a proxy given in WinInet's syntax, with a loopback server standing in
// for the proxy; and no proxy at all from the environment.
#include "InetExchange.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

const std::string kViaProxy = loopback::Response("200 OK", "", "via proxy");

TEST(InetProxy, HttpProxyGetsTheAbsoluteFormRequest) {
    LoopbackServer proxy(loopback::Respond(kViaProxy));
    LayerRequest request;
    request.host = "quandrel-target.invalid";
    request.port = 80;
    request.path = "/p?q=\xD6\xD0";
    request.headers = "Accept: */*";
    request.proxy = "http=127.0.0.1:" + std::to_string(proxy.Port());
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent) << response.sendError;
    EXPECT_EQ(response.body, "via proxy");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0], "GET http://quandrel-target.invalid/p?q=%D6%D0 HTTP/1.1\r\n"
                                   "Host: quandrel-target.invalid\r\n"
                                   "User-Agent: QuandrelTest/1.0\r\n"
                                   "Accept: */*\r\n\r\n");
}

TEST(InetProxy, GbkHostReachesTheProxyInItsAsciiForm) {
    LoopbackServer proxy(loopback::Respond(kViaProxy));
    LayerRequest request;
    request.host = "\xD6\xD0\xCE\xC4.cn"; // 中文.cn
    request.port = 8080;
    request.proxy = "127.0.0.1:" + std::to_string(proxy.Port());
    ASSERT_TRUE(Exchange(request).sent);
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(RequestLine(proxy.Requests()[0]), "GET http://xn--fiq228c.cn:8080/ HTTP/1.1");
    EXPECT_NE(proxy.Requests()[0].find("\r\nHost: xn--fiq228c.cn:8080\r\n"), std::string::npos);
}

struct SchemeCase {
    const char* name;
    std::string proxyList; // "{P}" stands for the proxy's host:port
    bool secure;
    bool proxyUsed;
};

const SchemeCase kSchemeCases[] = {
    {"HttpEntryForHttp", "http={P}", false, true},
    {"HttpEntryNotForHttps", "http={P}", true, false},
    {"BareEntryForHttps", "{P}", true, true},
    {"HttpsEntryForHttps", "http=127.0.0.1:1 https={P}", true, true},
    {"HttpsEntryNotForHttp", "https={P}", false, false},
};

TEST(InetProxy, EntriesApplyToTheirSchemeOnly) {
    for (const SchemeCase& c : kSchemeCases) {
        LoopbackServer proxy(
            loopback::Respond(loopback::Response("403 Forbidden", "", "proxy says no")));
        std::string list = c.proxyList;
        list.replace(list.find("{P}"), 3, "127.0.0.1:" + std::to_string(proxy.Port()));
        LayerRequest request;
        request.host = "quandrel-target.invalid";
        request.port = 443;
        request.flags |= c.secure ? kInetFlagSecure : 0;
        request.proxy = list;
        Exchange(request);
        std::vector<std::string> seen = proxy.Requests();
        ASSERT_EQ(seen.size(), c.proxyUsed ? 1u : 0u) << c.name;
        if (!c.proxyUsed)
            continue;
        EXPECT_EQ(RequestLine(seen[0]), c.secure
                                            ? "CONNECT quandrel-target.invalid:443 HTTP/1.1"
                                            : "GET http://quandrel-target.invalid:443/ HTTP/1.1")
            << c.name;
    }
}

TEST(InetProxy, BypassedHostIsReachedDirectly) {
    LoopbackServer proxy(loopback::Respond(kViaProxy));
    LoopbackServer target(loopback::Respond(loopback::Response("200 OK", "", "direct")));
    std::string list = "127.0.0.1:" + std::to_string(proxy.Port());
    InetHandle internet = InetOpen("a", kInetOpenTypeProxy, list.c_str(), "localhost;127.0.0.*", 0);
    InetHandle connection =
        InetConnect(internet, "127.0.0.1", target.Port(), nullptr, nullptr, kInetServiceHttp, 0, 0);
    InetHandle request = InetOpenRequest(connection, "GET", "/", nullptr, nullptr, nullptr, 0, 0);
    EXPECT_TRUE(InetSendRequest(request, "", 0, nullptr, 0));
    InetCloseHandle(internet);
    EXPECT_EQ(proxy.Requests().size(), 0u);
    EXPECT_EQ(target.Requests().size(), 1u);
}

// Sets environment variables for one test and puts the old values back afterwards.
class ScopedEnvironment {
public:
    void Set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        m_saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST(InetProxy, EnvironmentProxyVariablesAreIgnored) {
    LoopbackServer environmentProxy(loopback::Respond(kViaProxy));
    LoopbackServer target(loopback::Respond(loopback::Response("200 OK", "", "direct")));
    ScopedEnvironment environment;
    std::string proxyUrl = "http://127.0.0.1:" + std::to_string(environmentProxy.Port());
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        environment.Set(name, proxyUrl);
    LayerRequest request;
    request.port = target.Port();
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent);
    EXPECT_EQ(response.body, "direct");
    EXPECT_EQ(environmentProxy.Requests().size(), 0u);
    ASSERT_EQ(target.Requests().size(), 1u);
    EXPECT_EQ(RequestLine(target.Requests()[0]), "GET / HTTP/1.1");
}

TEST(InetProxy, EnvironmentNoProxyDoesNotBypassAGivenProxy) {
    LoopbackServer proxy(loopback::Respond(kViaProxy));
    ScopedEnvironment environment;
    environment.Set("no_proxy", "*");
    environment.Set("NO_PROXY", "*");
    LayerRequest request;
    request.host = "quandrel-target.invalid";
    request.port = 80;
    request.proxy = "127.0.0.1:" + std::to_string(proxy.Port());
    LayerResponse response = Exchange(request);
    EXPECT_EQ(response.body, "via proxy");
    EXPECT_EQ(proxy.Requests().size(), 1u);
}

} // namespace
