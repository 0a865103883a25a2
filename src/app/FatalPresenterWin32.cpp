// The box of the fatal report on Win32, shown on the thread that failed: a message box of
// its own, with no owner window, keeps that thread until it is closed.
#include "FatalPresenter.h"

#include "WideTextWin32.h"
#include "values/FatalError.h"
#include "values/Gbk.h"

#include <windows.h>

namespace {

void PresentFatalReport(const Text& reportText) {
    std::wstring text = WideFromGbk(reportText);
    std::wstring caption = WideFromGbk(Gbk(u8"错误"));
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

} // namespace

void InstallFatalPresenter() {
    SetFatalPresenter(PresentFatalReport);
}
