// The scripted loopback server: a listening socket, a stop pipe that wakes every wait, and
// one thread that serves the connections in turn.
#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

namespace loopback {

Step Write(std::string bytes) {
    return {Step::Kind::Write, std::move(bytes), {}};
}
Step Sleep(std::chrono::milliseconds duration) {
    return {Step::Kind::Sleep, {}, duration};
}
Step Close() {
    return {Step::Kind::Close, {}, {}};
}
Step Reset() {
    return {Step::Kind::Reset, {}, {}};
}
Step Hang() {
    return {Step::Kind::Hang, {}, {}};
}
Step WriteForever(std::string chunk) {
    return {Step::Kind::WriteForever, std::move(chunk), {}};
}

Scenario Respond(std::string rawResponse) {
    return {Write(std::move(rawResponse)), Close()};
}

Scenario Drip(std::string_view bytes, size_t pieceSize, std::chrono::milliseconds pause) {
    Scenario steps;
    for (size_t at = 0; at < bytes.size(); at += pieceSize) {
        steps.push_back(Write(std::string(bytes.substr(at, pieceSize))));
        steps.push_back(Sleep(pause));
    }
    return steps;
}

std::string Response(std::string_view statusLine, std::string_view headerLines,
                     std::string_view body) {
    std::string response = "HTTP/1.1 ";
    response.append(statusLine).append("\r\n").append(headerLines);
    response.append("Content-Length: ").append(std::to_string(body.size())).append("\r\n\r\n");
    response.append(body);
    return response;
}

} // namespace loopback

namespace {

using namespace std::chrono_literals;
using loopback::Scenario;
using loopback::Step;

// A request larger than this is cut off: the server is for tests, not for bulk uploads.
constexpr size_t kMaximumRequestBytes = 16 * 1024 * 1024;
// How long the server waits for a client that has gone quiet while sending its request.
constexpr auto kRequestWait = 10s;
// After this many connections the server stops accepting: a client caught in a loop
// cannot keep a test running for ever.
constexpr int kMaximumConnections = 1000;

class Socket {
public:
    explicit Socket(int descriptor = -1) : m_descriptor(descriptor) {}
    ~Socket() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Socket(Socket&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    Socket& operator=(Socket&& other) noexcept {
        std::swap(m_descriptor, other.m_descriptor);
        return *this;
    }
    int Get() const { return m_descriptor; }
    // Closes with SO_LINGER 0, which makes the kernel send RST instead of FIN.
    void Reset() {
        linger hard{1, 0};
        setsockopt(m_descriptor, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(std::exchange(m_descriptor, -1));
    }

private:
    int m_descriptor;
};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The Content-Length of a request's header block, 0 when it has none.
size_t ContentLength(std::string_view headerBlock) {
    std::string lower;
    for (char c : headerBlock)
        lower.push_back(LowerAscii(c));
    size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos)
        return 0;
    size_t length = 0;
    for (size_t i = at + 17; i < lower.size() && lower[i] != '\r'; ++i) {
        if (lower[i] >= '0' && lower[i] <= '9')
            length = length * 10 + static_cast<size_t>(lower[i] - '0');
    }
    return length;
}

} // namespace

struct LoopbackServer::State {
    std::vector<Scenario> scenarios;
    Socket listener;
    int stopRead{-1};
    int stopWrite{-1};
    int port{0};
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    std::thread thread;

    enum class Wait { Ready, Stopped, TimedOut };

    // Waits until the socket is ready for `events`, the server is stopped, or the time is up.
    Wait WaitFor(int descriptor, short events, std::chrono::milliseconds timeout) const {
        pollfd fds[2] = {{descriptor, events, 0}, {stopRead, POLLIN, 0}};
        int result = ::poll(fds, 2, static_cast<int>(timeout.count()));
        if (result < 0 && errno == EINTR)
            return Wait::TimedOut;
        if (fds[1].revents)
            return Wait::Stopped;
        return result > 0 ? Wait::Ready : Wait::TimedOut;
    }

