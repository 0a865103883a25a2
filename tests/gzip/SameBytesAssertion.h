// A GoogleTest assertion for long byte strings: on a difference it reports where and the
// lengths, never the bytes themselves.
#pragma once

#include "GzipFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

inline testing::AssertionResult Same(std::string_view actual, std::string_view expected) {
    std::string difference;
    if (SameBytes(actual, expected, &difference))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << difference;
}
