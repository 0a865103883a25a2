#include "ControlsRecorder.h"

#include "app/Controls.h"
#include "values/Gbk.h"

#include <condition_variable>
#include <mutex>

namespace {

struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> calls;
    std::string urlBoxText;
};

Recorder& TheRecorder() {
    static Recorder recorder;
    return recorder;
}

void Record(std::string call) {
    Recorder& recorder = TheRecorder();
    std::lock_guard lock(recorder.mutex);
    recorder.calls.push_back(std::move(call));
    recorder.changed.notify_all();
}

} // namespace

void SetControlText(Control control, const Text& text) {
    Record(std::string("set ") + ControlName(control) + " " + Utf8FromGbk(text.View()));
}

void SetControlEnabled(Control control, bool enabled) {
    Record(std::string("enable ") + ControlName(control) + (enabled ? " 1" : " 0"));
}

Text GetControlText(Control control) {
    Record(std::string("get ") + ControlName(control));
    Recorder& recorder = TheRecorder();
    std::lock_guard lock(recorder.mutex);
    return control == Control::编辑框1 ? GbkFromUtf8(recorder.urlBoxText) : Text();
}

namespace ControlsRecorder {

void Start(const std::string& urlBoxText) {
    Recorder& recorder = TheRecorder();
    std::lock_guard lock(recorder.mutex);
    recorder.calls.clear();
    recorder.urlBoxText = urlBoxText;
}

void SetUrlBoxText(const std::string& urlBoxText) {
    Recorder& recorder = TheRecorder();
    std::lock_guard lock(recorder.mutex);
    recorder.urlBoxText = urlBoxText;
}

std::vector<std::string> Calls() {
    Recorder& recorder = TheRecorder();
    std::lock_guard lock(recorder.mutex);
    return recorder.calls;
}

std::vector<std::string> Writes() {
    std::vector<std::string> writes;
    for (std::string& call : Calls())
        if (call.rfind("get ", 0) != 0)
            writes.push_back(std::move(call));
    return writes;
}

bool WaitFor(const std::string& call, std::chrono::milliseconds timeout) {
    Recorder& recorder = TheRecorder();
    std::unique_lock lock(recorder.mutex);
    return recorder.changed.wait_for(lock, timeout, [&] {
        for (const std::string& recorded : recorder.calls)
            if (recorded == call)
                return true;
        return false;
    });
}

} // namespace ControlsRecorder
