// Driving the internet layer through one whole request.
#include "InetExchange.h"

#include <vector>

namespace {

struct Handle {
    InetHandle value;
    ~Handle() {
        if (value)
            InetCloseHandle(value);
    }
};

} // namespace

bool QueryHeaderBlock(InetHandle request, std::string& block) {
    std::vector<char> buffer(5000);
    auto size = static_cast<int32_t>(buffer.size());
    bool ok = InetQueryInfo(request, kHttpQueryRawHeadersCrlf, buffer.data(), &size, nullptr);
    if (!ok && InetLastError() == kInetErrorInsufficientBuffer) {
        buffer.resize(static_cast<size_t>(size));
        ok = InetQueryInfo(request, kHttpQueryRawHeadersCrlf, buffer.data(), &size, nullptr);
    }
    if (ok)
        block.assign(buffer.data(), static_cast<size_t>(size));
    return ok;
}

LayerResponse Exchange(const LayerRequest& request) {
    LayerResponse response;
    bool proxied = !request.proxy.empty();
    Handle internet{InetOpen(request.agent.c_str(),
                             proxied ? kInetOpenTypeProxy : kInetOpenTypeDirect,
                             proxied ? request.proxy.c_str() : nullptr, proxied ? "" : nullptr, 0)};
    Handle connection{InetConnect(internet.value, request.host.c_str(), request.port, nullptr,
                                  nullptr, kInetServiceHttp, 0, 0)};
    Handle handle{InetOpenRequest(connection.value, request.verb.c_str(), request.path.c_str(),
                                  "HTTP/1.1", nullptr, nullptr, request.flags, 0)};
    if (!handle.value) {
        response.sendError = InetLastError();
        return response;
    }
    response.sent = InetSendRequest(handle.value, request.headers.c_str(),
                                    static_cast<int32_t>(request.headers.size()),
                                    request.body.empty() ? nullptr : request.body.data(),
                                    static_cast<int32_t>(request.body.size()));
    if (!response.sent)
        response.sendError = InetLastError();
    char buffer[1024];
    for (;;) {
        int32_t count = 0;
        bool ok = InetReadFile(handle.value, buffer, sizeof buffer, &count);
        response.body.append(buffer, static_cast<size_t>(count));
        if (!ok) {
            response.readFailed = true;
            response.readError = InetLastError();
        }
        if (!ok || count == 0)
            break;
    }
    response.headersQueried = QueryHeaderBlock(handle.value, response.headerBlock);
    return response;
}
