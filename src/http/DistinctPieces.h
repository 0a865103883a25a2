// Pieces of a text and entries of a list, compared byte for byte.
#pragma once

#include "values/Text.h"
#include "values/TextList.h"

#include <cstdint>

// The text with every piece (between separators) that equals an earlier one left out;
// the pieces that stay keep their order and are joined by the separator again.
Text RemoveDuplicatePieces(const Text& text, const Text& separator);

// The 1-based index of the first entry equal to the text, or -1.
int32_t IndexOfText(const TextList& list, const Text& text);
