// The start-up sequence on Win32: process set-up, the window and its created event, show,
// message loop, end.
#include "StartUp.h"

#include "FatalPresenter.h"
#include "MainWindowCreated.h"
#include "MainWindowWin32.h"
#include "values/FatalError.h"
#include "values/Files.h"
#include "values/Gbk.h"

#include <windows.h>

#include <cstdio>

namespace {

// Tab moves between the URL box and the button, and Enter presses the default button.
void RunMessageLoop(HWND window) {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(window, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

} // namespace

void RunProgram(int, char**) {
    InitialiseProcess();
    InstallFatalPresenter();
    // The start-up routine has nothing to do: the program keeps no global state.

    HWND window = MainWindowWin32::Create(::GetModuleHandleW(nullptr));
    if (!window)
        ReportFatalError(0, Gbk(u8"载入启动窗口失败"));
    OnMainWindowCreated();
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    RunMessageLoop(window);

    // A check still under way is abandoned: ExitProcess ends every other thread first.
    std::fflush(nullptr);
    ::ExitProcess(0);
}
