// Stands in for the real check run, so that a test sees whether a click reached it.
#include "CheckButtonClicks.h"

#include "app/CheckRun.h"

namespace {
int g_clicks = 0; // touched on the main thread only
} // namespace

void OnCheckButtonClicked() {
    ++g_clicks;
}

int CheckButtonClicks() {
    return g_clicks;
}

void ResetCheckButtonClicks() {
    g_clicks = 0;
}
