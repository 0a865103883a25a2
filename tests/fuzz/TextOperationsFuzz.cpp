// Fuzz target: the scanning text operations against a naive re-statement of each, written
// for plainness rather than speed: every character start, every match, every piece.
// The input is options, a start and a count, then text, sub and replacement split at NUL.
#include "values/TextOperations.h"
#include "values/Values.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool IsLead(unsigned char byte) {
    return byte >= 0x80;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
}

// Case folds only one-byte letters: both bytes of a two-byte character of the text, the
// second one included, compare exactly.
bool MatchesAt(const std::string& text, size_t at, const std::string& sub, bool ignoreCase) {
    if (text.size() - at < sub.size())
        return false;
    bool trail = false;
    for (size_t k = 0; k < sub.size(); ++k) {
        const char a = text[at + k];
        const char b = sub[k];
        const bool fold = ignoreCase && !trail;
        if (fold ? Lower(a) != Lower(b) : a != b)
            return false;
        trail = !trail && IsLead(a);
    }
    return true;
}

// Every character start from `from` on: a lead byte with a byte after it is two bytes.
std::vector<size_t> CharacterStarts(const std::string& text, size_t from) {
    std::vector<size_t> starts;
    for (size_t at = from; at < text.size();) {
        starts.push_back(at);
        at += IsLead(text[at]) && at + 1 < text.size() ? 2 : 1;
    }
    return starts;
}

int32_t ModelFind(const std::string& text, const std::string& sub, std::optional<int32_t> start,
                  bool ignoreCase) {
    const size_t from = !start || *start <= 1 ? 0 : static_cast<size_t>(*start) - 1;
    if (from >= text.size())
        return -1;
    if (sub.empty())
        return 1;
    for (size_t at : CharacterStarts(text, from)) {
        if (MatchesAt(text, at, sub, ignoreCase))
            return static_cast<int32_t>(at + 1);
    }
    return -1;
}

int32_t ModelFindReverse(const std::string& text, const std::string& sub,
                         std::optional<int32_t> start, bool ignoreCase) {
    size_t window = text.size();
    if (start)
        window = *start <= 1 ? 0 : std::min<size_t>(static_cast<size_t>(*start) - 1, window);
    if (sub.empty())
        return window > 0 ? 1 : -1;
    int32_t last = -1;
    for (size_t at : CharacterStarts(text, 0)) {
        if (at + sub.size() <= window && MatchesAt(text, at, sub, ignoreCase))
            last = static_cast<int32_t>(at + 1);
    }
    return last;
}

std::string ModelReplace(const std::string& text, const std::string& search,
                         const std::string& replacement, std::optional<int32_t> start,
                         std::optional<int32_t> count, bool caseSensitive) {
    const size_t from = !start || *start <= 1 ? 0 : static_cast<size_t>(*start) - 1;
    const bool unlimited = !count || *count < 0;
    int64_t left = unlimited ? -1 : *count;
    if (text.empty() || search.empty() || from >= text.size() || left == 0)
        return text;
    std::string out = text.substr(0, from);
    size_t at = from;
    while (at < text.size()) {
        if (text.size() - at < search.size())
            return out + text.substr(at);
        if (MatchesAt(text, at, search, !caseSensitive)) {
            out += replacement;
            at += search.size();
            if (!unlimited && --left == 0)
                return out + text.substr(at);
            continue;
        }
        if (IsLead(text[at]) && at + 1 == text.size())
            return out; // a final lead byte without a match is dropped
        const size_t width = IsLead(text[at]) ? 2 : 1;
        out += text.substr(at, width);
        at += width;
    }
    return out;
}

std::vector<std::string> ModelSplit(const std::string& text,
                                    const std::optional<std::string>& delimiter,
                                    std::optional<int32_t> maxCount) {
    const std::string separator = delimiter.value_or(",");
    const bool unlimited = !maxCount;
    const size_t limit = unlimited ? 0 : static_cast<size_t>(std::max(0, *maxCount));
    std::vector<std::string> pieces;
    if (text.empty() || (!unlimited && limit == 0))
        return pieces;
    if (separator.empty())
        return {text};
    size_t pieceStart = 0;
    size_t at = 0;
    while (at < text.size() && text.size() - at >= separator.size()) {
        if (MatchesAt(text, at, separator, false)) {
            pieces.push_back(text.substr(pieceStart, at - pieceStart));
            if (!unlimited && pieces.size() == limit)
                return pieces;
            at += separator.size();
            pieceStart = at;
            continue;
        }
        at += IsLead(text[at]) && at + 1 < text.size() ? 2 : 1;
    }
    if (pieceStart < text.size() && (unlimited || pieces.size() < limit))
        pieces.push_back(text.substr(pieceStart));
    return pieces;
}

