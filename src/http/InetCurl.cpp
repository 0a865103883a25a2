// The internet layer (Inet.h) on libcurl: sessions, connections and requests as handles,
// each request carried out by a CurlTransfer. No exception leaves these calls.
#include "Inet.h"

#include "InetCurlHandles.h"
#include "InetCurlHeaders.h"
#include "InetCurlSettings.h"
#include "InetCurlTransfer.h"
#include "InetCurlUrl.h"

#include <cstring>
#include <new>
#include <string>

namespace {

thread_local uint32_t t_lastError = kInetErrorNone;

struct Session : InetObject {
    std::string agent;
    std::string proxyList;
    std::string proxyBypass;
};

struct Connection : InetObject {
    std::shared_ptr<const Session> session;
    std::string host;
    int32_t port{0};
};

struct Request : InetObject {
    std::shared_ptr<const Connection> connection;
    std::string verb;
    std::string objectPath;
    bool http10{false};
    std::string referrer;
    std::string acceptTypes;
    uint32_t flags{0};
    // One call at a time on a request; the transfer is replaced by every send.
    std::mutex mutex;
    std::unique_ptr<CurlTransfer> transfer;
};

template <typename Result> Result Failure(uint32_t error, Result result) {
    t_lastError = error;
    return result;
}

// Runs a call's body, turning any exception into a failure: nothing may unwind into a
// caller that knows only C-style results.
template <typename Result, typename Body> Result Guarded(Result failed, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Failure(kInetErrorNotEnoughMemory, failed);
    } catch (...) {
        return Failure(kInetErrorInternal, failed);
    }
}

// The object of a live handle of the kind wanted; null otherwise, with the reason left for
// InetLastError().
template <typename Kind> std::shared_ptr<Kind> Lookup(InetHandle handle) {
    std::shared_ptr<InetObject> object = InetHandleTable::Instance().FindAny(handle);
    if (!object)
        return Failure(kInetErrorInvalidHandle, std::shared_ptr<Kind>());
    auto wanted = std::dynamic_pointer_cast<Kind>(object);
    return wanted ? wanted : Failure(kInetErrorIncorrectHandleType, std::shared_ptr<Kind>());
}

std::string TextOrEmpty(const char* text) {
    return text ? std::string(text) : std::string();
}

// A method name is a token (RFC 9110 9.1, 5.6.2): anything else would break the request
// line.
bool IsToken(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text) {
        bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric && std::string_view("!#$%&'*+-.^_`|~").find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

std::string JoinAcceptTypes(const char** acceptTypes) {
    std::string joined;
    for (; acceptTypes && *acceptTypes; ++acceptTypes) {
        if (!joined.empty())
            joined += ", ";
        joined += *acceptTypes;
    }
    return joined;
}

TransferRequest TransferFor(const Request& request, std::string_view headerText, std::string body) {
    const Connection& connection = *request.connection;
    const Session& session = *connection.session;
    std::vector<std::string_view> lines = HeaderLines(headerText);
    std::string referrerLine = "Referer: " + request.referrer;
    std::string acceptLine = "Accept: " + request.acceptTypes;
    if (!request.referrer.empty() && !HasHeader(lines, "Referer"))
        lines.push_back(referrerLine);
    if (!request.acceptTypes.empty() && !HasHeader(lines, "Accept"))
        lines.push_back(acceptLine);

    TransferRequest transfer;
    transfer.verb = request.verb;
    transfer.url = CurlRequestUrl((request.flags & kInetFlagSecure) != 0, connection.host,
                                  connection.port, request.objectPath);
    transfer.headerEntries = CurlHeaderEntries(lines);
    transfer.userAgent = session.agent;
    transfer.sendsBody = !body.empty() || request.verb == "POST" || request.verb == "PUT";
    transfer.body = std::move(body);
    transfer.proxyList = session.proxyList;
    transfer.proxyBypass = session.proxyBypass;
    transfer.useCookies = (request.flags & kInetFlagNoCookies) == 0;
    transfer.followRedirects = (request.flags & kInetFlagNoAutoRedirect) == 0;
    transfer.http10 = request.http10;
    transfer.settings = CurrentInetCurlSettings();
    return transfer;
}

} // namespace

InetHandle InetOpen(const char* agent, int32_t accessType, const char* proxy,
                    const char* proxyBypass, uint32_t) {
    return Guarded<InetHandle>(nullptr, [&]() -> InetHandle {
        auto session = std::make_shared<Session>();
        session->agent = TextOrEmpty(agent);
        if (accessType == kInetOpenTypeProxy) {
            session->proxyList = TextOrEmpty(proxy);
            session->proxyBypass = TextOrEmpty(proxyBypass);
        } else if (accessType != kInetOpenTypeDirect) {
            // Only direct and named-proxy access exist here: there are no system proxy
            // settings to fall back on, and the environment's are deliberately not read.
            return Failure(kInetErrorInvalidParameter, nullptr);
        }
        return InetHandleTable::Instance().Add(std::move(session), nullptr);
    });
}

