// A gzip.dll beside this program that lacks functions: it is preferred to the complete one
// on the library search path, and a function it lacks ends the process at its first call.
#include "gzip/Decompressor.h"
#include "values/Files.h"
#include "values/Values.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PartialLibrary, TheFileBesideTheProgramIsBoundFirst) {
    ASSERT_TRUE(FileExists(ConcatText(RunDirectory(), "/gzip.dll")));
    EXPECT_EQ(Decompressor::InitDecompression(), 42);
    EXPECT_EQ(Decompressor::InitDecompression(), 42);
}

TEST(PartialLibrary, AFunctionItLacksEndsTheProcessAtItsFirstCall) {
    EXPECT_EQ(Decompressor::InitDecompression(), 42);
    std::string report = reinterpret_cast<const char*>(
        u8"错误信息：无法找到指定DLL库文件“gzip.dll”中的输出命令“CreateDecompression”\r\n");
    EXPECT_EXIT(
        {
            DecompressionContext* context = nullptr;
            Decompressor::CreateDecompression(&context, 3);
        },
        testing::ExitedWithCode(255), testing::HasSubstr(report));
}

} // namespace
