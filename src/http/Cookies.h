// Cookie merging: folds the cookies that a server set into the cookie text a caller sent,
// so that the caller's text is ready for its next request.
#pragma once

#include "values/Text.h"
#include "values/TextList.h"

// Replaces cookies by the merged text ("name=value; ..."): the server's entries first, in
// the order they came, then the caller's entries for names the server did not set (the
// first of each name). Entries ending in "=deleted" are dropped, byte-equal repeats
// collapse, and every blank is removed. returnedCookies loses its blanks too.
// Returns a copy of the merged text.
Text MergeCookies(Text& cookies, Text& returnedCookies);

// The text before the entry's first "=" (all of it without one), trimmed of blanks.
Text CookieName(const Text& entry);

// Whether some entry of the list has that name, compared byte for byte.
bool CookieNameListed(const TextList& list, const Text& name);
