// GBK to wide characters and back, by way of UTF-8 so that every character that GBK cannot
// hold, a pair of surrogates included, becomes one "?".
#include "WideTextWin32.h"

#include "values/Gbk.h"

#include <windows.h>

std::wstring WideFromGbk(const Text& text) {
    std::string utf8 = Utf8FromGbk(text.View());
    if (utf8.empty())
        return std::wstring();
    int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    return wide;
}

Text GbkFromWide(std::wstring_view wide) {
    if (wide.empty())
        return Text();
    int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          length, nullptr, nullptr);
    return GbkFromUtf8(utf8);
}
