// A recording stand-in for the window's control operations, for testing the check run
// without a window: every call is logged in order, as a line of UTF-8, from any thread.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace ControlsRecorder {

// Forgets every earlier call; GetControlText of 编辑框1 will read `urlBoxText` (UTF-8).
void Start(const std::string& urlBoxText);
// Changes what the URL box holds from now on.
void SetUrlBoxText(const std::string& urlBoxText);

// "set 标签_编码方式 编码方式：GBK", "enable 按钮1 0", "get 编辑框1".
std::vector<std::string> Calls();
// Only the "set" and "enable" calls.
std::vector<std::string> Writes();

// Waits until a call equal to `call` has been recorded; false when the time runs out.
bool WaitFor(const std::string& call, std::chrono::milliseconds timeout);

} // namespace ControlsRecorder
