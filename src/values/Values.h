// The primitive services on values: joining, comparing, measuring, truncating.
#pragma once

#include "Bytes.h"
#include "Text.h"
#include "TextList.h"

#include <cstdint>
#include <string_view>

namespace Pieces {
inline std::string_view View(const Text& text) {
    return text.View();
}
inline std::string_view View(const char* cString) {
    return cString ? std::string_view(cString) : std::string_view();
}
inline std::string_view View(const Bytes& bytes) {
    return bytes.View();
}
} // namespace Pieces

// Bytes before the NUL; 0 for an absent text.
inline int32_t TextLength(const Text& text) {
    return text.Length();
}

// The pieces one after the other, measured first and allocated once.
template <typename... Rest> Text ConcatText(const Text& first, const Rest&... rest) {
    Text result;
    result.Reserve(static_cast<int32_t>((Pieces::View(first).size() + ... + Pieces::View(rest).size())));
    result.Append(first.View());
    (result.Append(Pieces::View(rest)), ...);
    return result;
}

// Appends to a text that the caller gives up, so `t = ConcatText(std::move(t), piece)`
// costs the piece alone.
template <typename... Rest> Text ConcatText(Text&& first, const Rest&... rest) {
    (first.Append(Pieces::View(rest)), ...);
    return std::move(first);
}

template <typename... Rest> Bytes ConcatBytes(const Bytes& first, const Rest&... rest) {
    Bytes result;
    result.Reserve(static_cast<int32_t>((first.View().size() + ... + rest.View().size())));
    result.Append(first.View());
    (result.Append(rest.View()), ...);
    return result;
}

template <typename... Rest> Bytes ConcatBytes(Bytes&& first, const Rest&... rest) {
    (first.Append(rest.View()), ...);
    return std::move(first);
}

// -1, 0 or 1, comparing unsigned bytes; no case folding, no collation.
int32_t CompareText(const Text& left, const Text& right);
bool BytesEqual(const Bytes& left, const Bytes& right);

// Rounds toward zero and keeps the low 32 bits; 0 for a NaN or a value beyond 64 bits.
int32_t TruncateToInteger(double value);
