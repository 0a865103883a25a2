#include "values/Values.h"

#include <gtest/gtest.h>

TEST(ConcatBytes, OfTwoEmptyByteStringsIsAbsent) {
    EXPECT_TRUE(ConcatBytes(Bytes(), Bytes()).IsEmpty());
    EXPECT_EQ(ConcatBytes(Bytes(), Bytes()).Data(), nullptr);
}