    void Serve() {
        for (int served = 0; served < kMaximumConnections; ++served) {
            if (WaitFor(listener.Get(), POLLIN, 24h) == Wait::Stopped)
                return;
            Socket client(
                ::accept4(listener.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
            if (client.Get() < 0)
                continue;
            if (!ReadRequest(client))
                return;
            const Scenario& scenario = scenarios[std::min<size_t>(served, scenarios.size() - 1)];
            if (!RunScenario(client, scenario))
                return;
        }
    }

    // false when the server was stopped meanwhile.
    bool ReadRequest(const Socket& client) {
        std::string request;
        size_t wanted = std::string::npos;
        char buffer[16384];
        while (request.size() < wanted && request.size() < kMaximumRequestBytes) {
            Wait wait =
                WaitFor(client.Get(), POLLIN,
                        std::chrono::duration_cast<std::chrono::milliseconds>(kRequestWait));
            if (wait == Wait::Stopped)
                return false;
            if (wait == Wait::TimedOut)
                break;
            ssize_t received = ::recv(client.Get(), buffer, sizeof buffer, 0);
            if (received <= 0)
                break;
            request.append(buffer, static_cast<size_t>(received));
            size_t end = request.find("\r\n\r\n");
            if (wanted == std::string::npos && end != std::string::npos)
                wanted = end + 4 + ContentLength(std::string_view(request).substr(0, end + 2));
        }
        std::lock_guard lock(mutex);
        requests.push_back(std::move(request));
        return true;
    }

    enum class Sent { All, ClientGone, Stopped };

    Sent SendAll(const Socket& client, std::string_view bytes) const {
        while (!bytes.empty()) {
            ssize_t sent = ::send(client.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent > 0) {
                bytes.remove_prefix(static_cast<size_t>(sent));
                continue;
            }
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return Sent::ClientGone;
            if (WaitFor(client.Get(), POLLOUT, 1h) == Wait::Stopped)
                return Sent::Stopped;
        }
        return Sent::All;
    }

    // Reads and drops whatever the client sends until it closes; false when stopped.
    bool DrainUntilClientCloses(const Socket& client, std::chrono::milliseconds limit) const {
        char buffer[16384];
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            Wait wait = WaitFor(client.Get(), POLLIN, 100ms);
            if (wait == Wait::Stopped)
                return false;
            if (wait == Wait::Ready && ::recv(client.Get(), buffer, sizeof buffer, 0) <= 0)
                return true;
        }
        return true;
    }

    // false when the server was stopped meanwhile.
    bool RunScenario(Socket& client, const Scenario& scenario) {
        for (const Step& step : scenario) {
            switch (step.kind) {
            case Step::Kind::Write:
                if (Sent sent = SendAll(client, step.bytes); sent != Sent::All)
                    return sent != Sent::Stopped;
                break;
            case Step::Kind::Sleep:
                if (WaitFor(stopRead, POLLIN, step.duration) != Wait::TimedOut)
                    return false;
                break;
            case Step::Kind::Close:
                ::shutdown(client.Get(), SHUT_WR);
                return DrainUntilClientCloses(client, 2s);
            case Step::Kind::Reset:
                client.Reset();
                return true;
            case Step::Kind::Hang:
                return DrainUntilClientCloses(client, 24h);
            case Step::Kind::WriteForever:
                for (;;) {
                    if (Sent sent = SendAll(client, step.bytes); sent != Sent::All)
                        return sent != Sent::Stopped;
                }
            }
        }
        ::shutdown(client.Get(), SHUT_WR);
        return DrainUntilClientCloses(client, 2s);
    }
};

LoopbackServer::LoopbackServer(std::vector<Scenario> scenarios)
    : m_state(std::make_unique<State>()) {
    if (scenarios.empty())
        scenarios.push_back({});
    m_state->scenarios = std::move(scenarios);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("loopback server: no pipe");
    m_state->stopRead = pipeEnds[0];
    m_state->stopWrite = pipeEnds[1];
    m_state->listener = Socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    // Many servers in a row (a fuzzer's) would otherwise run out of ports held in TIME_WAIT.
    int reuse = 1;
    if (m_state->listener.Get() >= 0)
        ::setsockopt(m_state->listener.Get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (m_state->listener.Get() < 0 ||
        ::bind(m_state->listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) !=
            0 ||
        ::listen(m_state->listener.Get(), 16) != 0 ||
        ::getsockname(m_state->listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("loopback server: cannot listen on 127.0.0.1");
    m_state->port = ntohs(address.sin_port);
    m_state->thread = std::thread([state = m_state.get()] { state->Serve(); });
}

LoopbackServer::~LoopbackServer() {
    char stop = 1;
    (void)::write(m_state->stopWrite, &stop, 1);
    m_state->thread.join();
    ::close(m_state->stopRead);
    ::close(m_state->stopWrite);
}

int LoopbackServer::Port() const {
    return m_state->port;
}

std::string LoopbackServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_state->port) + std::string(path);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->requests;
}
