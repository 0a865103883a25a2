// Host, port and path of a URL, cut with the text operations' own position rules.
#include "Url.h"

#include "TextBetween.h"
#include "values/TextOperations.h"
#include "values/Values.h"

namespace {

Text CutBefore(const Text& text, const Text& marker) {
    const int32_t at = FindText(text, marker);
    return at == -1 ? text : TextLeft(text, at - 1);
}

// A query that follows the host without a "/" belongs to the path, as in a browser.
Text WithoutQuery(const Text& text) {
    return CutBefore(text, "?");
}

Text WithoutPort(const Text& host) {
    return CutBefore(host, ":");
}

bool StartsWithHttps(const Text& lowered) {
    return CompareText(TextLeft(lowered, 8), "https://") == 0;
}

// Whether "http://" occurs where it can be the scheme of the URL. Without queryEndsHost
// any occurrence counts, one inside a query included.
bool HoldsHttpScheme(const Text& lowered, bool queryEndsHost) {
    return FindText(queryEndsHost ? WithoutQuery(lowered) : lowered, "http://") != -1;
}

// The host of a lower-cased URL: from its scheme up to the next "/". A URL without
// "http://" reads as an http URL; one that holds it after other text ("x/http://h/")
// takes the host after it.
Text HostAfterScheme(Text s, bool queryEndsHost) {
    if (CompareText(TextRight(s, 1), "/") != 0)
        s = ConcatText(std::move(s), "/");
    Text host;
    if (StartsWithHttps(s)) {
        host = TextBetween(s, "https://", "/");
    } else {
        if (!HoldsHttpScheme(s, queryEndsHost))
            s = ConcatText("http://", s);
        host = TextBetween(s, "http://", "/");
    }
    return queryEndsHost ? WithoutQuery(host) : host;
}

Text LastTwoLabels(const Text& host) {
    const TextList labels = SplitText(host, Text("."));
    const int32_t count = ListSize(labels);
    if (count <= 1)
        return host;
    return ConcatText(ListItem(labels, count - 1), ".", ListItem(labels, count));
}

// The label choice (domainOnly) reads the host as it always has, up to the first "/";
// the host a request goes to also ends at a query or a fragment.
Text PlainHost(const Text& url, bool domainOnly) {
    const Text lowered = ToLowerCase(url);
    if (domainOnly)
        return LastTwoLabels(HostAfterScheme(lowered, false));
    return HostAfterScheme(UrlWithoutFragment(lowered), true);
}

// Keeps the last levels + 2 labels (levels + 1 with domainOnly). Dots are counted from the
// right, and one that ends the host is not a label boundary; a port stays on the last label
// while they are counted.
Text LevelHost(const Text& url, int32_t levels, bool domainOnly) {
    Text s = ToLowerCase(url);
    s = ReplaceSubtext(s, "http://", std::nullopt, std::nullopt, std::nullopt, true);
    s = ReplaceSubtext(s, "https://", std::nullopt, std::nullopt, std::nullopt, true);
    s = CutBefore(s, "/");

    const int32_t length = TextLength(s);
    // Each search looks only before the previous dot; once one fails, all later ones fail
    // too, so the walk may stop there.
    int32_t dot = length;
    for (int32_t step = 0; step < levels && dot != -1; ++step)
        dot = FindTextReverse(s, ".", dot);
    const int32_t lastKept = FindTextReverse(s, ".", dot);
    if (domainOnly)
        return lastKept == -1 ? s : TextRight(s, length - lastKept);
    const int32_t widerKept = FindTextReverse(s, ".", lastKept);
    if (lastKept == -1 || widerKept == -1)
        return s;
    return TextRight(s, length - widerKept);
}

// Where the host begins in a URL without fragment: right after the "://" of the scheme
// that UrlHost reads, or at 1 when it reads the URL as schemeless.
int32_t HostStart(const Text& target) {
    const Text lowered = ToLowerCase(target);
    if (StartsWithHttps(lowered))
        return TextLength("https://") + 1;
    const int32_t scheme = FindText(WithoutQuery(lowered), "http://");
    return scheme == -1 ? 1 : scheme + TextLength("http://");
}

} // namespace

// A fragment is never sent: "#" and what follows belong to neither host nor path.
Text UrlWithoutFragment(const Text& url) {
    return CutBefore(url, "#");
}

Text UrlHost(const Text& url, std::optional<bool> domainOnly, std::optional<bool> keepPort,
             std::optional<int32_t> levels) {
    const bool labelsOnly = domainOnly.value_or(false);
    const Text host = levels ? LevelHost(url, *levels, labelsOnly) : PlainHost(url, labelsOnly);
    return keepPort.value_or(false) ? host : WithoutPort(host);
}

int32_t UrlPort(const Text& url) {
    const Text host = UrlHost(url, std::nullopt, true);
    const int32_t colon = FindTextReverse(host, ":");
    if (colon != -1)
        return TextToInteger(TextRight(host, TextLength(host) - colon));
    return CompareText(ToLowerCase(TextLeft(url, 5)), "https") == 0 ? 443 : 80;
}

Text UrlPath(const Text& url) {
    const Text target = UrlWithoutFragment(url);
    const Text host = UrlHost(url);
    // The host is looked for after the scheme, so a host whose text also occurs in the
    // scheme ("h" in "http://h/x") does not move the path into it.
    const int32_t hostStart = HostStart(target);
    const int32_t hostAt = FindText(target, host, hostStart, true);
    const int32_t from = hostAt == -1 ? hostStart : hostAt;

    const int32_t slash = FindText(target, "/", from, true);
    const int32_t query = FindText(target, "?", from, true);
    const int32_t length = TextLength(target);
    if (query != -1 && (slash == -1 || query < slash))
        return ConcatText("/", TextRight(target, length - query + 1));
    if (slash == -1)
        return "/";
    return TextRight(target, length - slash + 1);
}
