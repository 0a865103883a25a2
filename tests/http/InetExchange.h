// One request through the internet layer the way FetchUrl makes it (open, connect, request,
// send, 1024-byte reads, header query, close), with every result kept for the tests.
#pragma once

#include "http/Inet.h"

#include <cstdint>
#include <string>

struct LayerRequest {
    std::string host = "127.0.0.1";
    int32_t port = 0;
    std::string path = "/";
    std::string verb = "GET";
    std::string headers;
    std::string body; // sent as the optional data when not empty
    uint32_t flags = kInetFlagReload | kInetFlagNeedFile;
    std::string agent = "QuandrelTest/1.0";
    std::string proxy; // WinInet proxy syntax; empty: a direct connection
};

struct LayerResponse {
    bool sent = false;
    uint32_t sendError = 0;
    bool headersQueried = false;
    std::string headerBlock;
    std::string body;
    bool readFailed = false;
    uint32_t readError = 0;
};

LayerResponse Exchange(const LayerRequest& request);

// The raw header block of a request, through the insufficient-buffer protocol: a first
// query with a 5000-byte buffer, then one with the size the layer asked for.
bool QueryHeaderBlock(InetHandle request, std::string& block);
