// The request header lines, as libcurl must be told them so that it sends exactly the
// caller's lines and none of its own beyond Host and Content-Length.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lines of a header text, in order. Lines are separated by CR LF; a bare CR or LF
// separates too, so that no line can smuggle a line break to the server. Empty lines are
// dropped.
std::vector<std::string_view> HeaderLines(std::string_view headerText);

// Whether one of the lines is a header of that name (letter case ignored), the name ending
// at the ":" as libcurl reads it.
bool HasHeader(const std::vector<std::string_view>& lines, std::string_view name);

// The entries of libcurl's header list for these lines: each line as it is, except that a
// line with an empty value becomes "Name;" (libcurl's way to send an empty header; "Name:"
// would remove it) and a line without a ":" is dropped; then a removing "Name:" entry for
// every line libcurl adds on its own (Accept, Content-Type, Expect, Proxy-Connection) that
// the caller's lines do not have.
std::vector<std::string> CurlHeaderEntries(const std::vector<std::string_view>& lines);
