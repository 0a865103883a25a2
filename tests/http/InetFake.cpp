// The recording fake of the internet layer: one scripted request at a time, one thread.
#include "InetFake.h"

#include "http/Inet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

struct InetObject {
    const char* kind;
};

namespace {

using InetFake::Call;

struct FakeState {
    InetFake::Script script;
    std::vector<Call> calls;
    size_t piece = 0;
    size_t offsetInPiece = 0;
    int failingReadsLeft = 0;
    uint32_t lastError = kInetErrorNone;
    InetObject internet{"internet"};
    InetObject connection{"connection"};
    InetObject request{"request"};
};

FakeState& State() {
    static FakeState state;
    return state;
}

std::string Quoted(const char* text) {
    return text ? std::string(text) : std::string("<null>");
}

std::string Number(int64_t value) {
    return std::to_string(value);
}

std::string Hex(uint32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "0x%08X", value);
    return digits;
}

std::string Name(InetHandle handle) {
    return handle ? std::string(handle->kind) : std::string("<null>");
}

std::string Pointer(const void* pointer) {
    return pointer ? "<set>" : "<null>";
}

void Record(std::string function, std::vector<std::string> arguments) {
    State().calls.push_back(Call{std::move(function), std::move(arguments)});
}

InetHandle Fail(uint32_t error) {
    State().lastError = error;
    return nullptr;
}

bool ReadPiece(void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    FakeState& state = State();
    const std::string& piece = state.script.bodyPieces[state.piece];
    const size_t size =
        std::min(piece.size() - state.offsetInPiece, static_cast<size_t>(bytesToRead));
    std::memcpy(buffer, piece.data() + state.offsetInPiece, size);
    *bytesRead = static_cast<int32_t>(size);
    state.offsetInPiece += size;
    if (state.offsetInPiece == piece.size()) {
        ++state.piece;
        state.offsetInPiece = 0;
    }
    return true;
}

bool FailRead(void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    FakeState& state = State();
    --state.failingReadsLeft;
    const int32_t count = state.script.failingReadCount;
    // Bytes no caller may keep: a failed read's buffer holds nothing of the body.
    std::memset(buffer, '!', static_cast<size_t>(std::clamp(count, 0, bytesToRead)));
    *bytesRead = count;
    state.lastError = *state.script.failingReadError;
    return false;
}

} // namespace

namespace InetFake {

void PrintTo(const Call& call, std::ostream* out) {
    *out << call.function << "(";
    for (size_t index = 0; index < call.arguments.size(); ++index)
        *out << (index ? ", " : "") << '"' << call.arguments[index] << '"';
    *out << ")";
}

void Start(const Script& script) {
    FakeState& state = State();
    state.script = script;
    state.calls.clear();
    state.piece = 0;
    state.offsetInPiece = 0;
    state.failingReadsLeft = kFailingReadRepeats;
    state.lastError = kInetErrorNone;
}

const std::vector<Call>& Calls() {
    return State().calls;
}

std::vector<std::string> CalledFunctions() {
    std::vector<std::string> functions;
    for (const Call& call : Calls())
        functions.push_back(call.function);
    return functions;
}

std::vector<Call> CallsTo(const std::string& function) {
    std::vector<Call> matching;
    for (const Call& call : Calls()) {
        if (call.function == function)
            matching.push_back(call);
    }
    return matching;
}

Call OnlyCallTo(const std::string& function) {
    const std::vector<Call> matching = CallsTo(function);
    if (matching.size() != 1) {
        ADD_FAILURE() << function << " was called " << matching.size() << " times";
        return Call{};
    }
    return matching.front();
}

} // namespace InetFake

InetHandle InetOpen(const char* agent, int32_t accessType, const char* proxy,
                    const char* proxyBypass, uint32_t flags) {
    Record("InetOpen",
           {Quoted(agent), Number(accessType), Quoted(proxy), Quoted(proxyBypass), Hex(flags)});
    return State().script.openFails ? Fail(kInetErrorInvalidHandle) : &State().internet;
}

InetHandle InetConnect(InetHandle internet, const char* host, int32_t port, const char* userName,
                       const char* password, int32_t service, uint32_t flags, uintptr_t context) {
    Record("InetConnect", {Name(internet), Quoted(host), Number(port), Quoted(userName),
                           Quoted(password), Number(service), Hex(flags), Number(context)});
    return State().script.connectFails ? Fail(kInetErrorNameNotResolved) : &State().connection;
}

InetHandle InetOpenRequest(InetHandle connection, const char* verb, const char* objectPath,
                           const char* version, const char* referrer, const char** acceptTypes,
                           uint32_t flags, uintptr_t context) {
    Record("InetOpenRequest",
           {Name(connection), Quoted(verb), Quoted(objectPath), Quoted(version), Quoted(referrer),
            Pointer(acceptTypes), Hex(flags), Number(context)});
    return State().script.openRequestFails ? Fail(kInetErrorUnrecognisedScheme) : &State().request;
}

bool InetSendRequest(InetHandle request, const char* headers, int32_t headersLength,
                     const void* optional, int32_t optionalLength) {
    const std::string body = optional
                                 ? std::string(static_cast<const char*>(optional),
                                               static_cast<size_t>(std::max(optionalLength, 0)))
                                 : std::string("<null>");
    Record("InetSendRequest",
           {Name(request), Quoted(headers), Number(headersLength), body, Number(optionalLength)});
    if (State().script.sendFails) {
        State().lastError = kInetErrorCannotConnect;
        return false;
    }
    return true;
}

bool InetReadFile(InetHandle request, void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    Record("InetReadFile", {Name(request), Number(bytesToRead)});
    FakeState& state = State();
    if (state.script.sendFails) {
        *bytesRead = 0;
        state.lastError = kInetErrorInvalidHandle;
        return false;
    }
    if (state.piece < state.script.bodyPieces.size())
        return ReadPiece(buffer, bytesToRead, bytesRead);
    if (state.script.failingReadError && state.failingReadsLeft > 0)
        return FailRead(buffer, bytesToRead, bytesRead);
    *bytesRead = 0;
    return true;
}

bool InetQueryInfo(InetHandle request, uint32_t infoLevel, void* buffer, int32_t* bufferLength,
                   int32_t* index) {
    Record("InetQueryInfo",
           {Name(request), Number(infoLevel), Number(*bufferLength), Pointer(index)});
    FakeState& state = State();
    if (state.script.sendFails || infoLevel != kHttpQueryRawHeadersCrlf) {
        state.lastError = kInetErrorHeaderNotFound;
        return false;
    }
    const std::string& block = state.script.headerBlock;
    const int32_t needed = static_cast<int32_t>(block.size()) + 1;
    if (*bufferLength < needed) {
        *bufferLength = needed;
        state.lastError = kInetErrorInsufficientBuffer;
        return false;
    }
    std::memcpy(buffer, block.c_str(), block.size() + 1);
    *bufferLength = needed - 1;
    return true;
}

bool InetCloseHandle(InetHandle handle) {
    Record("InetCloseHandle", {Name(handle)});
    return handle != nullptr;
}

uint32_t InetLastError() {
    return State().lastError;
}
