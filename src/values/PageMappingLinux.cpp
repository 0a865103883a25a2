// Page mappings on Linux: mmap with MADV_HUGEPAGE, grown with mremap, which moves page
// tables rather than bytes and keeps the huge page advice.
#include "PageMapping.h"

#include <cstdint>
#include <sys/mman.h>

unsigned char* MapPages(size_t length) {
    size_t padded = length + kHugePageSize;
    void* area =
        ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return nullptr;
    auto start = reinterpret_cast<uintptr_t>(area);
    uintptr_t aligned = (start + kHugePageSize - 1) & ~uintptr_t{kHugePageSize - 1};
    size_t head = aligned - start;
    size_t tail = padded - head - length;
    if (head)
        ::munmap(area, head);
    if (tail)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    // Only advice: where transparent huge pages are off, the block works with small pages.
    (void)::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<unsigned char*>(aligned);
}

unsigned char* RemapPages(unsigned char* block, size_t oldLength, size_t newLength) {
    void* moved = ::mremap(block, oldLength, newLength, MREMAP_MAYMOVE);
    return moved == MAP_FAILED ? nullptr : static_cast<unsigned char*>(moved);
}

void UnmapPages(unsigned char* block, size_t length) {
    ::munmap(block, length);
}
