// Conversions between the system's GBK texts and UTF-8, for literals and the window boundary.
#pragma once

#include "Text.h"

#include <string>
#include <string_view>

// A UTF-8 literal as a GBK Text. Characters that GBK cannot hold become "?".
Text Gbk(std::u8string_view utf8);
Text GbkFromUtf8(std::string_view utf8);
// A GBK text as UTF-8. Bytes that are not GBK become U+FFFD.
std::string Utf8FromGbk(std::string_view gbk);
