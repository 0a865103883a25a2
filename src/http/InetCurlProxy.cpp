// Reading WinInet's proxy and bypass lists.
#include "InetCurlProxy.h"

#include "AsciiCase.h"

#include <vector>

namespace {

std::vector<std::string_view> SplitEntries(std::string_view list, std::string_view separators) {
    std::vector<std::string_view> entries;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find_first_of(separators, start);
        if (end == std::string_view::npos)
            end = list.size();
        if (end > start)
            entries.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

// "host", "host:port", "[v6]" or "[v6]:port" with the default port added when missing.
// A "scheme://" in front and anything from the first "/" after the host are dropped.
std::string ServerWithPort(std::string_view server, std::string_view defaultPort) {
    size_t schemeEnd = server.find("://");
    if (schemeEnd != std::string_view::npos)
        server.remove_prefix(schemeEnd + 3);
    server = server.substr(0, server.find('/'));
    if (server.empty())
        return {};
    size_t hostEnd = server.front() == '[' ? server.find(']') : 0;
    bool hasPort =
        server.find(':', hostEnd == std::string_view::npos ? 0 : hostEnd) != std::string_view::npos;
    std::string result(server);
    if (!hasPort)
        result.append(":").append(defaultPort);
    return result;
}

// Whether the pattern with "*" wildcards matches the whole text, ignoring case.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
    size_t p = 0;
    size_t t = 0;
    size_t starAt = std::string_view::npos;
    size_t textAtStar = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            textAtStar = t;
        } else if (p < pattern.size() && LowerAscii(pattern[p]) == LowerAscii(text[t])) {
            ++p;
            ++t;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            t = ++textAtStar;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

std::string CurlProxyFor(std::string_view proxyList, std::string_view scheme) {
    std::string_view own;
    std::string_view bare;
    std::string_view socks;
    for (std::string_view entry : SplitEntries(proxyList, " \t\r\n;")) {
        size_t equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (bare.empty())
                bare = entry;
            continue;
        }
        std::string_view name = entry.substr(0, equals);
        std::string_view server = entry.substr(equals + 1);
        if (EqualIgnoringCase(name, scheme) && own.empty())
            own = server;
        else if (EqualIgnoringCase(name, "socks") && socks.empty())
            socks = server;
    }
    std::string_view chosen = !own.empty() ? own : bare;
    if (!chosen.empty()) {
        std::string server = ServerWithPort(chosen, "80");
        return server.empty() ? std::string() : "http://" + server;
    }
    if (!socks.empty()) {
        std::string server = ServerWithPort(socks, "1080");
        return server.empty() ? std::string() : "socks4://" + server;
    }
    return {};
}

bool HostBypassesProxy(std::string_view bypassList, std::string_view host) {
    for (std::string_view pattern : SplitEntries(bypassList, " \t\r\n;,")) {
        if (EqualIgnoringCase(pattern, "<local>")) {
            if (host.find('.') == std::string_view::npos)
                return true;
        } else if (WildcardMatch(pattern, host)) {
            return true;
        }
    }
    return false;
}
