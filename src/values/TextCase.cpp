// ToLowerCase: lower-cases the ASCII letters and leaves every two-byte character alone.
#include "TextOperations.h"

#include "TextScanning.h"

#include <string>

using TextScanning::FoldAsciiCase;
using TextScanning::IsLeadByte;

Text ToLowerCase(const Text& text) {
    std::string lowered(text.View());
    // The second byte of a two-byte character may lie in A to Z and must stay as it is;
    // a final lead byte is simply passed over.
    for (size_t position = 0; position < lowered.size(); ++position) {
        if (IsLeadByte(lowered[position]))
            ++position;
        else
            lowered[position] = FoldAsciiCase(lowered[position]);
    }
    return Text(std::move(lowered));
}
