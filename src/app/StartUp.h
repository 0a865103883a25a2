// The program's start-up sequence, from process set-up to the end of the message loop.
#pragma once

// Sets up the process, opens the main window and runs the message loop. When the window is
// closed the process ends at once with exit code 0, abandoning a check still under way; a
// window that cannot be opened ends it through the fatal report ("载入启动窗口失败").
[[noreturn]] void RunProgram(int argc, char** argv);
