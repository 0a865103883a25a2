// TrimBothEnds and RemoveAllSpaces. A blank is the ASCII space or the full-width space
// A1 A1; tab, CR, LF and every other character are kept.
#include "TextOperations.h"

#include "TextScanning.h"

#include <string>

using TextScanning::CharacterStep;
using TextScanning::IsFinalLeadByte;

namespace {

// Bytes of the blank that starts at `position`, or 0 when the character there is no blank.
size_t BlankWidth(std::string_view text, size_t position) {
    if (text[position] == ' ')
        return 1;
    bool fullWidth = static_cast<unsigned char>(text[position]) == 0xA1 &&
                     position + 1 < text.size() &&
                     static_cast<unsigned char>(text[position + 1]) == 0xA1;
    return fullWidth ? 2 : 0;
}

} // namespace

Text TrimBothEnds(const Text& text) {
    std::string_view whole = text.View();
    size_t begin = 0;
    while (begin < whole.size()) {
        size_t width = BlankWidth(whole, begin);
        if (width == 0)
            break;
        begin += width;
    }
    // Walk the rest, remembering where the current run of blanks began. A lead byte that ends
    // the text is a truncated character: the text is cut just before it, and blanks in front
    // of it stay.
    size_t end = whole.size();
    size_t runStart = std::string_view::npos;
    for (size_t position = begin; position < whole.size();) {
        if (IsFinalLeadByte(whole, position)) {
            end = position;
            runStart = std::string_view::npos;
            break;
        }
        size_t width = BlankWidth(whole, position);
        if (width == 0) {
            runStart = std::string_view::npos;
            position += CharacterStep(whole, position);
        } else {
            if (runStart == std::string_view::npos)
                runStart = position;
            position += width;
        }
    }
    if (runStart != std::string_view::npos)
        end = runStart;
    return Text(whole.substr(begin, end - begin));
}

Text RemoveAllSpaces(const Text& text) {
    std::string_view whole = text.View();
    std::string kept;
    kept.reserve(whole.size());
    for (size_t position = 0; position < whole.size();) {
        if (IsFinalLeadByte(whole, position))
            break;
        size_t width = BlankWidth(whole, position);
        if (width == 0) {
            width = CharacterStep(whole, position);
            kept.append(whole.substr(position, width));
        }
        position += width;
    }
    return Text(std::move(kept));
}
