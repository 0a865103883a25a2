// One request through libcurl, from sending it to the last body byte: redirects, the final
// response's header block, and the body streamed to the reader through a small buffer.
#pragma once

#include "InetCurlHeaderBlock.h"
#include "InetCurlSettings.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TransferRequest {
    std::string verb;
    std::string url;
    std::vector<std::string> headerEntries; // libcurl header-list entries, in order
    std::string userAgent;                  // empty: no User-Agent of libcurl's own
    std::string body;
    bool sendsBody = false;  // a body, even an empty one, goes out with Content-Length
    std::string proxyList;   // WinInet proxy syntax; empty: a direct connection
    std::string proxyBypass; // hosts reached directly despite the proxy
    bool useCookies = true;  // the process's cookie store is read and written
    bool followRedirects = true;
    bool http10 = false;
    InetCurlSettings settings;
};

// Driven through libcurl's multi interface on the caller's thread: Send returns once the
// final response's header block is in, and each Read pulls only as much as the reader
// takes. The layer holds at most one pause's worth of body bytes (a few hundred KB at
// most), however long the body is. Not for use by two threads at once.
class CurlTransfer {
public:
    explicit CurlTransfer(TransferRequest request);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Sends the request, following redirects, and waits for the final header block.
    // false: no response (Error() tells why).
    bool Send();
    // Copies up to capacity body bytes, filling the buffer unless the body ends first.
    // true with count 0: the body has ended. false: the body broke off (count is 0; the
    // bytes that came before it were all handed out by earlier reads).
    bool Read(char* buffer, size_t capacity, size_t& count);

    bool HasHeaders() const { return m_headers.IsComplete() && m_sent; }
    const std::string& HeaderBlock() const { return m_headers.Text(); }
    uint32_t Error() const { return m_error; }

private:
    using Clock = std::chrono::steady_clock;
    // Why the layer ended a hop before libcurl did. HeadResponseEnded is no failure: the
    // response to a HEAD has no body (RFC 9110 9.3.2), whatever its Content-Length says.
    enum class Abort { None, HeadResponseEnded, Redirect, HeadersTooLong, BodyTooLarge, NoData };

    struct EasyDeleter {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };
    struct MultiDeleter {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };
    struct ListDeleter {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };

    bool StartHop(const std::string& url);
    bool ConfigureHop(CURL* easy, const std::string& url);
    void EndHop();
    bool FollowRedirect(std::string& url);
    template <typename Condition> void DriveUntil(Condition done);
    int PollWaitMs(Clock::time_point waitStart) const;
    void EndHopWith(Abort reason, CURLcode result);
    void CollectFinishedHop();
    bool Fail(uint32_t error);
    bool HopFailed() const;
    uint32_t HopError() const;

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static int OnConnected(void* self, char*, char*, int, int);
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded);
    size_t TakeHeaderLine(std::string_view line);
    size_t TakeBody(std::string_view bytes);

    TransferRequest m_request;
    std::string m_caBundle;
    std::unique_ptr<CURLM, MultiDeleter> m_multi;
    std::unique_ptr<CURL, EasyDeleter> m_easy;
    std::unique_ptr<curl_slist, ListDeleter> m_headerList;

    // The hop under way.
    RawHeaderBlock m_headers;
    bool m_connected{false};
    bool m_hopEnded{false};
    CURLcode m_hopResult{CURLE_OK};
    Abort m_abort{Abort::None};
    std::string m_redirectLocation;
    Clock::time_point m_lastActivity;
    curl_off_t m_uploaded{0};

    // The body bytes libcurl has handed over and the reader has not taken yet.
    std::string m_pending;
    size_t m_pendingOffset{0};
    bool m_paused{false};
    int64_t m_bodyBytes{0};

    bool m_sent{false};
    bool m_failed{false};
    uint32_t m_error{0};
};
