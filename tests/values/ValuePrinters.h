// How failing tests print values: every byte outside printable ASCII as \xHH, so that GBK
// bytes, lone lead bytes and NULs show exactly.
#pragma once

#include "values/Bytes.h"
#include "values/Text.h"
#include "values/TextList.h"

#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

inline std::string EscapedBytes(std::string_view bytes) {
    std::string shown = "'";
    for (char byte : bytes) {
        auto value = static_cast<unsigned char>(byte);
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
    *out << EscapedBytes(text.View());
}

inline void PrintTo(const Bytes& bytes, std::ostream* out) {
    *out << bytes.Length() << " bytes " << EscapedBytes(bytes.View());
}

inline void PrintTo(const TextList& list, std::ostream* out) {
    *out << "[";
    const char* separator = "";
    for (const Text& element : list.Elements()) {
        *out << separator << EscapedBytes(element.View());
        separator = ", ";
    }
    *out << "]";
}

inline std::string Shown(const std::optional<int32_t>& value) {
    return value ? std::to_string(*value) : std::string("omitted");
}
