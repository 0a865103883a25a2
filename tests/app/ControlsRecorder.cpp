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

const char* ControlName(Control control) {
    switch (control) {
    case Control::编辑框1:
        return "编辑框1";
    case Control::按钮1:
        return "按钮1";
    case Control::标签_是否压缩:
        return "标签_是否压缩";
    case Control::标签_压缩类型:
        return "标签_压缩类型";
    case Control::标签_编码方式:
        return "标签_编码方式";
    case Control::标签_原始大小:
        return "标签_原始大小";
    case Control::标签_压缩大小:
        return "标签_压缩大小";
    case Control::标签_压缩率:
        return "标签_压缩率";
    case Control::标签_by:
        return "标签_by";
    }
    return "?";
}

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
