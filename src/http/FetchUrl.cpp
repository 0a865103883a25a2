// FetchUrl: the handles, the header text, the body, the raw header block and the cookies
// that the server set, in the order one request goes through them.
#include "FetchUrl.h"

#include "Cookies.h"
#include "Inet.h"
#include "ResponseReading.h"
#include "TextBetween.h"
#include "Url.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <memory>
#include <string_view>

namespace {

constexpr int32_t kGet = 0;
constexpr const char* kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

struct InetHandleCloser {
    void operator()(InetHandle handle) const { InetCloseHandle(handle); }
};
// Declared internet, connection, request, these close in the opposite order on every path.
using OwnedInetHandle = std::unique_ptr<InetObject, InetHandleCloser>;

// An omitted by-reference parameter stands for a scratch value that the call may write.
struct ScratchValues {
    Text postText;
    Text cookies;
    Text returnedCookies;
    Text headers;
    Text responseHeaders;
    Bytes postBytes;
    Text proxy;
};

template <typename Value> Value& SuppliedOr(Value* supplied, Value& scratch) {
    return supplied ? *supplied : scratch;
}
template <typename Value> const Value& SuppliedOr(const Value* supplied, const Value& scratch) {
    return supplied ? *supplied : scratch;
}

int32_t ChosenMethod(std::optional<int32_t> method) {
    const int32_t value = method.value_or(kGet);
    return value < 0 || value > 2 ? kGet : value;
}

const char* Verb(int32_t method) {
    static constexpr const char* kVerbs[] = {"GET", "POST", "HEAD"};
    return kVerbs[method];
}

bool IsHttps(const Text& url) {
    return CompareText(ToLowerCase(TextLeft(url, 5)), "https") == 0;
}

bool IsSchemeCharacter(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    return letter || (!first && other);
}

// Whether the address names a scheme other than http and https ("file:///etc/passwd",
// "ftp://...", "javascript:..."). The host would otherwise be read as the scheme's name, or
// as a host behind a later "http://", and an http request would go where the person never
// meant. A name followed by ":" and digits is a host with its port ("localhost:8080/").
bool NamesAnotherScheme(const Text& url) {
    const std::string_view text = url.View();
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        if (!IsSchemeCharacter(text[i], i == 0))
            return false;
    }
    const Text scheme = ToLowerCase(TextLeft(url, static_cast<int32_t>(colon)));
    if (CompareText(scheme, "http") == 0 || CompareText(scheme, "https") == 0)
        return false;
    const std::string_view rest = text.substr(colon + 1);
    size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    const bool port =
        digits > 0 && (digits == rest.size() ||
                       std::string_view("/?#").find(rest[digits]) != std::string_view::npos);
    return !port;
}

Text UserAgent(const Text& headers) {
    if (FindText(headers, "User-Agent:", std::nullopt, true) == -1)
        return kDefaultAgent;
    const Text agent = TrimBothEnds(TextBetween(headers, "User-Agent:", "\r\n"));
    // A line name in other letter case, or an agent line without CR LF after it, leaves
    // the value after the first ":" of the whole header text.
    return agent.IsEmpty() ? ValueAfterColon(headers) : agent;
}

InetHandle OpenInternet(const Text& agent, const Text& proxy, bool https) {
    if (proxy.IsEmpty())
        return InetOpen(agent.CString(), kInetOpenTypeDirect, nullptr, nullptr, 0);
    // "http=" names the proxy for http alone; an https request passes it bare, for every
    // scheme. The empty bypass list is an empty string, not a null pointer.
    const Text server = https ? proxy : ConcatText("http=", proxy);
    return InetOpen(agent.CString(), kInetOpenTypeProxy, server.CString(), "", 0);
}

InetHandle Connect(InetHandle internet, const Text& url) {
    return InetConnect(internet, UrlHost(url).CString(), UrlPort(url), nullptr, nullptr,
                       kInetServiceHttp, 0, 0);
}

int32_t FlagBits(uint32_t flag) {
    return static_cast<int32_t>(flag);
}

// A caller that supplies cookies keeps them itself, so the layer's own cookie store stays
// out of the request.
uint32_t RequestFlags(bool cookiesSupplied, bool noRedirect, bool https) {
    return static_cast<uint32_t>(BitOr({
        FlagBits(kInetFlagReload),
        FlagBits(kInetFlagNeedFile),
        cookiesSupplied ? FlagBits(kInetFlagNoCookies) : 0,
        noRedirect ? FlagBits(kInetFlagNoAutoRedirect) : 0,
        https ? FlagBits(kInetFlagSecure) : FlagBits(kInetFlagIgnoreRedirectToHttps),
    }));
}

InetHandle OpenRequest(InetHandle connection, int32_t method, const Text& url, uint32_t flags) {
    return InetOpenRequest(connection, Verb(method), UrlPath(url).CString(), "HTTP/1.1", nullptr,
                           nullptr, flags, 0);
}

