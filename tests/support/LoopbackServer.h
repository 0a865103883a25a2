// A scripted HTTP server on 127.0.0.1 for tests: it records the raw bytes of every request
// and answers each connection with a scenario of writes, pauses, closes and resets, so a
// well-behaved or a hostile server takes a few lines of a test.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace loopback {

// One thing the server does on a connection after it has read the request.
struct Step {
    enum class Kind { Write, Sleep, Close, Reset, Hang, WriteForever };
    Kind kind;
    std::string bytes;
    std::chrono::milliseconds duration{0};
};
using Scenario = std::vector<Step>;

// Sends the bytes.
Step Write(std::string bytes);
// Waits before the next step.
Step Sleep(std::chrono::milliseconds duration);
// Ends the connection in order (FIN), as every scenario does after its last step.
Step Close();
// Ends the connection abruptly (RST, through SO_LINGER 0).
Step Reset();
// Sends nothing more until the client gives up and closes, or the server stops.
Step Hang();
// Sends the chunk again and again until the client closes, or the server stops.
Step WriteForever(std::string chunk);

// The whole raw response, then an orderly close.
Scenario Respond(std::string rawResponse);
// The bytes in pieces of pieceSize, with a pause after each piece.
Scenario Drip(std::string_view bytes, size_t pieceSize, std::chrono::milliseconds pause);
// "HTTP/1.1 <status line>" with the header lines, a Content-Length line and the body.
std::string Response(std::string_view statusLine, std::string_view headerLines,
                     std::string_view body);

} // namespace loopback

// Serves one connection at a time, on its own thread, each for as long as its scenario
// runs. Connection n gets scenarios[n]; the last scenario answers every later connection.
// It reads one request per connection: the header block and a Content-Length body (no
// chunked request bodies). Every wait is bounded, and the destructor stops the server
// even while a client is stalled.
class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<loopback::Scenario> scenarios);
    explicit LoopbackServer(loopback::Scenario scenario)
        : LoopbackServer(std::vector<loopback::Scenario>{std::move(scenario)}) {}
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const;
    // "http://127.0.0.1:<port>" followed by the path.
    std::string Url(std::string_view path = "/") const;
    // The raw bytes of each request received so far, in order of the connections.
    std::vector<std::string> Requests() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
