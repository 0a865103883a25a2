// URL dissection: the host to connect to, the port and the object path to request, taken
// from a URL as a user types or pastes it (any letter case, scheme and port optional).
// None of these fails: a malformed URL gives an odd part, and the connection then fails.
#pragma once

#include "values/Text.h"

#include <cstdint>
#include <optional>

// The host, lower-cased, without port unless keepPort is true.
// Plain mode (levels omitted): the host of an "https://" or "http://" URL, or of a URL
// without scheme (read as http). domainOnly keeps its last two labels.
// Level mode (levels supplied, whatever its value): the last levels + 2 labels, or
// levels + 1 with domainOnly; a dot that ends the host is not counted.
Text UrlHost(const Text& url, std::optional<bool> domainOnly = std::nullopt,
             std::optional<bool> keepPort = std::nullopt,
             std::optional<int32_t> levels = std::nullopt);

// The explicit port (0 when empty or not a number), else 443 for https and 80 otherwise.
int32_t UrlPort(const Text& url);

// The path with its query as it goes on the request line, letter case kept; "/" when
// the URL has none. The fragment is never part of it.
Text UrlPath(const Text& url);

// The URL without its fragment ("#" and what follows), which is never sent.
Text UrlWithoutFragment(const Text& url);
