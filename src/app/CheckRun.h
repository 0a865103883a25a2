// The check run: a click on 按钮1 calls OnCheckButtonClicked on the main thread, which puts
// the window into its checking state and starts one worker thread that runs RunCheck.
#pragma once

void OnCheckButtonClicked();

// One whole check of the page in the URL box, from reading the box to giving the button
// back; runs on the worker thread.
void RunCheck();
