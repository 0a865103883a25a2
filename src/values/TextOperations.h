// The search, cut, split, replace and conversion operations on Text and Bytes.
// None of them changes its inputs or reports an error: positions and counts are clamped.
// Scans step by character: a byte from 0x80 to 0xFF leads a two-byte character, and a
// match may start only where a character starts. Matching that ignores case folds the
// one-byte letters A to Z alone; both bytes of a two-byte character compare exactly.
#pragma once

#include "Bytes.h"
#include "Text.h"
#include "TextList.h"

#include <cstdint>
#include <initializer_list>
#include <optional>

// Position of sub in text from `start` on (the whole text when omitted or 1 or less), or -1.
// An empty sub is found at 1 whenever the searched window is not empty.
int32_t FindText(const Text& text, const Text& sub, std::optional<int32_t> start = std::nullopt,
                 bool ignoreCase = false);
// The last match that lies wholly before `start` (the whole text when omitted), or -1.
int32_t FindTextReverse(const Text& text, const Text& sub,
                        std::optional<int32_t> start = std::nullopt, bool ignoreCase = false);

Text TextLeft(const Text& text, int32_t count);
Text TextRight(const Text& text, int32_t count);
Text TextMid(const Text& text, int32_t start, int32_t count);

// Only A to Z change; both bytes of a two-byte character stay as they are.
Text ToLowerCase(const Text& text);
// Blanks are the ASCII space and the full-width space A1 A1; tab, CR and LF are not.
Text TrimBothEnds(const Text& text);
Text RemoveAllSpaces(const Text& text);

// Replaces up to `count` occurrences (all when omitted or negative) from `start` on.
// An omitted replacement deletes the occurrences.
Text ReplaceSubtext(const Text& text, const Text& search, const std::optional<Text>& replacement,
                    std::optional<int32_t> start, std::optional<int32_t> count, bool caseSensitive);

// Splits at `delimiter` ("," when omitted), keeping at most `maxCount` pieces when given.
TextList SplitText(const Text& text, const std::optional<Text>& delimiter = std::nullopt,
                   std::optional<int32_t> maxCount = std::nullopt);

Bytes TextToBytes(const Text& text);
int32_t BytesLength(const Bytes& data);
Bytes BytesLeft(const Bytes& data, int32_t count);
Bytes BytesMid(const Bytes& data, int32_t start, int32_t count);
Bytes BlankBytes(int32_t count);
Text BlankText(int32_t count);
Text CharFromCode(unsigned char code);

Text NumberToText(int32_t value);
// Full-width forms read as ASCII; 32-bit wrap-around on overflow; 0 without digits.
int32_t TextToInteger(const Text& text);
// Rounds toward minus infinity after a 1e-12 nudge; 0 for NaN, infinities and beyond 64 bits.
int32_t FloorToInteger(double value);
int32_t BitOr(std::initializer_list<int32_t> values);
