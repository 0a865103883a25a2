// Fuzz target: URL dissection and TextBetween on any bytes, in every mode, checking what a
// request relies on (a path that starts with "/", no fragment sent, a host that ends at the
// path, the query and the fragment).
#include "http/TextBetween.h"
#include "http/Url.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool Holds(const Text& text, const char* sub) {
    return FindText(text, Text(sub)) != -1;
}

// Levels from one byte: small values, negative ones and the extremes.
int32_t LevelsFrom(unsigned char byte) {
    if (byte == 0xFF)
        return INT32_MAX;
    if (byte == 0xFE)
        return INT32_MIN;
    return static_cast<int32_t>(byte % 16) - 4;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Some steps are quadratic in the number of dots or markers; long inputs teach nothing new.
    if (size == 0 || size > 4096)
        return 0;
    const unsigned char options = data[0];
    const Text url(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    const Text host = UrlHost(url);
    Require(!Holds(host, "/") && !Holds(host, "?") && !Holds(host, "#") && !Holds(host, ":"));
    const Text path = UrlPath(url);
    Require(!path.IsEmpty() && path.ByteAt(1) == '/');
    Require(!Holds(path, "#"));
    UrlPort(url);
    UrlHost(url, (options & 1) != 0, (options & 2) != 0);
    UrlHost(url, (options & 1) != 0, (options & 2) != 0, LevelsFrom(options));

    // The URL's own halves as markers.
    const int32_t half = TextLength(url) / 2;
    const Text left = TextLeft(url, half % 5);
    const Text right = TextMid(url, half, 1 + options % 3);
    const Text between =
        TextBetween(url, left, right, static_cast<int32_t>(options % 7) - 2, (options & 4) != 0);
    Require(TextLength(between) <= TextLength(url));
    return 0;
}
