// The body read loop and the raw header query of a request.
#include "ResponseReading.h"

#include "values/TextOperations.h"
#include "values/Values.h"

#include <string>

namespace {

constexpr int32_t kPieceSize = 1024;
constexpr int32_t kFirstHeaderQuerySize = 5000;

} // namespace

Bytes ReadResponseBody(InetHandle request, int32_t limit) {
    Bytes buffer = BlankBytes(kPieceSize);
    int32_t count = 0;
    Bytes body;
    for (;;) {
        const bool read = InetReadFile(request, buffer.MutableData(), kPieceSize, &count);
        // A read that fails may leave any count behind, so only a successful one counts.
        if (!read || count < 0 || count > kPieceSize) {
            // The layer fails a read that would take the body past its own size limit.
            if (!read && InetLastError() == kInetErrorBodyTooLarge)
                return Bytes();
            return body;
        }
        if (count == 0)
            return body;
        // Written as a subtraction, so the sizes never wrap.
        if (count > limit - body.Length())
            return Bytes();
        body = ConcatBytes(std::move(body), BytesLeft(buffer, count));
    }
}

Text QueryRawHeaderBlock(InetHandle request) {
    std::string buffer(BlankText(kFirstHeaderQuerySize).View());
    int32_t size = kFirstHeaderQuerySize;
    if (InetQueryInfo(request, kHttpQueryRawHeadersCrlf, buffer.data(), &size, nullptr))
        return Text(std::move(buffer)); // ends at the NUL that the query wrote
    if (InetLastError() != kInetErrorInsufficientBuffer || size <= kFirstHeaderQuerySize)
        return BlankText(kFirstHeaderQuerySize);

    // The size reported counts the NUL too.
    std::string whole(static_cast<size_t>(size), ' ');
    if (!InetQueryInfo(request, kHttpQueryRawHeadersCrlf, whole.data(), &size, nullptr))
        return BlankText(kFirstHeaderQuerySize);
    return Text(std::move(whole));
}
