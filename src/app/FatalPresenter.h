// The box of the fatal report, shown on the main thread whichever thread failed.
#pragma once

// From now on the fatal report also shows a modal box captioned "错误" with the error icon
// and one OK button; the report ends the process when the box is closed. Needs the
// application object.
void InstallFatalPresenter();
