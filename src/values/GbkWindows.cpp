// The Windows side of the GBK conversions, on the system's code page 936 tables, so that
// a text reads the same whatever code page the system itself is set to.
#include "Gbk.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr UINT kGbkCodePage = 936;
constexpr char32_t kReplacementCharacter = 0xFFFD;

void AppendUtf8(std::string& output, char32_t code) {
    if (code < 0x80) {
        output += static_cast<char>(code);
    } else if (code < 0x800) {
        output += static_cast<char>(0xC0 | (code >> 6));
        output += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        output += static_cast<char>(0xE0 | (code >> 12));
        output += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        output += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        output += static_cast<char>(0xF0 | (code >> 18));
        output += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        output += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        output += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// One UTF-8 sequence from the front of `input`: its code point, or the replacement
// character for a sequence that is cut short, overlong, a surrogate or beyond U+10FFFF.
// Takes at least one byte.
char32_t TakeUtf8Sequence(std::string_view& input) {
    auto byteAt = [&](size_t i) { return static_cast<unsigned char>(input[i]); };
    unsigned char lead = byteAt(0);
    size_t length = lead < 0x80   ? 1
                    : lead < 0xC2 ? 0
                    : lead < 0xE0 ? 2
                    : lead < 0xF0 ? 3
                    : lead < 0xF5 ? 4
                                  : 0;
    if (length == 0) {
        input.remove_prefix(1);
        return kReplacementCharacter;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (i >= input.size() || (byteAt(i) & 0xC0) != 0x80) {
            input.remove_prefix(i);
            return kReplacementCharacter;
        }
        code = (code << 6) | (byteAt(i) & 0x3F);
    }
    input.remove_prefix(length);
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return kReplacementCharacter;
    return code;
}

// The GBK bytes of one character, or "?" when code page 936 has no exact match (no
// look-alike substitutes).
void AppendGbkCharacter(std::string& output, char32_t code) {
    if (code < 0x80) {
        output += static_cast<char>(code);
        return;
    }
    wchar_t units[2];
    int unitCount = 1;
    if (code >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        unitCount = 2;
    } else {
        units[0] = static_cast<wchar_t>(code);
    }
    char bytes[8];
    BOOL usedDefault = FALSE;
    int length = ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, units, unitCount, bytes,
                                       sizeof bytes, "?", &usedDefault);
    if (length <= 0 || usedDefault || code == kReplacementCharacter)
        output += '?';
    else
        output.append(bytes, static_cast<size_t>(length));
}

// The code point of one GBK character: a byte below 0x80 stands alone, a byte from 0x80
// leads a two-byte character. A pair that the table does not hold reads as U+FFFD.
char32_t GbkCharacter(std::string_view bytes) {
    if (bytes.size() == 1)
        return static_cast<unsigned char>(bytes[0]) < 0x80 ? static_cast<unsigned char>(bytes[0])
                                                           : kReplacementCharacter;
    wchar_t units[2];
    int count = ::MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                      static_cast<int>(bytes.size()), units, 2);
    if (count != 1 || units[0] == 0xFFFD || (units[0] >= 0xD800 && units[0] < 0xE000))
        return kReplacementCharacter;
    return units[0];
}

} // namespace

Text GbkFromUtf8(std::string_view utf8) {
    std::string output;
    output.reserve(utf8.size());
    while (!utf8.empty())
        AppendGbkCharacter(output, TakeUtf8Sequence(utf8));
    return Text(std::move(output));
}

Text Gbk(std::u8string_view utf8) {
    return GbkFromUtf8({reinterpret_cast<const char*>(utf8.data()), utf8.size()});
}

std::string Utf8FromGbk(std::string_view gbk) {
    std::string output;
    output.reserve(gbk.size() * 3 / 2);
    while (!gbk.empty()) {
        size_t length =
            static_cast<unsigned char>(gbk[0]) >= 0x80 ? std::min<size_t>(2, gbk.size()) : 1;
        AppendUtf8(output, GbkCharacter(gbk.substr(0, length)));
        gbk.remove_prefix(length);
    }
    return output;
}
