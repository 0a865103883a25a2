// FetchUrl: one synchronous HTTP or HTTPS request with a browser-like default header set.
#pragma once

#include "values/Bytes.h"
#include "values/Text.h"

#include <optional>

// The optional parameters, in the order they are documented. A null pointer or an empty
// optional is an omitted parameter; a supplied one counts even when its value is empty.
// Omitted by-reference results are written to scratch values and discarded.
struct FetchParameters {
    std::optional<int32_t> method{};  // 0 GET, 1 POST, 2 HEAD; anything else is GET
    const Text* postText = nullptr;   // the body as text, when postBytes is empty
    Text* cookies = nullptr;          // sent as a Cookie line; merged with the returned
    Text* returnedCookies = nullptr;  // receives "name=value; ..." of Set-Cookie lines
    Text* headers = nullptr;          // extra request lines; receives the text as sent
    Text* responseHeaders = nullptr;  // receives the raw response header block, whole
    std::optional<bool> noRedirect{}; // true: redirects are not followed
    Bytes* postBytes = nullptr;       // the body as bytes; gets postText's when empty
    const Text* proxy = nullptr;      // WinInet proxy syntax; empty: direct
};

// Returns the response body exactly as received (a gzip body stays gzip); an empty body
// is the only sign of failure, and a body too long for 32-bit sizes comes back empty too.
// The HTTP status is not examined. When opening the session, connection or request fails,
// nothing the caller passed by reference is written. Only http and https are fetched: an
// address that names another scheme ("ftp://", "file:", "javascript:") fails the same way,
// before anything is opened.
Bytes FetchUrl(const Text& url, const FetchParameters& parameters = {});

// The text after the first ":" of the text, trimmed of blanks at both ends.
Text ValueAfterColon(const Text& text);
