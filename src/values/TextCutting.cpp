// Cutting texts and byte strings by byte counts, and making blank ones. These never look at
// characters, so a cut may split a two-byte character.
#include "TextOperations.h"

#include <algorithm>
#include <string>

namespace {

// The part of `whole` that starts `offset` bytes in and runs `count` bytes, both already
// non-negative; cut short at the end.
std::string_view Cut(std::string_view whole, int64_t offset, int64_t count) {
    if (offset >= static_cast<int64_t>(whole.size()) || count <= 0)
        return {};
    return whole.substr(static_cast<size_t>(offset), static_cast<size_t>(count));
}

std::string_view Left(std::string_view whole, int32_t count) {
    return Cut(whole, 0, count);
}

} // namespace

Text TextLeft(const Text& text, int32_t count) {
    return Text(Left(text.View(), count));
}

Text TextRight(const Text& text, int32_t count) {
    if (count <= 0)
        return Text();
    std::string_view whole = text.View();
    size_t kept = std::min(whole.size(), static_cast<size_t>(count));
    return Text(whole.substr(whole.size() - kept));
}

Text TextMid(const Text& text, int32_t start, int32_t count) {
    if (start <= 0)
        return Text();
    return Text(Cut(text.View(), int64_t{start} - 1, count));
}

Bytes TextToBytes(const Text& text) {
    return Bytes(text.View());
}

int32_t BytesLength(const Bytes& data) {
    return data.Length();
}

Bytes BytesLeft(const Bytes& data, int32_t count) {
    return Bytes(Left(data.View(), count));
}

Bytes BytesMid(const Bytes& data, int32_t start, int32_t count) {
    int64_t skipped = std::clamp<int64_t>(int64_t{start} - 1, 0, data.Length());
    return Bytes(Cut(data.View(), skipped, count));
}

Bytes BlankBytes(int32_t count) {
    Bytes blank;
    blank.Resize(count);
    return blank;
}

Text BlankText(int32_t count) {
    if (count <= 0)
        return Text();
    return Text(std::string(static_cast<size_t>(count), ' '));
}
