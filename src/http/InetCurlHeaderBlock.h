// The raw header block of a response, gathered line by line from libcurl's header callback.
#pragma once

#include <string>
#include <string_view>

// Keeps the status line and header lines of the response under way, each ended by CR LF
// whatever line ending the server used, and the empty line that ends them. An interim 1xx
// response is dropped when its block ends, so that the block left is the final one's.
class RawHeaderBlock {
public:
    // Complete is returned once, for the line that completes the block; Trailer for every
    // line after it.
    enum class Progress { Partial, InterimEnded, Complete, Trailer };

    // Takes one line as libcurl hands it over, line ending included. Lines after the
    // block is complete (chunked trailers) are ignored.
    Progress Add(std::string_view line);

    bool IsComplete() const { return m_complete; }
    // The three-digit status of the status line, 0 when it has none.
    int StatusCode() const { return m_statusCode; }
    // The value of the first Location line, trimmed of blanks; empty when there is none.
    std::string Location() const;
    const std::string& Text() const { return m_text; }
    // Every header byte seen, interim responses included, to bound a server that never
    // stops sending headers.
    size_t BytesSeen() const { return m_bytesSeen; }

private:
    std::string m_text;
    int m_statusCode{0};
    bool m_complete{false};
    size_t m_bytesSeen{0};
};
