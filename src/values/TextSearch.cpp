// FindText and FindTextReverse: searches in character steps that report 1-based positions.
#include "TextOperations.h"

#include "TextScanning.h"

using TextScanning::CharacterStep;
using TextScanning::SubtextMatcher;

int32_t FindText(const Text& text, const Text& sub, std::optional<int32_t> start, bool ignoreCase) {
    std::string_view whole = text.View();
    size_t windowStart = start && *start > 1 ? static_cast<size_t>(*start) - 1 : 0;
    if (windowStart >= whole.size())
        return -1;
    // An empty sub is found at the first position of the whole text, wherever the window starts.
    if (sub.IsEmpty())
        return 1;
    SubtextMatcher matcher(sub.View(), ignoreCase);
    for (size_t position = windowStart; matcher.FitsAt(whole, position);
         position += CharacterStep(whole, position)) {
        if (matcher.MatchesAt(whole, position))
            return static_cast<int32_t>(position + 1);
    }
    return -1;
}

int32_t FindTextReverse(const Text& text, const Text& sub, std::optional<int32_t> start,
                        bool ignoreCase) {
    std::string_view whole = text.View();
    // The window is the part of the text before `start`: a match must end before it.
    std::string_view window = whole;
    if (start)
        window =
            *start <= 1 ? std::string_view() : whole.substr(0, static_cast<size_t>(*start) - 1);
    if (window.empty())
        return -1;
    if (sub.IsEmpty())
        return 1;
    // The steps run from the first byte of the whole text, so the window only bounds the
    // matches; walking forward and keeping the last match lets overlapping matches count.
    SubtextMatcher matcher(sub.View(), ignoreCase);
    int32_t lastMatch = -1;
    for (size_t position = 0; matcher.FitsAt(window, position);
         position += CharacterStep(window, position)) {
        if (matcher.MatchesAt(window, position))
            lastMatch = static_cast<int32_t>(position + 1);
    }
    return lastMatch;
}
