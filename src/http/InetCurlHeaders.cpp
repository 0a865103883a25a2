// Turning a header text into libcurl header-list entries.
#include "InetCurlHeaders.h"

#include "AsciiCase.h"

#include <array>

namespace {

// The lines libcurl 7.x writes itself unless the list names them. Host and Content-Length
// stay: HTTP/1.1 needs them (RFC 9112 3.2 and 6.2).
constexpr std::array<std::string_view, 4> kCurlOwnLines = {"Accept", "Content-Type", "Expect",
                                                           "Proxy-Connection"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::vector<std::string_view> HeaderLines(std::string_view headerText) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < headerText.size()) {
        size_t end = headerText.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = headerText.size();
        if (end > start)
            lines.push_back(headerText.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool HasHeader(const std::vector<std::string_view>& lines, std::string_view name) {
    for (std::string_view line : lines) {
        size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualIgnoringCase(line.substr(0, colon), name))
            return true;
    }
    return false;
}

std::vector<std::string> CurlHeaderEntries(const std::vector<std::string_view>& lines) {
    std::vector<std::string> entries;
    for (std::string_view line : lines) {
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            continue;
        if (TrimBlanks(line.substr(colon + 1)).empty())
            entries.push_back(std::string(line.substr(0, colon)) + ";");
        else
            entries.emplace_back(line);
    }
    for (std::string_view own : kCurlOwnLines) {
        if (!HasHeader(lines, own))
            entries.push_back(std::string(own) + ":");
    }
    return entries;
}
