// One request through libcurl's multi interface: hops, time-outs and the streamed body.
#include "InetCurlTransfer.h"

#include "Inet.h"
#include "InetCurlErrors.h"
#include "InetCurlGlobal.h"
#include "InetCurlProxy.h"
#include "InetCurlUrl.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// Browsers give up after 20 redirects; so do we (a server redirecting to itself for ever
// would otherwise hold the request).
constexpr int kMaximumRedirects = 20;
// A response whose header lines (interim responses included) pass this is refused: a
// server that sends header lines without end would otherwise fill the memory. (libcurl
// has a limit of its own, 300 KB in recent versions, reported as a receive error.)
constexpr size_t kMaximumHeaderBytes = 256 * 1024;
// Body bytes held for the reader before libcurl is paused. libcurl hands over at most
// kReceiveBufferSize at a time, so the buffer never grows past the sum of the two.
constexpr size_t kPendingLimit = 256 * 1024;
constexpr long kReceiveBufferSize = 64 * 1024;
// The longest single wait for the socket; the no-data time-out is checked at least this
// often.
constexpr int kLongestPollMs = 1000;

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

std::string UrlPart(CURLU* url, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, 0) != CURLUE_OK || !value)
        return {};
    std::string result(value);
    curl_free(value);
    return result;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

