// Building a request URL from a GBK host, a port and a raw object path.
#include "InetCurlUrl.h"

#include "values/Gbk.h"

#include <idn2.h>

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

// The host as libcurl must get it: ASCII. An international name is turned into its
// "xn--" form (IDNA2008 with the TR46 mapping) here, because libcurl would convert it from
// the process's locale encoding, which is plain ASCII unless someone called setlocale.
std::string AsciiHost(std::string_view gbkHost) {
    if (!HasHighBytes(gbkHost))
        return std::string(gbkHost);
    std::string utf8 = Utf8FromGbk(gbkHost);
    char* ascii = nullptr;
    int status =
        idn2_lookup_u8(reinterpret_cast<const uint8_t*>(utf8.c_str()),
                       reinterpret_cast<uint8_t**>(&ascii), IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
    if (status != IDN2_OK || !ascii)
        return utf8; // not a valid name: libcurl will fail to resolve it
    std::string result(ascii);
    idn2_free(ascii);
    return result;
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
    std::string asciiHost = AsciiHost(host);
    bool ipv6 = asciiHost.find(':') != std::string::npos && asciiHost.front() != '[';
    url += ipv6 ? "[" + asciiHost + "]" : asciiHost;
    if (port != 0)
        url += ":" + std::to_string(port);
    if (objectPath.empty() || objectPath.front() != '/')
        url += '/';
    url += PercentEncodeUnsafe(objectPath, true);
    return url;
}
