// With no gzip.dll beside this program and none on the library search path, the first
// call of a library function ends the process with the fatal report naming it.
#include "GzipFixtures.h"
#include "gzip/Decompressor.h"
#include "gzip/GunzipBody.h"
#include "values/Files.h"
#include "values/Values.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using testing::HasSubstr;

// The report as it reaches standard error, in UTF-8.
std::string ReportFor(const std::string& function) {
    return std::string(reinterpret_cast<const char*>(
               u8"运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“gzip.dll”中的输出命令“")) +
           function + reinterpret_cast<const char*>(u8"”\r\n");
}

struct FirstCall {
    const char* name;
    const char* function;
    std::function<void()> call;
};

void PrintTo(const FirstCall& row, std::ostream* out) {
    *out << row.name;
}

const FirstCall kFirstCalls[] = {
    {"Init", "InitDecompression", [] { Decompressor::InitDecompression(); }},
    {"Create", "CreateDecompression",
     [] {
         DecompressionContext* context = nullptr;
         Decompressor::CreateDecompression(&context, 3);
     }},
    {"Decompress", "Decompress",
     [] {
         int32_t consumed = 0;
         int32_t produced = 0;
         Decompressor::Decompress(nullptr, nullptr, 0, nullptr, 0, &consumed, &produced);
     }},
    {"Destroy", "DestroyDecompression", [] { Decompressor::DestroyDecompression(nullptr); }},
    {"GunzipBody", "InitDecompression", [] { GunzipBody(Bytes(GzipMember("x"))); }},
    {"GunzipBodyOfAnEmptyBody", "InitDecompression", [] { GunzipBody(Bytes()); }},
    {"GunzippedLength", "InitDecompression", [] { GunzippedLength(Bytes(GzipMember("x"))); }},
};

class MissingLibrary : public testing::TestWithParam<FirstCall> {};

TEST_P(MissingLibrary, FirstCallEndsTheProcessNamingTheFunction) {
    ASSERT_FALSE(FileExists(ConcatText(RunDirectory(), "/gzip.dll")));
    EXPECT_EXIT(GetParam().call(), testing::ExitedWithCode(255),
                HasSubstr(ReportFor(GetParam().function)));
}

INSTANTIATE_TEST_SUITE_P(Calls, MissingLibrary, testing::ValuesIn(kFirstCalls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MissingFunctionMessage, NamesTheLibraryAndTheFunctionInGbk) {
    EXPECT_EQ(Decompressor::MissingFunctionMessage("Decompress").View(),
              "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
              "DLL\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0gzip.dll\xA1\xB1"
              "\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE\xA1\xB0"
              "Decompress\xA1\xB1");
}

} // namespace
