// Every allocation of the program either succeeds or ends the process with the allocation
// report ("分配 %d 字节内存失败!"): the global allocation functions report instead of throwing,
// so no allocation failure escapes as an exception from any thread.
#include "FatalError.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The linker takes a member of a static library only for a symbol still missing, and a
// sanitizer's runtime, linked first, already brings operator new: the build asks for this
// symbol by name so the functions below are always the program's.
extern "C" {
extern const int QuandrelAllocationFailureReport;
const int QuandrelAllocationFailureReport = 1;
}

namespace {

void* AllocateOrReport(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1))
        return block;
    // The report allocates too: should that fail as well, end without it.
    static std::atomic<bool> reporting{false};
    if (reporting.exchange(true))
        std::_Exit(-1);
    ReportAllocationFailure(static_cast<int64_t>(size));
}

void* AllocateOrNull(std::size_t size) noexcept {
    return std::malloc(size ? size : 1);
}

} // namespace

void* operator new(std::size_t size) {
    return AllocateOrReport(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrReport(size);
}
// The nothrow forms keep their contract: callers that ask for null get null.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}

void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
