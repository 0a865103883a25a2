// Building a request URL from a GBK host, a port and a raw object path.
#include "InetCurlUrl.h"

#include "values/Gbk.h"

namespace {

bool MustEncode(unsigned char byte, bool encodeHash) {
    return byte <= 0x20 || byte >= 0x7F || (encodeHash && byte == '#');
}

bool HasHighBytes(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

} // namespace

std::string PercentEncodeUnsafe(std::string_view text, bool encodeHash) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (MustEncode(byte, encodeHash)) {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        } else {
            encoded.push_back(c);
        }
    }
    return encoded;
}

bool IsUsableHost(std::string_view host) {
    if (host.empty())
        return false;
    for (char c : host) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F ||
            std::string_view("/\\?#@%").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

std::string CurlRequestUrl(bool secure, std::string_view host, int32_t port,
                           std::string_view objectPath) {
    std::string url = secure ? "https://" : "http://";
    std::string utf8Host = HasHighBytes(host) ? Utf8FromGbk(host) : std::string(host);
    bool ipv6 = utf8Host.find(':') != std::string::npos && utf8Host.front() != '[';
    url += ipv6 ? "[" + utf8Host + "]" : utf8Host;
    if (port != 0)
        url += ":" + std::to_string(port);
    if (objectPath.empty() || objectPath.front() != '/')
        url += '/';
    url += PercentEncodeUnsafe(objectPath, true);
    return url;
}
