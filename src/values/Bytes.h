// Bytes: a byte string of any bytes, NUL included. Absent and empty are one value.
// The storage grows by doubling, so a body appended piece by piece costs linear time.
// Small blocks come from realloc; on Linux, blocks of 4 MB and more are mapped whole, asking
// for transparent huge pages, and grow with mremap, which moves pages instead of bytes.
// A large body then costs one page fault per 2 MB instead of one per 4 KB, which on a
// virtual machine is most of the cost of receiving it.
#pragma once

#include <cstdint>
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
    // Frees a block that came from malloc, or unmaps one that was mapped whole.
    struct BlockDeleter {
        size_t mappedLength; // 0 for a malloc block; value-initialised to 0
        void operator()(unsigned char* block) const;
    };
    void GrowTo(size_t capacity);
    // False when the platform maps no blocks, and the block stays on malloc.
    bool GrowMapped(size_t capacity);

    std::unique_ptr<unsigned char, BlockDeleter> m_data;
    size_t m_length{0};
    size_t m_capacity{0};
};
