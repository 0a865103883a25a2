// How failing tests print texts and byte strings: bytes outside printable ASCII as \xHH,
// so that CR LF, GBK bytes and NULs show exactly.
#pragma once

#include "values/Bytes.h"
#include "values/Text.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

inline std::string Escaped(std::string_view bytes) {
    std::string shown = "'";
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x20 && value < 0x7F && value != '\\' && value != '\'') {
            shown.push_back(byte);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", value);
            shown += escape;
        }
    }
    return shown + "'";
}

inline void PrintTo(const Text& text, std::ostream* out) {
    *out << Escaped(text.View());
}

inline void PrintTo(const Bytes& bytes, std::ostream* out) {
    *out << bytes.Length() << " bytes " << Escaped(bytes.View());
}
