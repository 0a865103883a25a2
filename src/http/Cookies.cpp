// Cookie merging over cookie texts of "name=value" entries separated by ";".
#include "Cookies.h"

#include "DistinctPieces.h"
#include "values/TextOperations.h"
#include "values/Values.h"

namespace {

// A server deletes a cookie by setting this value; such an entry is never sent again.
bool IsDeletionMarker(const Text& entry) {
    return CompareText(TextRight(entry, 8), "=deleted") == 0;
}

} // namespace

Text MergeCookies(Text& cookies, Text& returnedCookies) {
    cookies = RemoveAllSpaces(cookies);
    returnedCookies = RemoveAllSpaces(returnedCookies);

    const TextList submitted = SplitText(cookies, Text(";"));
    TextList merged = SplitText(returnedCookies, Text(";"));

    // The list grows as this runs, so of several caller entries with one name only the
    // first is added, and none when the server set that name.
    for (int32_t index = 1; index <= ListSize(submitted); ++index) {
        const Text& entry = ListItem(submitted, index);
        if (!CookieNameListed(merged, CookieName(entry)))
            ListAppend(merged, entry);
    }

    cookies = Text();
    for (int32_t index = 1; index <= ListSize(merged); ++index) {
        const Text& entry = ListItem(merged, index);
        if (!IsDeletionMarker(entry))
            cookies = ConcatText(std::move(cookies), entry, "; ");
    }
    cookies = TextLeft(cookies, TextLength(cookies) - 2);
    cookies = RemoveDuplicatePieces(cookies, "; ");
    return cookies;
}

Text CookieName(const Text& entry) {
    const int32_t equals = FindText(entry, "=");
    const Text name = equals == -1 ? entry : TextLeft(entry, equals - 1);
    return TrimBothEnds(name);
}

bool CookieNameListed(const TextList& list, const Text& name) {
    for (int32_t index = 1; index <= ListSize(list); ++index) {
        if (CompareText(CookieName(ListItem(list, index)), name) == 0)
            return true;
    }
    return false;
}
