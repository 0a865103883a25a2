#include "FatalError.h"

#include "Gbk.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::atomic<FatalPresenter> g_presenter{nullptr};

void WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written <= 0)
            return;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

} // namespace

Text FatalErrorText(int32_t code, const Text& message) {
    Text report = Gbk(u8"运行时出错!");
    report.Append("\r\n\r\n");
    if (code != 0) {
        report.Append(Gbk(u8"错误代码：").View());
        report.Append(std::to_string(code));
        report.Append("\r\n\r\n");
    }
    if (!message.IsEmpty()) {
        report.Append(Gbk(u8"错误信息：").View());
        report.Append(message.View());
        report.Append("\r\n");
    }
    return report;
}

void ReportFatalError(int32_t code, const Text& message) {
    Text report = FatalErrorText(code, message);
    WriteAll(STDERR_FILENO, Utf8FromGbk(report.View()));
    if (FatalPresenter presenter = g_presenter.load())
        presenter(report);
    std::_Exit(-1);
}

void ReportAllocationFailure(int64_t bytes) {
    Text message = Gbk(u8"分配 ");
    message.Append(std::to_string(bytes));
    message.Append(Gbk(u8" 字节内存失败!").View());
    ReportFatalError(0, message);
}

void SetFatalPresenter(FatalPresenter presenter) {
    g_presenter.store(presenter);
}