// The system's trusted certificates (the PEM bundle libcurl was built to use): an extra
// authority is trusted beside them, never instead of them.
std::string SystemCertificates() {
    std::unique_ptr<CURL, void (*)(CURL*)> probe(curl_easy_init(), curl_easy_cleanup);
    char* bundle = nullptr;
    if (!probe || curl_easy_getinfo(probe.get(), CURLINFO_CAINFO, &bundle) != CURLE_OK || !bundle)
        return {};
    return ReadWholeFile(bundle);
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

CurlTransfer::CurlTransfer(TransferRequest request) : m_request(std::move(request)) {}

CurlTransfer::~CurlTransfer() {
    EndHop();
}

bool CurlTransfer::Fail(uint32_t error) {
    EndHop();
    m_failed = true;
    m_error = error;
    return false;
}

bool CurlTransfer::HopFailed() const {
    if (m_abort == Abort::HeadResponseEnded)
        return false;
    return m_abort != Abort::None || m_hopResult != CURLE_OK;
}

uint32_t CurlTransfer::HopError() const {
    switch (m_abort) {
    case Abort::HeadersTooLong:
        return kInetErrorInvalidServerResponse;
    case Abort::BodyTooLarge:
        return kInetErrorBodyTooLarge;
    case Abort::NoData:
        return kInetErrorTimeout;
    case Abort::Redirect:
        return kInetErrorRedirectFailed;
    case Abort::None:
    case Abort::HeadResponseEnded:
        break;
    }
    uint32_t error = InetErrorFromCurl(m_hopResult);
    return error == kInetErrorNone ? kInetErrorInvalidServerResponse : error;
}

bool CurlTransfer::Send() {
    EndHop();
    m_sent = m_failed = false;
    m_error = kInetErrorNone;
    if (!InetCurlShare())
        return Fail(kInetErrorInternal);
    m_multi.reset(curl_multi_init());
    if (!m_multi)
        return Fail(kInetErrorNotEnoughMemory);
    if (!m_request.settings.extraCaFile.empty())
        m_caBundle = SystemCertificates() + "\n" + ReadWholeFile(m_request.settings.extraCaFile);
    std::string url = m_request.url;
    for (int hop = 0;; ++hop) {
        if (!StartHop(url))
            return Fail(m_error ? m_error : kInetErrorInternal);
        DriveUntil([this] { return m_headers.IsComplete(); });
        if (m_abort != Abort::Redirect)
            break;
        if (hop == kMaximumRedirects || !FollowRedirect(url))
            return Fail(kInetErrorRedirectFailed);
    }
    if (!m_headers.IsComplete())
        return Fail(HopError());
    m_sent = true;
    return true;
}

// Works out the next hop from the Location of the response just ended, changing the
// method as browsers do (RFC 9110 15.4): 303 turns every method but HEAD into GET and
// drops the body, 301 and 302 turn POST into GET without its body.
bool CurlTransfer::FollowRedirect(std::string& url) {
    UrlHandle next(curl_url());
    std::string location = PercentEncodeUnsafe(m_redirectLocation, false);
    if (!next || curl_url_set(next.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_set(next.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK)
        return false;
    curl_url_set(next.get(), CURLUPART_FRAGMENT, nullptr, 0);
    std::string scheme = UrlPart(next.get(), CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https")
        return false;
    url = UrlPart(next.get(), CURLUPART_URL);
    int status = m_headers.StatusCode();
    bool toGet = (status == 303 && m_request.verb != "HEAD") ||
                 ((status == 301 || status == 302) && m_request.verb == "POST");
    if (toGet)
        m_request.verb = "GET";
    if (toGet || status == 303) {
        m_request.body.clear();
        m_request.sendsBody = false;
    }
    return !url.empty();
}

bool CurlTransfer::StartHop(const std::string& url) {
    EndHop();
    m_headers = RawHeaderBlock();
    m_connected = m_hopEnded = false;
    m_hopResult = CURLE_OK;
    m_abort = Abort::None;
    m_redirectLocation.clear();
    m_uploaded = 0;
    m_pending.clear();
    m_pendingOffset = 0;
    m_paused = false;
    m_bodyBytes = 0;
    m_easy.reset(curl_easy_init());
    if (!m_easy) {
        m_error = kInetErrorNotEnoughMemory;
        return false;
    }
    if (!ConfigureHop(m_easy.get(), url)) {
        m_error = kInetErrorInvalidUrl;
        return false;
    }
    if (curl_multi_add_handle(m_multi.get(), m_easy.get()) != CURLM_OK) {
        m_easy.reset();
        m_error = kInetErrorInternal;
        return false;
    }
    m_lastActivity = Clock::now();
    return true;
}

bool CurlTransfer::ConfigureHop(CURL* easy, const std::string& url) {
    UrlHandle parsed(curl_url());
    if (!parsed ||
        curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK)
        return false;
    std::string scheme = UrlPart(parsed.get(), CURLUPART_SCHEME);
    std::string host = UrlPart(parsed.get(), CURLUPART_HOST);
    std::string proxy;
    if (!m_request.proxyList.empty() && !HostBypassesProxy(m_request.proxyBypass, host))
        proxy = CurlProxyFor(m_request.proxyList, scheme);

    curl_slist* list = nullptr;
    for (const std::string& entry : m_request.headerEntries) {
        curl_slist* longer = curl_slist_append(list, entry.c_str());
        if (!longer) {
            curl_slist_free_all(list);
            return false;
        }
        list = longer;
    }
    m_headerList.reset(list);

    const InetCurlSettings& settings = m_request.settings;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_PATH_AS_IS, 1L);
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_HTTP_VERSION,
        static_cast<long>(m_request.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1));
    set(CURLOPT_FOLLOWLOCATION, 0L);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.connectTimeoutMs));
    set(CURLOPT_HTTPHEADER, m_headerList.get());
    if (!m_request.userAgent.empty())
        set(CURLOPT_USERAGENT, m_request.userAgent.c_str());
    // An empty proxy means no proxy at all, whatever http_proxy and no_proxy say.
    set(CURLOPT_PROXY, proxy.c_str());
    set(CURLOPT_NOPROXY, "");
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_caBundle.empty()) {
        curl_blob blob{m_caBundle.data(), m_caBundle.size(), CURL_BLOB_COPY};
        set(CURLOPT_CAINFO_BLOB, &blob);
    }
    if (m_request.useCookies) {
        set(CURLOPT_SHARE, InetCurlShare());
        set(CURLOPT_COOKIEFILE, "");
    }
    set(CURLOPT_HTTP_CONTENT_DECODING, 0L);
    set(CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    set(CURLOPT_HEADERFUNCTION, OnHeader);
    set(CURLOPT_HEADERDATA, this);
    set(CURLOPT_WRITEFUNCTION, OnBody);
    set(CURLOPT_WRITEDATA, this);
    set(CURLOPT_PREREQFUNCTION, OnConnected);
    set(CURLOPT_PREREQDATA, this);
    set(CURLOPT_XFERINFOFUNCTION, OnProgress);
    set(CURLOPT_XFERINFODATA, this);
    set(CURLOPT_NOPROGRESS, 0L);
    // No CURLOPT_NOBODY for a HEAD: it would keep a HEAD's body from going out. The hop
    // ends with the header block instead (TakeHeaderLine).
    if (m_request.sendsBody) {
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_request.body.size()));
        set(CURLOPT_POSTFIELDS, m_request.body.data());
    }
    if (m_request.verb != "GET" || m_request.sendsBody)
        set(CURLOPT_CUSTOMREQUEST, m_request.verb.c_str());
    return ok;
}

void CurlTransfer::EndHop() {
    if (m_easy && m_multi)
        curl_multi_remove_handle(m_multi.get(), m_easy.get());
    m_easy.reset();
    m_headerList.reset();
}

template <typename Condition> void CurlTransfer::DriveUntil(Condition done) {
    const Clock::time_point waitStart = Clock::now();
    while (!done() && !m_hopEnded) {
        int running = 0;
        CURLMcode status = curl_multi_perform(m_multi.get(), &running);
        CollectFinishedHop();
        if (status != CURLM_OK && !m_hopEnded)
            EndHopWith(Abort::None, CURLE_OUT_OF_MEMORY);
        if (done() || m_hopEnded)
            break;
        int waitMs = PollWaitMs(waitStart);
        if (waitMs == 0) {
            EndHopWith(Abort::NoData, CURLE_OPERATION_TIMEDOUT);
            break;
        }
        curl_multi_poll(m_multi.get(), nullptr, 0, waitMs, nullptr);
    }
}

