// The loopback server of the Windows tests: one listening socket, one thread, one
// connection at a time.
#include "LoopbackHttpServer.h"

#include <ws2tcpip.h>

namespace {

// A request head larger than this is cut off: the tests' requests are a few hundred bytes.
constexpr size_t kMaxHeadLength = 64 * 1024;
constexpr DWORD kReceiveTimeoutMs = 5000;

struct WinsockStarted {
    WinsockStarted() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockStarted() { ::WSACleanup(); }
};

} // namespace

LoopbackHttpServer::LoopbackHttpServer(std::string response) : m_response(std::move(response)) {
    static WinsockStarted winsock;
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listener == INVALID_SOCKET)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_stopping.store(true);
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> LoopbackHttpServer::RequestHeads() const {
    std::lock_guard lock(m_mutex);
    return m_requestHeads;
}

std::string LoopbackHttpServer::Response(const std::string& headerLines, const std::string& body) {
    return "HTTP/1.1 200 OK\r\n" + headerLines + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

void LoopbackHttpServer::Serve() {
    for (int served = 0; served < kMaxConnections && !m_stopping.load();) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listener, &readable);
        timeval wait{0, 100 * 1000};
        if (::select(0, &readable, nullptr, nullptr, &wait) <= 0)
            continue;
        SOCKET connection = ::accept(m_listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET)
            continue;
        ++served;
        Answer(connection);
        ::closesocket(connection);
    }
}

void LoopbackHttpServer::Answer(SOCKET connection) {
    DWORD timeout = kReceiveTimeoutMs;
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHeadLength) {
        int received = ::recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0)
            break;
        head.append(buffer, static_cast<size_t>(received));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requestHeads.push_back(head);
    }
    for (size_t sent = 0; sent < m_response.size();) {
        int count = ::send(connection, m_response.data() + sent,
                           static_cast<int>(m_response.size() - sent), 0);
        if (count <= 0)
            break;
        sent += static_cast<size_t>(count);
    }
    ::shutdown(connection, SD_SEND);
}