// The width of the blank at `at` (space or A1 A1), 0 when there is none.
size_t BlankWidth(const std::string& text, size_t at) {
    if (text[at] == ' ')
        return 1;
    if (text[at] == '\xA1' && at + 1 < text.size() && text[at + 1] == '\xA1')
        return 2;
    return 0;
}

std::string ModelTrim(const std::string& text) {
    size_t first = 0;
    while (first < text.size() && BlankWidth(text, first) > 0)
        first += BlankWidth(text, first);
    std::optional<size_t> runStart;
    for (size_t at = first; at < text.size();) {
        if (IsLead(text[at]) && at + 1 == text.size())
            return text.substr(first, at - first);
        if (size_t width = BlankWidth(text, at)) {
            if (!runStart)
                runStart = at;
            at += width;
            continue;
        }
        runStart.reset();
        at += IsLead(text[at]) ? 2 : 1;
    }
    return text.substr(first, runStart.value_or(text.size()) - first);
}

int32_t ModelToInteger(const std::string& text) {
    std::string ascii;
    for (size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (!IsLead(byte)) {
            ascii += text[at];
            continue;
        }
        if (at + 1 == text.size())
            break;
        const auto next = static_cast<unsigned char>(text[++at]);
        if (byte == 0xA3 && next >= 0xA1 && next <= 0xFE)
            ascii += static_cast<char>(next - 0x80);
        else if (byte == 0xA1 && next == 0xA1)
            ascii += ' ';
        else if (byte == 0xA1 && next == 0xAB)
            ascii += '~';
        else if (byte == 0xA1 && (next == 0xEE || next == 0xEF))
            ascii += '*';
        else
            ascii += {static_cast<char>(byte), static_cast<char>(next)};
    }
    size_t at = 0;
    while (at < ascii.size() &&
           std::string_view(" \t\n\v\f\r").find(ascii[at]) != std::string_view::npos)
        ++at;
    bool negative = false;
    if (at < ascii.size() && (ascii[at] == '+' || ascii[at] == '-'))
        negative = ascii[at++] == '-';
    uint32_t value = 0;
    for (; at < ascii.size() && ascii[at] >= '0' && ascii[at] <= '9'; ++at)
        value = value * 10 + static_cast<uint32_t>(ascii[at] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

std::vector<std::string> ElementsOf(const TextList& list) {
    std::vector<std::string> pieces;
    for (int32_t index = 1; index <= ListSize(list); ++index)
        pieces.emplace_back(ListItem(list, index).View());
    return pieces;
}

// A start or count from one byte: small values around the edges, absent, and the extremes.
std::optional<int32_t> OptionalFrom(unsigned char byte) {
    if (byte == 0xFF)
        return std::nullopt;
    if (byte == 0xFE)
        return INT32_MAX;
    if (byte == 0xFD)
        return INT32_MIN;
    return static_cast<int32_t>(byte % 64) - 8;
}

std::string_view NextPart(std::string_view& rest) {
    const size_t end = rest.find('\0');
    std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The models are quadratic; long inputs teach nothing new.
    if (size < 3 || size > 2048)
        return 0;
    const unsigned char options = data[0];
    const std::optional<int32_t> start = OptionalFrom(data[1]);
    const std::optional<int32_t> count = OptionalFrom(data[2]);
    std::string_view rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    const std::string text(NextPart(rest));
    const std::string sub(NextPart(rest));
    const std::string replacement(NextPart(rest));
    const bool ignoreCase = (options & 1) != 0;
    const Text textValue(text);
    const Text subValue(sub);

    Require(FindText(textValue, subValue, start, ignoreCase) ==
            ModelFind(text, sub, start, ignoreCase));
    Require(FindTextReverse(textValue, subValue, start, ignoreCase) ==
            ModelFindReverse(text, sub, start, ignoreCase));

    const bool withReplacement = (options & 2) != 0;
    const Text replaced =
        ReplaceSubtext(textValue, subValue,
                       withReplacement ? std::optional<Text>(Text(replacement)) : std::nullopt,
                       start, count, (options & 4) != 0);
    Require(replaced.View() == ModelReplace(text, sub, withReplacement ? replacement : "", start,
                                            count, (options & 4) != 0));

    const bool withDelimiter = (options & 8) != 0;
    const std::optional<int32_t> maxCount = (options & 16) != 0 ? count : std::nullopt;
    const TextList pieces = SplitText(
        textValue, withDelimiter ? std::optional<Text>(subValue) : std::nullopt, maxCount);
    Require(
        ElementsOf(pieces) ==
        ModelSplit(text, withDelimiter ? std::optional<std::string>(sub) : std::nullopt, maxCount));

    Require(TrimBothEnds(textValue).View() == ModelTrim(text));
    Require(TextToInteger(textValue) == ModelToInteger(text));
    return 0;
}
