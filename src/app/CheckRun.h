// The check run: a click on 按钮1 calls OnCheckButtonClicked on the main thread.
#pragma once

void OnCheckButtonClicked();
