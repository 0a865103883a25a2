// Shared pieces of the FetchUrl tests: the default header lines and readers of the calls
// that the recording fake saw.
#pragma once

#include "../values/ValuePrinters.h"
#include "InetFake.h"
#include "http/FetchUrl.h"

#include <string>

// The header lines FetchUrl adds after a caller's own, for the URL.
inline std::string DefaultLinesAfterAccept(const std::string& url) {
    return "\r\nReferer: " + url +
           "\r\nAccept-Language: zh-cn"
           "\r\nContent-Type: application/x-www-form-urlencoded";
}

inline std::string DefaultHeaderText(const std::string& url) {
    return "Accept: */*" + DefaultLinesAfterAccept(url);
}

// An argument of the only call to the function, by position from 0.
inline std::string ArgumentOf(const std::string& function, size_t index) {
    const InetFake::Call call = InetFake::OnlyCallTo(function);
    return index < call.arguments.size() ? call.arguments[index] : std::string("<missing>");
}

inline std::string SentHeaderText() {
    return ArgumentOf("InetSendRequest", 1);
}

inline std::string SentBody() {
    return ArgumentOf("InetSendRequest", 3);
}

inline std::string RequestFlags() {
    return ArgumentOf("InetOpenRequest", 6);
}
