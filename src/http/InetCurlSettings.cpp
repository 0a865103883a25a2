// The one process-wide copy of the layer's settings, guarded for requests on any thread.
#include "InetCurlSettings.h"

#include <mutex>

namespace {

struct SettingsStore {
    std::mutex mutex;
    InetCurlSettings settings;
};

SettingsStore& Store() {
    static SettingsStore store;
    return store;
}

} // namespace

InetCurlSettings CurrentInetCurlSettings() {
    std::lock_guard lock(Store().mutex);
    return Store().settings;
}

void SetInetCurlSettings(const InetCurlSettings& settings) {
    std::lock_guard lock(Store().mutex);
    Store().settings = settings;
}
