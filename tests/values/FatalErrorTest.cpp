// The fatal report: its exact GBK text and the way it ends the process.
#include "values/FatalError.h"
#include "FatalExit.h"
#include "ValuePrinters.h"
#include "values/Gbk.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// 运行时出错! in GBK.
const std::string kHeading = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!";
// 错误代码： and 错误信息： in GBK.
const std::string kCodeLabel = "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA";
const std::string kMessageLabel = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";

} // namespace

TEST(FatalErrorText, SpellsTheReportForCodeOneByteForByte) {
    Text message = Gbk(u8"数组成员引用下标超出定义范围");
    std::string expected = kHeading + "\r\n\r\n" + kCodeLabel + "1\r\n\r\n" + kMessageLabel +
                           std::string(message.View()) + "\r\n";
    EXPECT_EQ(FatalErrorText(1, message), Text(expected));
    EXPECT_EQ(
        Utf8FromGbk(FatalErrorText(1, message).View()),
        reinterpret_cast<const char*>(
            u8"运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"));
}

TEST(FatalErrorText, LeavesOutTheCodeLineForCodeZeroAndTheMessageLineWhenEmpty) {
    EXPECT_EQ(FatalErrorText(0, "x"), Text(kHeading + "\r\n\r\n" + kMessageLabel + "x\r\n"));
    EXPECT_EQ(FatalErrorText(4, Text()), Text(kHeading + "\r\n\r\n" + kCodeLabel + "4\r\n\r\n"));
    EXPECT_EQ(FatalErrorText(0, ""), Text(kHeading + "\r\n\r\n"));
    EXPECT_EQ(FatalErrorText(-7, ""), Text(kHeading + "\r\n\r\n" + kCodeLabel + "-7\r\n\r\n"));
}

TEST(ReportFatalErrorDeathTest, WritesTheReportInUtf8AndExitsWithMinusOne) {
    EXPECT_EXIT(ReportFatalError(0, Gbk(u8"载入启动窗口失败")),
                testing::ExitedWithCode(kFatalExitStatus),
                testing::Eq(reinterpret_cast<const char*>(
                    u8"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n")));
}

TEST(ReportAllocationFailureDeathTest, NamesTheNumberOfBytesAskedFor) {
    EXPECT_EXIT(ReportAllocationFailure(123456789012), testing::ExitedWithCode(kFatalExitStatus),
                testing::Eq(reinterpret_cast<const char*>(
                    u8"运行时出错!\r\n\r\n错误信息：分配 123456789012 字节内存失败!\r\n")));
}

namespace {

// Read at run time, so the compiler cannot see the impossible size.
volatile size_t g_impossibleSize = size_t{1} << 62;

} // namespace

TEST(AllocationFailureDeathTest, ANewThatCannotBeServedEndsWithTheAllocationReport) {
    EXPECT_EXIT(
        {
            char* block = new char[g_impossibleSize];
            block[0] = 1;
        },
        testing::ExitedWithCode(kFatalExitStatus),
        // A sanitizer's allocator may warn before the report.
        testing::HasSubstr(reinterpret_cast<const char*>(
            u8"运行时出错!\r\n\r\n错误信息：分配 4611686018427387904 字节内存失败!\r\n")));
}
