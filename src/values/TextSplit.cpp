// SplitText: cuts a text into pieces at an exactly matched delimiter, in character steps.
#include "TextOperations.h"

#include "TextScanning.h"

#include <algorithm>
#include <limits>
#include <vector>

using TextScanning::CharacterStep;
using TextScanning::SubtextMatcher;

TextList SplitText(const Text& text, const std::optional<Text>& delimiter,
                   std::optional<int32_t> maxCount) {
    std::string_view whole = text.View();
    size_t limit = !maxCount ? std::numeric_limits<size_t>::max()
                             : static_cast<size_t>(std::max(*maxCount, int32_t{0}));
    std::vector<Text> pieces;
    if (whole.empty() || limit == 0)
        return TextList(std::move(pieces));
    std::string_view separator = delimiter ? delimiter->View() : std::string_view(",");
    if (separator.empty()) {
        pieces.emplace_back(whole);
        return TextList(std::move(pieces));
    }

    SubtextMatcher matcher(separator, false);
    size_t pieceStart = 0;
    size_t position = 0;
    while (matcher.FitsAt(whole, position)) {
        if (!matcher.MatchesAt(whole, position)) {
            position += CharacterStep(whole, position);
            continue;
        }
        pieces.emplace_back(whole.substr(pieceStart, position - pieceStart));
        if (pieces.size() == limit)
            return TextList(std::move(pieces));
        position += matcher.Length();
        pieceStart = position;
    }
    // A text that ends with the delimiter gives no empty last piece; a final lead byte stays
    // inside the last piece.
    if (pieceStart < whole.size())
        pieces.emplace_back(whole.substr(pieceStart));
    return TextList(std::move(pieces));
}
