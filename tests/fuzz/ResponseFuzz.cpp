// Fuzz target: the internet layer's reading of a response. The input is sent as the raw
// response of a loopback server; whatever it is, the request must end, and when the send
// succeeded the header block must be well-formed: a status line, lines ended by CR LF,
// and one empty line at the end only.
#include "http/Inet.h"
#include "http/InetCurlSettings.h"
#include "support/LoopbackServer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

struct Closer {
    InetHandle handle;
    ~Closer() {
        if (handle)
            InetCloseHandle(handle);
    }
};

void RequireWellFormedHeaderBlock(std::string_view block) {
    // The status line as the server wrote it: libcurl takes "HTTP/" in any letter case.
    Require(block.size() > 5);
    for (size_t i = 0; i < 4; ++i)
        Require((block[i] | 0x20) == "http"[i]);
    Require(block[4] == '/');
    Require(block.ends_with("\r\n\r\n"));
    Require(block.find("\r\n\r\n") == block.size() - 4);
    // Every LF ends a line, after its CR.
    for (size_t at = block.find('\n'); at != std::string_view::npos; at = block.find('\n', at + 1))
        Require(at > 0 && block[at - 1] == '\r');
}

void FetchFrom(const LoopbackServer& server) {
    Closer internet{InetOpen("fuzz", kInetOpenTypeDirect, nullptr, nullptr, 0)};
    Require(internet.handle != nullptr);
    Closer connection{InetConnect(internet.handle, "127.0.0.1", server.Port(), nullptr, nullptr,
                                  kInetServiceHttp, 0, 0)};
    Require(connection.handle != nullptr);
    Closer request{InetOpenRequest(connection.handle, "GET", "/", "HTTP/1.1", nullptr, nullptr,
                                   kInetFlagNoAutoRedirect | kInetFlagNoCookies, 0)};
    Require(request.handle != nullptr);
    const bool sent = InetSendRequest(request.handle, "Accept-Encoding: gzip, deflate", -1, "", 0);

    char buffer[1024];
    int32_t count = 0;
    int64_t total = 0;
    while (InetReadFile(request.handle, buffer, sizeof buffer, &count) && count > 0) {
        Require(count <= static_cast<int32_t>(sizeof buffer));
        total += count;
    }
    Require(total <= 1 << 20);

    int32_t size = 0;
    const bool sized =
        InetQueryInfo(request.handle, kHttpQueryRawHeadersCrlf, nullptr, &size, nullptr);
    Require(!sized);
    if (!sent) {
        Require(InetLastError() != kInetErrorInsufficientBuffer);
        return;
    }
    Require(InetLastError() == kInetErrorInsufficientBuffer && size > 0);
    std::string block(static_cast<size_t>(size), '\0');
    Require(InetQueryInfo(request.handle, kHttpQueryRawHeadersCrlf, block.data(), &size, nullptr));
    Require(size >= 0 && static_cast<size_t>(size) < block.size() && block[size] == '\0');
    block.resize(static_cast<size_t>(size));
    RequireWellFormedHeaderBlock(block);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InetCurlSettings settings = CurrentInetCurlSettings();
    settings.noDataTimeoutMs = 500;
    settings.connectTimeoutMs = 1000;
    settings.bodySizeLimit = 1 << 20;
    SetInetCurlSettings(settings);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536)
        return 0;
    // Tens of thousands of short connections a minute can leave no loopback port free for a
    // new server for a moment; that input is skipped, it says nothing about the layer.
    std::unique_ptr<LoopbackServer> server;
    try {
        server = std::make_unique<LoopbackServer>(
            loopback::Respond(std::string(reinterpret_cast<const char*>(data), size)));
    } catch (const std::runtime_error&) {
        return 0;
    }
    FetchFrom(*server);
    return 0;
}
