// The control operations on Win32: each runs on the window's thread (SendMessage from any
// other thread), so it has taken effect when it returns and one thread's calls keep their
// order. Without a window they do nothing and read an empty text.
#include "Controls.h"
#include "MainWindowWin32.h"
#include "WideTextWin32.h"

#include <string>

void SetControlText(Control control, const Text& text) {
    std::wstring wide = WideFromGbk(text);
    MainWindowWin32::RunOnWindowThread([&] {
        if (HWND window = MainWindowWin32::ControlWindow(control))
            ::SetWindowTextW(window, wide.c_str());
    });
}

void SetControlEnabled(Control control, bool enabled) {
    MainWindowWin32::RunOnWindowThread([&] {
        if (HWND window = MainWindowWin32::ControlWindow(control))
            ::EnableWindow(window, enabled ? TRUE : FALSE);
    });
}

Text GetControlText(Control control) {
    std::wstring wide;
    MainWindowWin32::RunOnWindowThread([&] {
        HWND window = MainWindowWin32::ControlWindow(control);
        if (!window)
            return;
        int length = ::GetWindowTextLengthW(window);
        wide.resize(static_cast<size_t>(length) + 1);
        int copied = ::GetWindowTextW(window, wide.data(), length + 1);
        wide.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    });
    // Like a C string, the text ends at the first NUL.
    return GbkFromWide(std::wstring_view(wide.c_str()));
}
