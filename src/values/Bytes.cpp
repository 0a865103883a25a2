#include "Bytes.h"

#include "FatalError.h"
#include "PageMapping.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

namespace {

// Lengths are signed 32-bit throughout the system.
constexpr size_t kMaximumLength = std::numeric_limits<int32_t>::max();
// Blocks from this size on are mapped whole where the platform can, instead of coming
// from malloc.
constexpr size_t kMappedFrom = size_t{4} << 20;

size_t RoundUpToHugePages(size_t length) {
    return (length + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
}

} // namespace

void Bytes::BlockDeleter::operator()(unsigned char* block) const {
    if (mappedLength)
        UnmapPages(block, mappedLength);
    else
        std::free(block);
}

Bytes::Bytes(std::string_view bytes) {
    Append(bytes);
}

Bytes::Bytes(const void* data, int32_t length) {
    Append(data, length);
}

Bytes::Bytes(const Bytes& other) {
    Append(other.View());
}

Bytes& Bytes::operator=(const Bytes& other) {
    if (this != &other) {
        Bytes copy(other);
        *this = std::move(copy);
    }
    return *this;
}

// A moved-from value is empty and must not keep the moved block's deleter state.
Bytes::Bytes(Bytes&& other) noexcept
    : m_data(std::move(other.m_data)), m_length(std::exchange(other.m_length, 0)),
      m_capacity(std::exchange(other.m_capacity, 0)) {
    other.m_data.get_deleter() = BlockDeleter{};
}

Bytes& Bytes::operator=(Bytes&& other) noexcept {
    if (this != &other) {
        m_data = std::move(other.m_data);
        other.m_data.get_deleter() = BlockDeleter{};
        m_length = std::exchange(other.m_length, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

// Blocks only ever grow, so a block that has been mapped stays mapped.
void Bytes::GrowTo(size_t capacity) {
    if (capacity > kMaximumLength)
        ReportAllocationFailure(static_cast<int64_t>(capacity));
    if (capacity >= kMappedFrom && GrowMapped(capacity))
        return;
    void* block = std::realloc(m_data.get(), capacity);
    if (!block)
        ReportAllocationFailure(static_cast<int64_t>(capacity));
    (void)m_data.release();
    m_data.reset(static_cast<unsigned char*>(block));
    m_capacity = capacity;
}

bool Bytes::GrowMapped(size_t capacity) {
    size_t length = RoundUpToHugePages(capacity);
    size_t& mappedLength = m_data.get_deleter().mappedLength;
    if (mappedLength) {
        unsigned char* block = RemapPages(m_data.get(), mappedLength, length);
        if (!block)
            ReportAllocationFailure(static_cast<int64_t>(length));
        (void)m_data.release();
        m_data.reset(block);
    } else {
        unsigned char* block = MapPages(length);
        if (!block)
            return false;
        if (m_length)
            std::memcpy(block, m_data.get(), m_length);
        m_data.reset(block); // frees the malloc block while the deleter still says so
    }
    mappedLength = length;
    m_capacity = length;
    return true;
}

void Bytes::Reserve(int32_t capacity) {
    if (capacity > 0 && static_cast<size_t>(capacity) > m_capacity)
        GrowTo(static_cast<size_t>(capacity));
}

void Bytes::Append(const void* data, int32_t length) {
    if (length <= 0)
        return;
    size_t needed = m_length + static_cast<size_t>(length);
    if (needed > m_capacity) {
        // The piece may lie in this very block (a byte string joined to itself), and growing
        // may move or free the block: find the piece again by its offset.
        auto* piece = static_cast<const unsigned char*>(data);
        const unsigned char* block = m_data.get();
        std::less<const unsigned char*> before;
        bool ownBytes = block && !before(piece, block) && before(piece, block + m_length);
        size_t offset = ownBytes ? static_cast<size_t>(piece - block) : 0;
        GrowTo(std::min(std::max({needed, m_capacity * 2, size_t{64}}),
                        std::max(needed, kMaximumLength)));
        if (ownBytes)
            data = m_data.get() + offset;
    }
    std::memcpy(m_data.get() + m_length, data, static_cast<size_t>(length));
    m_length = needed;
}

void Bytes::Resize(int32_t length) {
    size_t wanted = length > 0 ? static_cast<size_t>(length) : 0;
    if (wanted > m_capacity)
        GrowTo(wanted);
    if (wanted > m_length)
        std::memset(m_data.get() + m_length, 0, wanted - m_length);
    m_length = wanted;
}
