// Bytes: a byte string of any bytes, NUL included. Absent and empty are one value.
// The storage grows by doubling through realloc, which moves large blocks by remapping
// pages instead of copying them, so a body appended piece by piece costs linear time
// and no second copy of itself.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::string_view bytes);
    Bytes(const void* data, int32_t length);
    Bytes(const Bytes& other);
    Bytes& operator=(const Bytes& other);
    Bytes(Bytes&& other) noexcept;
    Bytes& operator=(Bytes&& other) noexcept;
    ~Bytes() = default;

    int32_t Length() const { return static_cast<int32_t>(m_length); }
    bool IsEmpty() const { return m_length == 0; }
    // Contiguous bytes for platform calls; null when the value is empty.
    const unsigned char* Data() const { return m_length ? m_data.get() : nullptr; }
    unsigned char* MutableData() { return m_length ? m_data.get() : nullptr; }
    std::string_view View() const {
        return {reinterpret_cast<const char*>(m_data.get()), m_length};
    }

    // Amortised O(1) per byte.
    void Append(const void* data, int32_t length);
    void Append(std::string_view bytes) {
        Append(bytes.data(), static_cast<int32_t>(bytes.size()));
    }
    // Grows with zero bytes or cuts the end off.
    void Resize(int32_t length);
    void Reserve(int32_t capacity);

    friend bool operator==(const Bytes& left, const Bytes& right) {
        return left.View() == right.View();
    }

private:
    struct FreeDeleter {
        void operator()(unsigned char* block) const { std::free(block); }
    };
    void GrowTo(size_t capacity);

    std::unique_ptr<unsigned char, FreeDeleter> m_data;
    size_t m_length{0};
    size_t m_capacity{0};
};
