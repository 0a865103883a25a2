// The URL that libcurl is given for a request, built from the parts the caller handed over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Percent-encodes the bytes that may not stand raw in a request target (RFC 9112): control
// characters, the space, DEL and 0x80-0xFF, so that the server decodes the very bytes the
// caller gave. With encodeHash a "#" is encoded too, as an object path has no fragment.
// Every other byte, "%" included, is kept.
std::string PercentEncodeUnsafe(std::string_view text, bool encodeHash);

// Whether the host may stand in a URL as it is: not empty, and free of bytes that would end
// the host part or hide another host behind it.
bool IsUsableHost(std::string_view host);

// "scheme://host[:port]/path". The host is GBK; an international name goes into the URL
// in its ASCII ("xn--") form, an IPv6 address in brackets. Port 0 means the scheme's
// default. The path gets a leading "/" when it has none.
std::string CurlRequestUrl(bool secure, std::string_view host, int32_t port,
                           std::string_view objectPath);
