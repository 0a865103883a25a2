// The one window of the program on Win32: a fixed dialog frame holding the URL box, the
// check button, six result labels and the hint label.
#pragma once

#include "Controls.h"

#include <windows.h>

#include <functional>

namespace MainWindowWin32 {

// The outer size of the window, frame and caption included; the centring uses it.
constexpr int kFrameWidth = 363;
constexpr int kFrameHeight = 158;

// Creates the window and its controls on the calling thread, which then owns them and must
// run the message loop. Null when the window cannot be created.
HWND Create(HINSTANCE instance);

// The window of a control while the main window exists; null before and after.
HWND ControlWindow(Control control);
// The main window while it exists; null before and after.
HWND Handle();

// Runs the task on the window's thread and returns when it has run: directly on that
// thread, through SendMessage from any other, so one thread's calls keep their order.
// Without a window it does nothing.
void RunOnWindowThread(const std::function<void()>& task);

} // namespace MainWindowWin32
