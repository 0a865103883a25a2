// quandrel.exe started from a scratch directory of its own, and the ways a person at the
// desktop reaches its window: find it, type, click, read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A path of the build as the program under test sees it: under Wine the build's own
// absolute paths are POSIX paths, which drive Z: holds.
std::string HostPath(const std::string& path);

// Text of a window as UTF-8, through WM_GETTEXT (which crosses processes).
std::string WindowText(HWND window);
void TypeText(HWND window, const std::string& utf8);
std::string ClassOf(HWND window);
std::vector<HWND> ChildrenInOrder(HWND window);

class RunningProgram {
public:
    // Copies the program into `directory` and starts it there.
    RunningProgram(const std::string& programPath, const std::string& directory);
    // Closes the window, or ends the process when it does not go.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_process != nullptr; }
    // The first visible top-level window of the process with this caption, waiting for it
    // up to `timeoutMs`; null when none came.
    HWND WaitForWindow(const std::string& captionUtf8, DWORD timeoutMs) const;
    // The exit code, waiting up to `timeoutMs`; STILL_ACTIVE when it has not ended.
    DWORD WaitForExit(DWORD timeoutMs) const;

private:
    HANDLE m_process{nullptr};
    DWORD m_processId{0};
};
