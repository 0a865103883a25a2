#include "Values.h"

#include <cmath>

int32_t CompareText(const Text& left, const Text& right) {
    int comparison = left.View().compare(right.View());
    return comparison < 0 ? -1 : comparison > 0 ? 1 : 0;
}

bool BytesEqual(const Bytes& left, const Bytes& right) {
    return left.View() == right.View();
}

int32_t TruncateToInteger(double value) {
    // 2^63 is the first whole number that a signed 64-bit integer cannot hold.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(std::fabs(value) < kLimit))
        return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)));
}
