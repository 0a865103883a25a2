// The carried image is the built gzip.dll, byte for byte.
#include "gzip/GzipLibraryImage.h"
#include "GzipFixtures.h"

#include <gtest/gtest.h>

TEST(GzipLibraryImage, EqualsTheBuiltLibraryByteForByte) {
    std::string built = FileContent(BUILT_GZIP_DLL_PATH);
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(GzipLibraryImage().Length(), static_cast<int32_t>(built.size()));
    std::string difference;
    EXPECT_TRUE(SameBytes(GzipLibraryImage().View(), built, &difference)) << difference;
}
