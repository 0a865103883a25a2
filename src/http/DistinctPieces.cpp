// Duplicate removal over the pieces of a separated text.
#include "DistinctPieces.h"

#include "values/TextOperations.h"
#include "values/Values.h"

Text RemoveDuplicatePieces(const Text& text, const Text& separator) {
    const TextList pieces = SplitText(text, separator);
    TextList seen;
    Text result;
    for (int32_t index = 1; index <= ListSize(pieces); ++index) {
        const Text& piece = ListItem(pieces, index);
        if (IndexOfText(seen, piece) == -1) {
            ListAppend(seen, piece);
            result = ConcatText(std::move(result), piece, separator);
        }
    }
    return TextLeft(result, TextLength(result) - TextLength(separator));
}

int32_t IndexOfText(const TextList& list, const Text& text) {
    for (int32_t index = 1; index <= ListSize(list); ++index) {
        if (CompareText(ListItem(list, index), text) == 0)
            return index;
    }
    return -1;
}
