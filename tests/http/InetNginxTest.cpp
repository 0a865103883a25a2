// The internet layer against a real server: nginx on loopback, with its gzip module and
// with TLS from a test certificate authority.
#include "InetExchange.h"
#include "http/InetCurlSettings.h"
#include "support/GzipForTests.h"
#include "support/LoopbackServer.h"
#include "support/Nginx.h"

#include <gtest/gtest.h>

namespace {

LayerRequest RequestTo(const Nginx& nginx, std::string path, bool secure = false) {
    LayerRequest request;
    request.port = nginx.Port();
    request.path = std::move(path);
    if (secure)
        request.flags |= kInetFlagSecure;
    return request;
}

std::string Page() {
    std::string page = "<html><body>";
    for (int i = 0; i < 500; ++i)
        page += "<p>line " + std::to_string(i) + " of a page that compresses well</p>\n";
    return page + "</body></html>\n";
}

bool HasLine(const std::string& block, const std::string& line) {
    return block.find("\r\n" + line + "\r\n") != std::string::npos;
}

TEST(InetNginx, GzipPageArrivesCompressed) {
    NginxOptions options;
    options.gzip = true;
    Nginx nginx(options);
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    const std::string page = Page();
    nginx.WriteFile("index.html", page);

    LayerRequest request = RequestTo(nginx, "/index.html");
    request.headers = "Accept-Encoding: gzip, deflate";
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent) << response.sendError;
    EXPECT_TRUE(HasLine(response.headerBlock, "Content-Encoding: gzip")) << response.headerBlock;
    ASSERT_GE(response.body.size(), 2u);
    EXPECT_EQ(response.body.substr(0, 2), "\x1F\x8B");
    EXPECT_LT(response.body.size(), page.size() / 4);
    EXPECT_EQ(GunzipForTests(response.body), page);

    request.headers = "Accept: */*";
    LayerResponse plain = Exchange(request);
    EXPECT_EQ(plain.headerBlock.find("Content-Encoding"), std::string::npos);
    EXPECT_EQ(plain.body, page);
}

TEST(InetNginx, HttpsWithTheTestCaTrusted) {
    NginxOptions options;
    options.tls = true;
    Nginx nginx(options);
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    nginx.WriteFile("secure.txt", "over tls");
    InetCurlSettings settings;
    settings.extraCaFile = nginx.CaFile();
    ScopedInetCurlSettings scoped(settings);
    for (const char* host : {"127.0.0.1", "localhost"}) {
        LayerRequest request = RequestTo(nginx, "/secure.txt", true);
        request.host = host;
        LayerResponse response = Exchange(request);
        ASSERT_TRUE(response.sent) << host << " " << response.sendError << "\n" << nginx.Log();
        EXPECT_EQ(response.body, "over tls") << host;
        EXPECT_EQ(response.headerBlock.substr(0, 17), "HTTP/1.1 200 OK\r\n") << host;
    }
}

TEST(InetNginx, UntrustedCertificateFailsTheSend) {
    NginxOptions options;
    options.tls = true;
    Nginx nginx(options);
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    nginx.WriteFile("secure.txt", "over tls");
    LayerResponse response = Exchange(RequestTo(nginx, "/secure.txt", true));
    EXPECT_FALSE(response.sent);
    EXPECT_EQ(response.sendError, kInetErrorSecureFailure);
    EXPECT_EQ(response.body, "");
    EXPECT_FALSE(response.headersQueried);
}

TEST(InetNginx, CertificateForAnotherHostFailsTheSend) {
    NginxOptions options;
    options.tls = true;
    options.certificateNames = {"DNS:elsewhere.invalid"};
    Nginx nginx(options);
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    nginx.WriteFile("secure.txt", "over tls");
    InetCurlSettings settings;
    settings.extraCaFile = nginx.CaFile();
    ScopedInetCurlSettings scoped(settings);
    LayerResponse response = Exchange(RequestTo(nginx, "/secure.txt", true));
    EXPECT_FALSE(response.sent);
    EXPECT_EQ(response.sendError, kInetErrorSecureFailure);
}

TEST(InetNginx, RedirectFromHttpToHttpsIsFollowed) {
    NginxOptions options;
    options.tls = true;
    Nginx nginx(options);
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    nginx.WriteFile("target.txt", "secure target");
    InetCurlSettings settings;
    settings.extraCaFile = nginx.CaFile();
    ScopedInetCurlSettings scoped(settings);
    LoopbackServer plain(loopback::Respond(loopback::Response(
        "301 Moved Permanently", "Location: " + nginx.Url("/target.txt") + "\r\n", "")));
    LayerRequest request;
    request.port = plain.Port();
    request.flags |= kInetFlagIgnoreRedirectToHttps;
    LayerResponse response = Exchange(request);
    ASSERT_TRUE(response.sent) << response.sendError;
    EXPECT_EQ(response.body, "secure target");
}

TEST(InetNginx, LargeFileArrivesWhole) {
    Nginx nginx;
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    std::string file(24 << 20, '\0');
    for (size_t i = 0; i < file.size(); ++i)
        file[i] = static_cast<char>((i * 2654435761u) >> 13);
    nginx.WriteFile("large.bin", file);
    LayerResponse response = Exchange(RequestTo(nginx, "/large.bin"));
    ASSERT_TRUE(response.sent);
    EXPECT_FALSE(response.readFailed);
    EXPECT_EQ(response.body.size(), file.size());
    EXPECT_TRUE(response.body == file);
}

} // namespace
