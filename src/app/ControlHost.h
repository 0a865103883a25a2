// Where the control operations act: the main window, from its construction to its destruction.
#pragma once

class MainWindow;

void AttachControlHost(MainWindow* window);
// Detaches only the window that is attached, so an older window's end cannot cut off a newer one.
void DetachControlHost(MainWindow* window);
