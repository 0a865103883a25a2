// The start-up sequence: process set-up, the window system, the window and its created event,
// show, message loop, end.
#include "StartUp.h"

#include "FatalPresenter.h"
#include "MainWindow.h"
#include "MainWindowCreated.h"
#include "values/FatalError.h"
#include "values/Files.h"
#include "values/Gbk.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

[[noreturn]] void ReportNoWindow() {
    ReportFatalError(0, Gbk(u8"载入启动窗口失败"));
}

// Qt's default platforms, X11 and Wayland, need a display to connect to. An explicit
// platform may need none (offscreen, VNC, framebuffer); whether it starts shows below.
bool WindowSystemNamed() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Qt reports a platform that cannot start with qFatal, which aborts the process. While the
// window is being opened such a message means that it cannot be, and the fatal report ends
// the process instead. Messages still reach the handler that was installed before.
class FatalQtMessageMeansNoWindow {
public:
    FatalQtMessageMeansNoWindow() { s_previous = qInstallMessageHandler(Handle); }
    ~FatalQtMessageMeansNoWindow() { qInstallMessageHandler(s_previous); }
    FatalQtMessageMeansNoWindow(const FatalQtMessageMeansNoWindow&) = delete;
    FatalQtMessageMeansNoWindow& operator=(const FatalQtMessageMeansNoWindow&) = delete;

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (s_previous)
            s_previous(type, context, text);
        if (type == QtFatalMsg)
            ReportNoWindow();
    }
    static inline QtMessageHandler s_previous = nullptr;
};

// A check still under way may be blocked in a control operation that the ended loop will
// never serve, or be inside a library: the process ends without running global destructors
// under its feet, as the window's close ends every thread.
[[noreturn]] void EndProcess(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace

void RunProgram(int argc, char** argv) {
    InitialiseProcess();
    // The start-up routine has nothing to do: the program keeps no global state.

    // The program has no command line: only its name reaches Qt, so no option of Qt's can
    // change the window. Qt keeps both for the application's lifetime.
    static char fallbackName[] = "quandrel";
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    int qtArgc = 1;

    std::optional<FatalQtMessageMeansNoWindow> noWindowGuard(std::in_place);
    if (!WindowSystemNamed())
        ReportNoWindow();
    QApplication application(qtArgc, qtArgv);
    InstallFatalPresenter();
    MainWindow window;
    noWindowGuard.reset();

    OnMainWindowCreated();
    window.show();
    application.exec();
    EndProcess(0);
}
