// A small HTTP server on 127.0.0.1 for the Windows tests, on Winsock: it answers every
// request with one fixed response and records the request heads it received.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
public:
    // `response` is sent byte for byte, then the connection is closed. The server takes at
    // most kMaxConnections connections and stops at destruction at the latest.
    explicit LoopbackHttpServer(std::string response);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // 0 when the server could not start.
    int Port() const { return m_port; }
    std::string Url(const std::string& path = "/") const;
    std::vector<std::string> RequestHeads() const;

    // A whole response: status 200, the given header lines, Content-Length and the body.
    static std::string Response(const std::string& headerLines, const std::string& body);

    static constexpr int kMaxConnections = 32;

private:
    void Serve();
    void Answer(SOCKET connection);

    std::string m_response;
    SOCKET m_listener{INVALID_SOCKET};
    int m_port{0};
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requestHeads;
    std::thread m_thread;
};
