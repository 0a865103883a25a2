// A recording stand-in for the internet layer (Inet.h): every call is logged with its
// arguments in order, and a test scripts what the calls give back.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace InetFake {

struct Script {
    // Null handles at each opening step.
    bool openFails = false;
    bool connectFails = false;
    bool openRequestFails = false;
    // A failed send leaves the request without response: reads give nothing and the header
    // query fails with kInetErrorHeaderNotFound.
    bool sendFails = false;
    // What the header query hands back, as the server's raw block.
    std::string headerBlock = "HTTP/1.1 200 OK\r\n\r\n";
    // One successful read for each piece (cut to the size asked for), then the end.
    std::vector<std::string> bodyPieces;
    // After the pieces, reads fail with this error instead of reporting the end...
    std::optional<uint32_t> failingReadError;
    // ...leaving this count behind; a bounded number of them, then the end.
    int32_t failingReadCount = 0;
};

// One call: the function's name and its arguments as text. Strings appear as they are,
// null pointers as "<null>", handles by kind ("internet", "connection", "request"),
// flags in hexadecimal ("0x80004010"), other numbers in decimal.
struct Call {
    std::string function;
    std::vector<std::string> arguments;

    friend bool operator==(const Call&, const Call&) = default;
};

void PrintTo(const Call& call, std::ostream* out);

// Forgets every earlier call and takes the script for the calls from now on.
void Start(const Script& script);

const std::vector<Call>& Calls();
std::vector<std::string> CalledFunctions();
// The only call to the function; fails the running test when there is not exactly one.
Call OnlyCallTo(const std::string& function);
std::vector<Call> CallsTo(const std::string& function);

// How many times a failing read may repeat before the fake reports the end.
constexpr int kFailingReadRepeats = 3;

} // namespace InetFake
