#include "Gbk.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace {

struct IconvCloser {
    void operator()(void* descriptor) const { iconv_close(static_cast<iconv_t>(descriptor)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

Converter OpenConverter(const char* to, const char* from) {
    iconv_t descriptor = iconv_open(to, from);
    return Converter(descriptor == reinterpret_cast<iconv_t>(-1) ? nullptr : descriptor);
}

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0)
        return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// Length of the GBK character that starts with this byte: a byte from 0x80 leads two.
size_t GbkSequenceLength(unsigned char lead) {
    return lead >= 0x80 ? 2 : 1;
}

// Converts with iconv, replacing each character it cannot take with `replacement`.
template <typename SequenceLength>
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, SequenceLength sequenceLength) {
    std::string output;
    Converter converter = OpenConverter(to, from);
    if (!converter)
        return std::string(input);
    output.reserve(input.size() * 3 / 2 + 8);
    auto* descriptor = static_cast<iconv_t>(converter.get());
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = iconv(descriptor, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip one character of the input and stand the replacement in.
        size_t skip = std::min(inLeft, sequenceLength(static_cast<unsigned char>(*in)));
        in += skip;
        inLeft -= skip;
        output.append(replacement);
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    }
    return output;
}

} // namespace

Text GbkFromUtf8(std::string_view utf8) {
    return Text(Convert("GBK", "UTF-8", utf8, "?", Utf8SequenceLength));
}

Text Gbk(std::u8string_view utf8) {
    return GbkFromUtf8({reinterpret_cast<const char*>(utf8.data()), utf8.size()});
}

std::string Utf8FromGbk(std::string_view gbk) {
    return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD", GbkSequenceLength);
}
