// Gathering a response's raw header block.
#include "InetCurlHeaderBlock.h"

#include "AsciiCase.h"

namespace {

std::string_view WithoutLineEnding(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

// "HTTP/1.1 200 OK" gives 200.
int StatusCodeOf(std::string_view statusLine) {
    size_t space = statusLine.find(' ');
    if (space == std::string_view::npos || statusLine.size() < space + 4)
        return 0;
    int code = 0;
    for (char c : statusLine.substr(space + 1, 3)) {
        if (c < '0' || c > '9')
            return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

} // namespace

RawHeaderBlock::Progress RawHeaderBlock::Add(std::string_view line) {
    m_bytesSeen += line.size();
    if (m_complete)
        return Progress::Trailer;
    std::string_view content = WithoutLineEnding(line);
    if (m_text.empty())
        m_statusCode = StatusCodeOf(content);
    m_text.append(content).append("\r\n");
    if (!content.empty())
        return Progress::Partial;
    if (m_statusCode >= 100 && m_statusCode < 200) {
        m_text.clear();
        m_statusCode = 0;
        return Progress::InterimEnded;
    }
    m_complete = true;
    return Progress::Complete;
}

std::string RawHeaderBlock::Location() const {
    constexpr std::string_view kName = "Location:";
    size_t start = m_text.find("\r\n");
    while (start != std::string::npos && start + 2 < m_text.size()) {
        start += 2;
        size_t end = m_text.find("\r\n", start);
        std::string_view line(m_text.data() + start, end - start);
        if (StartsWithIgnoringCase(line, kName)) {
            std::string_view value = line.substr(kName.size());
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                value.remove_prefix(1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
                value.remove_suffix(1);
            return std::string(value);
        }
        start = end;
    }
    return {};
}