// Adds the default lines that the caller's text lacks. Line names are matched in exact
// letter case; the Cookie line is added whenever there are cookies to send.
void CompleteHeaders(Text& headers, const Text& url, const Text& cookies) {
    if (headers.IsEmpty())
        headers = "Accept: */*";
    else if (FindText(headers, "Accept:") == -1)
        headers = ConcatText(std::move(headers), "\r\nAccept: */*");
    // A fragment is never sent, in the Referer line neither (RFC 9110, section 10.1.3).
    if (FindText(headers, "Referer:") == -1)
        headers = ConcatText(std::move(headers), "\r\nReferer: ", UrlWithoutFragment(url));
    if (FindText(headers, "Accept-Language:") == -1)
        headers = ConcatText(std::move(headers), "\r\nAccept-Language: zh-cn");
    if (FindText(headers, "Content-Type:") == -1)
        headers =
            ConcatText(std::move(headers), "\r\nContent-Type: application/x-www-form-urlencoded");
    if (!cookies.IsEmpty())
        headers = ConcatText(std::move(headers), "\r\nCookie: ", cookies);
}

// A GET carries no body. POST and HEAD send postBytes, or the bytes of postText when
// postBytes is empty, writing those back. Whether the send worked shows in what follows.
void Send(InetHandle request, int32_t method, const Text& headers, const Text& postText,
          Bytes& postBytes) {
    if (method == kGet) {
        InetSendRequest(request, headers.CString(), TextLength(headers), "", 0);
        return;
    }
    if (postBytes.IsEmpty())
        postBytes = TextToBytes(postText);
    InetSendRequest(request, headers.CString(), TextLength(headers), postBytes.Data(),
                    BytesLength(postBytes));
}

// Servers write the header name in any letter case; one spelling keeps the cookie lines
// findable by exact search.
Text WithSetCookieSpelled(const Text& responseHeaders) {
    return ReplaceSubtext(responseHeaders, "Set-Cookie", Text("Set-Cookie"), std::nullopt,
                          std::nullopt, false);
}

// "name=value" of every Set-Cookie line, in line order, joined by "; ".
Text CookiesSet(const Text& responseHeaders) {
    const TextList lines = SplitText(responseHeaders, Text("\r\n"));
    Text cookies;
    for (int32_t index = 1; index <= ListSize(lines); ++index) {
        const Text& line = ListItem(lines, index);
        if (FindText(line, "Set-Cookie") == -1)
            continue;
        const Text value = FindText(line, ";") != -1
                               ? TextBetween(line, "Set-Cookie:", ";")
                               : ReplaceSubtext(line, "Set-Cookie:", std::nullopt, std::nullopt,
                                                std::nullopt, false);
        cookies = ConcatText(std::move(cookies), TrimBothEnds(value), "; ");
    }
    return TextLeft(cookies, TextLength(cookies) - 2);
}

} // namespace

Bytes FetchUrl(const Text& url, const FetchParameters& parameters) {
    ScratchValues scratch;
    const Text& postText = SuppliedOr(parameters.postText, scratch.postText);
    Text& cookies = SuppliedOr(parameters.cookies, scratch.cookies);
    Text& returnedCookies = SuppliedOr(parameters.returnedCookies, scratch.returnedCookies);
    Text& headers = SuppliedOr(parameters.headers, scratch.headers);
    Text& responseHeaders = SuppliedOr(parameters.responseHeaders, scratch.responseHeaders);
    Bytes& postBytes = SuppliedOr(parameters.postBytes, scratch.postBytes);
    const Text& proxy = SuppliedOr(parameters.proxy, scratch.proxy);
    const bool cookiesSupplied = parameters.cookies != nullptr;

    const int32_t method = ChosenMethod(parameters.method);
    const bool https = IsHttps(url);
    const Text agent = UserAgent(headers);

    // Until the request handle exists nothing of the caller's is written.
    if (NamesAnotherScheme(url))
        return Bytes();
    OwnedInetHandle internet(OpenInternet(agent, proxy, https));
    if (!internet)
        return Bytes();
    OwnedInetHandle connection(Connect(internet.get(), url));
    if (!connection)
        return Bytes();
    const uint32_t flags =
        RequestFlags(cookiesSupplied, parameters.noRedirect.value_or(false), https);
    OwnedInetHandle request(OpenRequest(connection.get(), method, url, flags));
    if (!request)
        return Bytes();

    CompleteHeaders(headers, url, cookies);
    Send(request.get(), method, headers, postText, postBytes);
    Bytes body = ReadResponseBody(request.get());
    responseHeaders = WithSetCookieSpelled(QueryRawHeaderBlock(request.get()));
    request.reset();
    connection.reset();
    internet.reset();

    returnedCookies = CookiesSet(responseHeaders);
    if (cookiesSupplied)
        MergeCookies(cookies, returnedCookies);
    return body;
}

Text ValueAfterColon(const Text& text) {
    const int32_t colon = FindText(text, ":");
    const Text value = colon == -1 ? Text() : TextRight(text, TextLength(text) - colon);
    return TrimBothEnds(value);
}
