// ReplaceSubtext: one forward pass in character steps that copies unchanged runs in bulk.
#include "TextOperations.h"

#include "TextScanning.h"

#include <string>

using TextScanning::CharacterStep;
using TextScanning::IsFinalLeadByte;
using TextScanning::SubtextMatcher;

Text ReplaceSubtext(const Text& text, const Text& search, const std::optional<Text>& replacement,
                    std::optional<int32_t> start, std::optional<int32_t> count,
                    bool caseSensitive) {
    std::string_view whole = text.View();
    size_t scanStart = start && *start > 1 ? static_cast<size_t>(*start) - 1 : 0;
    bool unlimited = !count || *count < 0;
    if (whole.empty() || search.IsEmpty() || scanStart >= whole.size() ||
        (!unlimited && *count == 0))
        return text;

    std::string_view insert = replacement ? replacement->View() : std::string_view();
    int32_t allowed = unlimited ? 0 : *count;
    SubtextMatcher matcher(search.View(), !caseSensitive);
    std::string result;
    result.reserve(whole.size());
    // Bytes from copiedUpTo to the scan position are unchanged and still to be copied.
    size_t copiedUpTo = 0;
    size_t position = scanStart;
    while (matcher.FitsAt(whole, position)) {
        if (matcher.MatchesAt(whole, position)) {
            result.append(whole.substr(copiedUpTo, position - copiedUpTo));
            result.append(insert);
            position += matcher.Length();
            copiedUpTo = position;
            if (!unlimited && --allowed == 0)
                break;
        } else if (IsFinalLeadByte(whole, position)) {
            // A truncated character that the scan reached is left out of the result.
            result.append(whole.substr(copiedUpTo, position - copiedUpTo));
            return Text(std::move(result));
        } else {
            position += CharacterStep(whole, position);
        }
    }
    result.append(whole.substr(copiedUpTo));
    return Text(std::move(result));
}
