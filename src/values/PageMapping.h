// Whole-page mappings for large byte strings, where the platform can grow them by moving
// pages instead of bytes. Where it cannot, MapPages gives null and Bytes stays on malloc.
#pragma once

#include <cstddef>

// The transparent huge page size of x86-64 (and of ARM64 with 4 KB pages).
inline constexpr size_t kHugePageSize = size_t{2} << 20;

// `length` zeroed bytes starting on a huge page boundary and advised to use huge pages;
// null when the platform maps no blocks itself or the address space is exhausted.
unsigned char* MapPages(size_t length);
// The block grown to `newLength`, possibly moved, its bytes kept; null when it cannot grow,
// and then the old block stays as it was.
unsigned char* RemapPages(unsigned char* block, size_t oldLength, size_t newLength);
void UnmapPages(unsigned char* block, size_t length);
