// WinInet's proxy lists, read for libcurl: which proxy a request goes through.
#pragma once

#include <string>
#include <string_view>

// The proxy for a request of the scheme ("http" or "https") as a libcurl proxy URL, or ""
// for a direct connection. The list holds entries separated by blanks or ";": an entry
// "http=host:port" (also "https=", "socks=") applies to that scheme only, a bare
// "host:port" to every scheme. The scheme's own entry wins over a bare one, and a SOCKS
// entry is used only when neither is there. A missing port is 80 (SOCKS: 1080).
std::string CurlProxyFor(std::string_view proxyList, std::string_view scheme);

// Whether the host is reached directly despite a proxy. The bypass list holds host
// patterns separated by blanks, ";" or ",", in which "*" stands for any run of
// characters; "<local>" matches every host name without a dot. Letter case is ignored.
bool HostBypassesProxy(std::string_view bypassList, std::string_view host);