// How long to wait for the socket before looking again; 0 when the response has been quiet
// for the whole no-data time-out. Only a connected request can stall: the connection phase
// has libcurl's own time-out. Time spent before this wait began (a reader that took its
// time) does not count against the server.
int CurlTransfer::PollWaitMs(Clock::time_point waitStart) const {
    if (!m_connected)
        return kLongestPollMs;
    Clock::time_point deadline = std::max(m_lastActivity, waitStart) +
                                 std::chrono::milliseconds(m_request.settings.noDataTimeoutMs);
    Clock::time_point now = Clock::now();
    if (now >= deadline)
        return 0;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::clamp<int64_t>(left, 1, kLongestPollMs));
}

void CurlTransfer::EndHopWith(Abort reason, CURLcode result) {
    m_abort = reason;
    m_hopEnded = true;
    m_hopResult = result;
    EndHop();
}

void CurlTransfer::CollectFinishedHop() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy.get()) {
            m_hopEnded = true;
            m_hopResult = message->data.result;
        }
    }
}

bool CurlTransfer::Read(char* buffer, size_t capacity, size_t& count) {
    count = 0;
    if (m_failed)
        return false;
    if (!m_sent) {
        m_error = kInetErrorIncorrectHandleState;
        return false;
    }
    while (count < capacity) {
        size_t available = m_pending.size() - m_pendingOffset;
        if (available > 0) {
            size_t taken = std::min(available, capacity - count);
            std::memcpy(buffer + count, m_pending.data() + m_pendingOffset, taken);
            m_pendingOffset += taken;
            count += taken;
            continue;
        }
        if (m_paused && m_easy) {
            m_paused = false;
            CURLcode resumed = curl_easy_pause(m_easy.get(), CURLPAUSE_CONT);
            if (resumed != CURLE_OK && !m_hopEnded)
                EndHopWith(m_abort, resumed);
            continue;
        }
        if (m_hopEnded)
            break;
        DriveUntil([this] { return m_pending.size() > m_pendingOffset || m_paused; });
    }
    if (count > 0 || m_pending.size() > m_pendingOffset)
        return true;
    if (HopFailed()) {
        // Keep the first reason; every later read fails the same way.
        Fail(HopError());
        return false;
    }
    return true;
}

size_t CurlTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    try {
        return static_cast<CurlTransfer*>(self)->TakeHeaderLine({data, size * count});
    } catch (...) {
        return 0;
    }
}

size_t CurlTransfer::TakeHeaderLine(std::string_view line) {
    m_lastActivity = Clock::now();
    RawHeaderBlock::Progress progress = m_headers.Add(line);
    if (m_headers.BytesSeen() > kMaximumHeaderBytes && !m_headers.IsComplete()) {
        m_abort = Abort::HeadersTooLong;
        return 0;
    }
    if (progress != RawHeaderBlock::Progress::Complete || m_abort != Abort::None)
        return line.size();
    // A complete block is the final one unless it is a redirect we follow: then the hop
    // ends here, before its body, and the next one starts.
    if (m_request.followRedirects && IsRedirectStatus(m_headers.StatusCode())) {
        m_redirectLocation = m_headers.Location();
        if (!m_redirectLocation.empty()) {
            m_abort = Abort::Redirect;
            return 0;
        }
    }
    if (m_request.verb == "HEAD") {
        m_abort = Abort::HeadResponseEnded;
        return 0;
    }
    return line.size();
}

size_t CurlTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
    try {
        return static_cast<CurlTransfer*>(self)->TakeBody({data, size * count});
    } catch (...) {
        return 0;
    }
}

size_t CurlTransfer::TakeBody(std::string_view bytes) {
    m_lastActivity = Clock::now();
    size_t available = m_pending.size() - m_pendingOffset;
    if (available > 0 && available + bytes.size() > kPendingLimit) {
        m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (m_pendingOffset > 0) {
        m_pending.erase(0, m_pendingOffset);
        m_pendingOffset = 0;
    }
    auto allowed =
        static_cast<uint64_t>(std::max<int64_t>(0, m_request.settings.bodySizeLimit - m_bodyBytes));
    if (bytes.size() > allowed) {
        m_pending.append(bytes.substr(0, static_cast<size_t>(allowed)));
        m_bodyBytes += static_cast<int64_t>(allowed);
        m_abort = Abort::BodyTooLarge;
        return 0;
    }
    m_pending.append(bytes);
    m_bodyBytes += static_cast<int64_t>(bytes.size());
    return bytes.size();
}

int CurlTransfer::OnConnected(void* self, char*, char*, int, int) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    transfer->m_connected = true;
    transfer->m_lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

int CurlTransfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (uploaded > transfer->m_uploaded) {
        transfer->m_uploaded = uploaded;
        transfer->m_lastActivity = Clock::now();
    }
    return 0;
}
