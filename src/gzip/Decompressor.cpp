// Binding gzip.dll's functions at their first call.
#include "Decompressor.h"

#include "SharedLibrary.h"
#include "values/FatalError.h"
#include "values/Files.h"
#include "values/Gbk.h"
#include "values/Values.h"

#include <atomic>
#include <mutex>

namespace Decompressor {
namespace {

constexpr char kLibraryFileName[] = "gzip.dll";

// The library is loaded once, under the lock, at the first call of any function; each
// function then has its own slot, so a call after binding takes no lock.
class Binding {
public:
    static Binding& Instance() {
        static Binding binding;
        return binding;
    }

    template <typename Function> Function Bind(std::atomic<Function>& slot, const char* name) {
        if (Function bound = slot.load(std::memory_order_acquire))
            return bound;
        std::lock_guard lock(m_mutex);
        Function bound = slot.load(std::memory_order_relaxed);
        if (!bound) {
            bound = reinterpret_cast<Function>(FindSharedLibraryFunction(Library(), name));
            if (!bound)
                ReportFatalError(0, MissingFunctionMessage(name));
            slot.store(bound, std::memory_order_release);
        }
        return bound;
    }

private:
    SharedLibraryHandle Library() {
        if (!m_library) {
            Text besideExecutable = ConcatText(RunDirectory(), kPathSeparator, kLibraryFileName);
            m_library = LoadSharedLibrary(besideExecutable.CString());
        }
        if (!m_library)
            m_library = LoadSharedLibrary(kLibraryFileName);
        return m_library;
    }

    std::mutex m_mutex;
    SharedLibraryHandle m_library{nullptr};
};

template <typename Function> Function Bound(std::atomic<Function>& slot, const char* name) {
    return Binding::Instance().Bind(slot, name);
}

} // namespace

Text MissingFunctionMessage(const char* function) {
    return ConcatText(Gbk(u8"无法找到指定DLL库文件“"), kLibraryFileName, Gbk(u8"”中的输出命令“"),
                      function, Gbk(u8"”"));
}

int32_t InitDecompression() {
    static std::atomic<decltype(&::InitDecompression)> slot{nullptr};
    return Bound(slot, "InitDecompression")();
}

int32_t CreateDecompression(DecompressionContext** context, int32_t flags) {
    static std::atomic<decltype(&::CreateDecompression)> slot{nullptr};
    return Bound(slot, "CreateDecompression")(context, flags);
}

int32_t Decompress(DecompressionContext* context, const uint8_t* input, int32_t inputLength,
                   uint8_t* output, int32_t outputCapacity, int32_t* consumed, int32_t* produced) {
    static std::atomic<decltype(&::Decompress)> slot{nullptr};
    return Bound(slot, "Decompress")(context, input, inputLength, output, outputCapacity, consumed,
                                     produced);
}

int32_t DestroyDecompression(DecompressionContext* context) {
    static std::atomic<decltype(&::DestroyDecompression)> slot{nullptr};
    return Bound(slot, "DestroyDecompression")(context);
}

} // namespace Decompressor
