// Text: a run of GBK bytes that never holds a NUL. Absent and empty are one value;
// positions count bytes from 1, and -1 means that a search found nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class Text {
public:
    Text() = default;
    // Both constructors keep the bytes before the first NUL, as a C string would.
    Text(const char* cString);
    explicit Text(std::string_view bytes);
    explicit Text(std::string&& bytes);

    int32_t Length() const { return static_cast<int32_t>(m_bytes.size()); }
    bool IsEmpty() const { return m_bytes.empty(); }
    std::string_view View() const { return m_bytes; }
    const char* CString() const { return m_bytes.c_str(); }
    // The byte at a 1-based position; the caller keeps the position within 1..Length().
    unsigned char ByteAt(int32_t position) const {
        return static_cast<unsigned char>(m_bytes[static_cast<size_t>(position) - 1]);
    }

    // Amortised O(1) per byte; stops at a NUL in the appended bytes.
    void Append(std::string_view bytes);
    void Reserve(int32_t length) { m_bytes.reserve(static_cast<size_t>(length)); }

    friend bool operator==(const Text&, const Text&) = default;

private:
    std::string m_bytes;
};
