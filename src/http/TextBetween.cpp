// The cut between two markers, in the text operations' own position rules.
#include "TextBetween.h"

#include "values/Gbk.h"
#include "values/TextOperations.h"
#include "values/Values.h"

namespace {

const Text& QuoteToken() {
    static const Text token = Gbk(u8"#引号");
    return token;
}

Text WithQuotes(const Text& marker) {
    return ReplaceSubtext(marker, QuoteToken(), Text("\""), std::nullopt, std::nullopt, true);
}

} // namespace

Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker,
                 std::optional<int32_t> start, std::optional<bool> ignoreCase) {
    const Text left = WithQuotes(leftMarker);
    const Text right = WithQuotes(rightMarker);
    const bool folding = ignoreCase.value_or(false);

    int32_t from = FindText(text, left, start.value_or(0), folding);
    if (from != -1)
        from += TextLength(left);
    // Searched even when the left marker is missing (then from position 1): only the
    // missing marker decides the result.
    const int32_t to = FindText(text, right, from, folding);
    if (from == -1 || to == -1)
        return Text();
    return TextMid(text, from, to - from);
}
