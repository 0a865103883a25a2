// Where the control operations act: the main window, from its construction to its destruction.
// A call from another thread needs the window to outlive it; the program never destroys its
// window, the process ends under it.
#pragma once

class MainWindow;

void AttachControlHost(MainWindow* window);
// Detaches only the window that is attached, so an older window's end cannot cut off a newer one.
void DetachControlHost(MainWindow* window);
