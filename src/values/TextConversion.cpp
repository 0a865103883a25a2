// Conversions between numbers and texts, and the integer helpers that go with them.
#include "TextOperations.h"

#include "TextScanning.h"

#include <cmath>
#include <cstdint>
#include <string>

using TextScanning::IsLeadByte;

namespace {

// Full-width forms as their ASCII bytes: A3 A1..A3 FE are the full-width copies of 0x21..0x7E,
// A1 A1 is the full-width space, A1 AB the wave dash and A1 EE / A1 EF the stars. Other
// characters stay as they are; a lead byte that ends the text ends it.
std::string AsciiFromFullWidth(std::string_view text) {
    std::string converted;
    converted.reserve(text.size());
    for (size_t position = 0; position < text.size(); ++position) {
        if (!IsLeadByte(text[position])) {
            converted.push_back(text[position]);
            continue;
        }
        if (position + 1 == text.size())
            break;
        auto lead = static_cast<unsigned char>(text[position]);
        auto trail = static_cast<unsigned char>(text[++position]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            converted.push_back(static_cast<char>(trail - 0x80));
        else if (lead == 0xA1 && trail == 0xA1)
            converted.push_back(' ');
        else if (lead == 0xA1 && trail == 0xAB)
            converted.push_back('~');
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF))
            converted.push_back('*');
        else
            converted.append({static_cast<char>(lead), static_cast<char>(trail)});
    }
    return converted;
}

bool IsLeadingWhiteSpace(char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// The low 32 bits of a whole number held in a double, or 0 beyond the signed 64-bit range.
int32_t LowBitsOfWhole(double whole) {
    // 2^63: the first whole number past the signed 64-bit range.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(whole >= -kLimit && whole < kLimit))
        return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(whole)));
}

} // namespace

Text CharFromCode(unsigned char code) {
    return Text(std::string(1, static_cast<char>(code)));
}

Text NumberToText(int32_t value) {
    return Text(std::to_string(value));
}

int32_t TextToInteger(const Text& text) {
    std::string ascii = AsciiFromFullWidth(text.View());
    size_t position = 0;
    while (position < ascii.size() && IsLeadingWhiteSpace(ascii[position]))
        ++position;
    bool negative = false;
    if (position < ascii.size() && (ascii[position] == '+' || ascii[position] == '-'))
        negative = ascii[position++] == '-';
    // Unsigned arithmetic: overflow wraps around modulo 2^32, as the reading always has.
    uint32_t value = 0;
    for (; position < ascii.size() && ascii[position] >= '0' && ascii[position] <= '9'; ++position)
        value = value * 10 + static_cast<uint32_t>(ascii[position] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

int32_t FloorToInteger(double value) {
    // A computed value that falls short of a whole number by less than 1e-12 counts as that
    // number, so 57.99999999999999 from a division reads as 58.
    constexpr double kNearlyWhole = 1.0 - 1e-12;
    double whole = 0;
    double fraction = std::modf(value, &whole);
    if (std::fabs(fraction) > kNearlyWhole)
        value = whole + (value < 0 ? -1.0 : 1.0);
    return LowBitsOfWhole(std::floor(value));
}

int32_t BitOr(std::initializer_list<int32_t> values) {
    int32_t combined = 0;
    for (int32_t value : values)
        combined |= value;
    return combined;
}