InetHandle InetConnect(InetHandle internet, const char* host, int32_t port, const char*,
                       const char*, int32_t service, uint32_t, uintptr_t) {
    return Guarded<InetHandle>(nullptr, [&]() -> InetHandle {
        auto session = Lookup<Session>(internet);
        if (!session)
            return nullptr;
        if (service != kInetServiceHttp || port < 0 || port > 65535)
            return Failure(kInetErrorInvalidParameter, nullptr);
        if (!host || !IsUsableHost(host))
            return Failure(kInetErrorInvalidUrl, nullptr);
        auto connection = std::make_shared<Connection>();
        connection->session = session;
        connection->host = host;
        connection->port = port;
        InetHandle handle = InetHandleTable::Instance().Add(std::move(connection), internet);
        return handle ? handle : Failure(kInetErrorInvalidHandle, nullptr);
    });
}

InetHandle InetOpenRequest(InetHandle connection, const char* verb, const char* objectPath,
                           const char* version, const char* referrer, const char** acceptTypes,
                           uint32_t flags, uintptr_t) {
    return Guarded<InetHandle>(nullptr, [&]() -> InetHandle {
        auto parent = Lookup<Connection>(connection);
        if (!parent)
            return nullptr;
        auto request = std::make_shared<Request>();
        request->connection = parent;
        request->verb = verb && *verb ? verb : "GET";
        if (!IsToken(request->verb))
            return Failure(kInetErrorInvalidParameter, nullptr);
        request->objectPath = objectPath && *objectPath ? objectPath : "/";
        request->http10 = version && std::strcmp(version, "HTTP/1.0") == 0;
        request->referrer = TextOrEmpty(referrer);
        request->acceptTypes = JoinAcceptTypes(acceptTypes);
        request->flags = flags;
        InetHandle handle = InetHandleTable::Instance().Add(std::move(request), connection);
        return handle ? handle : Failure(kInetErrorInvalidHandle, nullptr);
    });
}

bool InetSendRequest(InetHandle handle, const char* headers, int32_t headersLength,
                     const void* optional, int32_t optionalLength) {
    return Guarded(false, [&] {
        auto request = Lookup<Request>(handle);
        if (!request)
            return false;
        if (optionalLength < 0 || (optionalLength > 0 && !optional))
            return Failure(kInetErrorInvalidParameter, false);
        std::string_view headerText;
        if (headers)
            headerText = headersLength < 0 ? std::string_view(headers)
                                           : std::string_view(headers, headersLength);
        std::string body;
        if (optionalLength > 0)
            body.assign(static_cast<const char*>(optional), static_cast<size_t>(optionalLength));
        std::lock_guard lock(request->mutex);
        request->transfer.reset();
        request->transfer =
            std::make_unique<CurlTransfer>(TransferFor(*request, headerText, std::move(body)));
        if (!request->transfer->Send())
            return Failure(request->transfer->Error(), false);
        return true;
    });
}

bool InetReadFile(InetHandle handle, void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    return Guarded(false, [&] {
        if (bytesRead)
            *bytesRead = 0;
        auto request = Lookup<Request>(handle);
        if (!request)
            return false;
        if (!bytesRead || bytesToRead < 0 || (bytesToRead > 0 && !buffer))
            return Failure(kInetErrorInvalidParameter, false);
        std::lock_guard lock(request->mutex);
        if (!request->transfer)
            return Failure(kInetErrorIncorrectHandleState, false);
        size_t count = 0;
        bool ok = request->transfer->Read(static_cast<char*>(buffer),
                                          static_cast<size_t>(bytesToRead), count);
        *bytesRead = static_cast<int32_t>(count);
        return ok ? true : Failure(request->transfer->Error(), false);
    });
}

bool InetQueryInfo(InetHandle handle, uint32_t infoLevel, void* buffer, int32_t* bufferLength,
                   int32_t*) {
    return Guarded(false, [&] {
        auto request = Lookup<Request>(handle);
        if (!request)
            return false;
        if (!bufferLength || *bufferLength < 0)
            return Failure(kInetErrorInvalidParameter, false);
        if (infoLevel != kHttpQueryRawHeadersCrlf)
            return Failure(kInetErrorHeaderNotFound, false);
        std::lock_guard lock(request->mutex);
        if (!request->transfer || !request->transfer->HasHeaders())
            return Failure(kInetErrorIncorrectHandleState, false);
        const std::string& block = request->transfer->HeaderBlock();
        auto needed = static_cast<int32_t>(block.size() + 1);
        if (!buffer || *bufferLength < needed) {
            *bufferLength = needed;
            return Failure(kInetErrorInsufficientBuffer, false);
        }
        std::memcpy(buffer, block.data(), block.size());
        static_cast<char*>(buffer)[block.size()] = '\0';
        *bufferLength = static_cast<int32_t>(block.size());
        return true;
    });
}

bool InetCloseHandle(InetHandle handle) {
    return Guarded(false, [&] {
        if (!InetHandleTable::Instance().Close(handle))
            return Failure(kInetErrorInvalidHandle, false);
        return true;
    });
}

uint32_t InetLastError() {
    return t_lastError;
}
