// Knobs of the libcurl internet layer that only tests turn. The program never changes
// them: its requests run with the defaults below.
#pragma once

#include <cstdint>
#include <string>

struct InetCurlSettings {
    // A PEM file of extra certificate authorities trusted beside the system's store. Tests
    // generate their own CA for a local HTTPS server; the program trusts only the system.
    std::string extraCaFile;
    // How long the connection phase (name, TCP, TLS) may take, as WinInet allows. Tests
    // shorten it so that a failing connection is seen quickly.
    int32_t connectTimeoutMs = 60000;
    // How long a response may deliver no data at all before the send or read fails: no
    // server can hold a request for ever. Tests shorten it instead of waiting 30 s.
    int32_t noDataTimeoutMs = 30000;
    // A body that grows past this many bytes fails the read at that point, so that a body
    // length always fits the signed 32-bit lengths of the system. Tests lower it.
    int64_t bodySizeLimit = 2147483647;
};

// The settings that requests sent from now on use.
InetCurlSettings CurrentInetCurlSettings();
void SetInetCurlSettings(const InetCurlSettings& settings);

// Sets the settings for the lifetime of a test and restores the previous ones after it.
class ScopedInetCurlSettings {
public:
    explicit ScopedInetCurlSettings(const InetCurlSettings& settings)
        : m_previous(CurrentInetCurlSettings()) {
        SetInetCurlSettings(settings);
    }
    ~ScopedInetCurlSettings() { SetInetCurlSettings(m_previous); }
    ScopedInetCurlSettings(const ScopedInetCurlSettings&) = delete;
    ScopedInetCurlSettings& operator=(const ScopedInetCurlSettings&) = delete;

private:
    InetCurlSettings m_previous;
};
