// The window's texts cross between the program's GBK and the wide-character calls of Win32,
// so that the window reads the same whatever code page the system itself is set to.
#pragma once

#include "values/Text.h"

#include <string>
#include <string_view>

std::wstring WideFromGbk(const Text& text);
// A character that GBK cannot hold reads as "?".
Text GbkFromWide(std::wstring_view wide);
