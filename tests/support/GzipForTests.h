// gzip through zlib, to make compressed bodies for test servers and to check what arrives.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::string GzipForTests(std::string_view bytes);
// nullopt when the bytes are not one whole gzip member.
std::optional<std::string> GunzipForTests(std::string_view gzip);
