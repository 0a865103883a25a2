// The created event of the main window.
#pragma once

#include "values/Text.h"

// The address that the URL box holds when the window is first shown: a portal's home page.
Text DefaultAddress();

// Runs on the main thread after the window and its controls exist and before the window is
// first shown: puts the default address into 编辑框1.
void OnMainWindowCreated();
