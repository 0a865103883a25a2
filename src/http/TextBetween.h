// TextBetween: the text between a left and a right marker, the general cut that URL
// dissection and header reading share.
#pragma once

#include "values/Text.h"

#include <cstdint>
#include <optional>

// The bytes after the first left marker found from `start` on (from position 1 when omitted
// or 1 or less) up to the first right marker after it; empty when either is missing.
// "#引号" in a marker (the GBK bytes 23 D2 FD BA C5) stands for a double quote, so a
// caller can write markers that hold one.
Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker,
                 std::optional<int32_t> start = std::nullopt,
                 std::optional<bool> ignoreCase = std::nullopt);
