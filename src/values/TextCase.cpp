// ToLowerCase: lower-cases the ASCII letters and leaves every two-byte character alone.
#include "TextOperations.h"

#include "TextScanning.h"

#include <string>

Text ToLowerCase(const Text& text) {
    std::string lowered(text.View());
    TextScanning::LowerOneByteCharacters(lowered);
    return Text(std::move(lowered));
}
