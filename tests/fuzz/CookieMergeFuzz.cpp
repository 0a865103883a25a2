// Fuzz target: MergeCookies on any pair of cookie texts (the input split at its first LF),
// checking the merged text's promises: the result equal to the caller's new text and, for
// ASCII input, no deletion markers, no repeated entries and no blanks but the separators.
#include "http/Cookies.h"
#include "values/TextOperations.h"
#include "values/Values.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool IsAscii(std::string_view bytes) {
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

void RequireDistinctEntriesWithoutDeletionMarkers(const Text& merged) {
    const TextList entries = SplitText(merged, Text("; "));
    for (int32_t index = 1; index <= ListSize(entries); ++index) {
        const Text& entry = ListItem(entries, index);
        Require(CompareText(TextRight(entry, 8), Text("=deleted")) != 0);
        for (int32_t earlier = 1; earlier < index; ++earlier)
            Require(CompareText(ListItem(entries, earlier), entry) != 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The merge compares every entry with every other; long inputs teach nothing new.
    if (size > 4096)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\n');
    const std::string_view submitted = input.substr(0, split);
    const std::string_view returned =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    Text cookies(submitted);
    Text returnedCookies(returned);
    const Text result = MergeCookies(cookies, returnedCookies);

    Require(result == cookies);
    // With two-byte characters a ";" or a blank can be the second byte of one, and then the
    // entries do not split back as they were joined; the promises are about ASCII entries.
    if (IsAscii(input)) {
        RequireDistinctEntriesWithoutDeletionMarkers(cookies);
        const Text separatorsJoined =
            ReplaceSubtext(cookies, Text("; "), Text(";"), std::nullopt, std::nullopt, true);
        Require(separatorsJoined.View().find(' ') == std::string_view::npos);
        Require(returnedCookies.View().find(' ') == std::string_view::npos);
    }
    return 0;
}
