// The fatal report: the one way the program ends on an error it cannot go on from.
#pragma once

#include "Text.h"

#include <cstdint>

// The whole text of the report box: "运行时出错!", then the code and the message lines.
Text FatalErrorText(int32_t code, const Text& message);

// Shows the report (standard error always, and the installed presenter when there is one),
// then ends the process at once with exit code -1, abandoning every other thread and
// running no global destructor.
[[noreturn]] void ReportFatalError(int32_t code, const Text& message);

// "分配 %d 字节内存失败!" with the number of bytes asked for.
[[noreturn]] void ReportAllocationFailure(int64_t bytes);

// The window layer installs a presenter that shows the box and returns when it is closed.
// It may be called from any thread.
using FatalPresenter = void (*)(const Text& reportText);
void SetFatalPresenter(FatalPresenter presenter);
