#include "Text.h"

#include <cstring>

Text::Text(const char* cString) : m_bytes(cString ? cString : "") {}

Text::Text(std::string_view bytes) : m_bytes(bytes.substr(0, bytes.find('\0'))) {}

Text::Text(std::string&& bytes) : m_bytes(std::move(bytes)) {
    if (auto nul = m_bytes.find('\0'); nul != std::string::npos)
        m_bytes.resize(nul);
}

void Text::Append(std::string_view bytes) {
    m_bytes.append(bytes.substr(0, bytes.find('\0')));
}
