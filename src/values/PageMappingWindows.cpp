// Page mappings on Windows: none. A mapping there cannot grow by moving pages, so large
// byte strings stay on the C heap, whose realloc grows them in place where it can.
#include "PageMapping.h"

unsigned char* MapPages(size_t) {
    return nullptr;
}

unsigned char* RemapPages(unsigned char*, size_t, size_t) {
    return nullptr;
}

void UnmapPages(unsigned char*, size_t) {}
