// The program from start to end, run in child processes of this test: the window shown
// centred with the default address in place, no window system, the fatal box from either
// thread, and the window closed while a worker waits on a control operation.
#include "app/StartUp.h"
#include "app/Controls.h"
#include "app/MainWindowCreated.h"
#include "values/FatalError.h"
#include "values/Gbk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <string_view>
#include <thread>

namespace child {

// A child runs the real start-up; once the window is first shown it does what its mode says.
enum class Mode { Observe, FatalOnMainThread, FatalOnWorkerThread, CloseWhileWorkerWaits };

Mode g_mode = Mode::Observe;

void Print(const QString& key, const QString& value) {
    std::fputs(QStringLiteral("%1=%2\n").arg(key, value).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString Escaped(QString text) {
    return text.replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}

[[noreturn]] void ReportListIndexAboveSize() {
    ReportFatalError(1, Gbk(u8"数组成员引用下标超出定义范围"));
}

// Describes the fatal box as soon as it is up, then presses its OK button.
void WatchForTheFatalBox() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            Print(QStringLiteral("box-title"), box->windowTitle());
            Print(QStringLiteral("box-icon"), QString::number(int(box->icon())));
            Print(QStringLiteral("box-buttons"), QString::number(int(box->standardButtons())));
            Print(QStringLiteral("box-modal"), QString::number(box->isModal()));
            Print(QStringLiteral("box-text"), Escaped(box->text()));
            box->button(QMessageBox::Ok)->click();
            return;
        }
    });
    timer->start(20);
}

void Observe(QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect screen = window->screen()->geometry();
    Print(QStringLiteral("frame-position"), QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y()));
    Print(QStringLiteral("client-size"),
          QStringLiteral("%1x%2").arg(window->width()).arg(window->height()));
    Print(QStringLiteral("screen"),
          QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()));
    Print(QStringLiteral("cwd"), QDir::currentPath());
    window->close();
}

// Closes the window while a worker keeps writing to it. Once the message loop has ended a
// call cannot take effect, so it must never return: the process ends under it.
void CloseWhileWorkerWaits() {
    static std::atomic<bool> loopEnded{false};
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { loopEnded = true; });
    std::thread([] {
        QMetaObject::invokeMethod(
            qApp, [] { QApplication::closeAllWindows(); }, Qt::QueuedConnection);
        for (long calls = 1;; ++calls) {
            const bool endedBefore = loopEnded;
            SetControlText(Control::标签_by, Gbk(u8"检测..."));
            if (endedBefore)
                Print(QStringLiteral("call-returned-after-the-loop-ended"), QString::number(calls));
        }
    }).detach();
}

void AfterFirstShow(QWidget* window) {
    switch (g_mode) {
    case Mode::Observe:
        Observe(window);
        break;
    case Mode::FatalOnMainThread:
        WatchForTheFatalBox();
        ReportListIndexAboveSize();
    case Mode::FatalOnWorkerThread:
        WatchForTheFatalBox();
        std::thread(ReportListIndexAboveSize).detach();
        break;
    case Mode::CloseWhileWorkerWaits:
        CloseWhileWorkerWaits();
        break;
    }
}

class FirstShowWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(object);
        if (m_seen || event->type() != QEvent::Show || !window || !window->isWindow() ||
            window->windowTitle() != QStringLiteral("Quandrel"))
            return false;
        m_seen = true;
        auto* edit = window->findChild<QLineEdit*>(QString::fromUtf8(u8"编辑框1"));
        Print(QStringLiteral("text-at-show"), edit ? edit->text() : QStringLiteral("<none>"));
        QTimer::singleShot(0, window, [window] { AfterFirstShow(window); });
        return false;
    }

private:
    bool m_seen = false;
};

void WatchTheFirstShow() {
    qApp->installEventFilter(new FirstShowWatch(qApp));
}

[[noreturn]] void Run(std::string_view mode, int argc, char** argv) {
    if (mode != "--child-run-program") {
        g_mode = mode == "--child-fatal-main"                 ? Mode::FatalOnMainThread
                 : mode == "--child-fatal-worker"             ? Mode::FatalOnWorkerThread
                 : mode == "--child-close-while-worker-waits" ? Mode::CloseWhileWorkerWaits
                                                              : Mode::Observe;
        qAddPreRoutine(WatchTheFirstShow);
    }
    RunProgram(argc, argv);
}

} // namespace child

namespace {

struct ChildResult {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QString Value(const QString& key) const {
        const QString prefix = key + QLatin1Char('=');
        for (const QString& line : QString::fromUtf8(out).split(QLatin1Char('\n')))
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        return QStringLiteral("<missing>");
    }
};

QString Describe(const ChildResult& result) {
    return QStringLiteral("finished=%1 status=%2 exit=%3\nstdout:\n%4\nstderr:\n%5")
        .arg(result.finished)
        .arg(int(result.status))
        .arg(result.exitCode)
        .arg(QString::fromUtf8(result.out), QString::fromUtf8(result.err));
}

ChildResult RunChild(const QString& mode, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments({mode});
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QDir::tempPath());
    process.start();
    ChildResult result;
    result.finished = process.waitForStarted(10000) && process.waitForFinished(30000);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.status = process.exitStatus();
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QProcessEnvironment OffscreenEnvironment(const QString& platform = QStringLiteral("offscreen")) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    return environment;
}

QByteArray Utf8(const char8_t* text) {
    return QByteArray(reinterpret_cast<const char*>(text));
}

} // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void windowFirstShowsCentredWithTheDefaultAddress_data() {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<QPoint>("framePosition");
        QTest::newRow("800 x 600") << 800 << 600 << QPoint(218, 221);
        QTest::newRow("1920 x 1080") << 1920 << 1080 << QPoint(778, 461);
        QTest::newRow("1366 x 768, odd remainder") << 1366 << 768 << QPoint(501, 305);
        QTest::newRow("1025 x 769, both odd") << 1025 << 769 << QPoint(331, 305);
        QTest::newRow("screen smaller than the window") << 320 << 120 << QPoint(-21, -19);
    }
    void windowFirstShowsCentredWithTheDefaultAddress() {
        QFETCH(int, screenWidth);
        QFETCH(int, screenHeight);
        QFETCH(QPoint, framePosition);
        QTemporaryDir directory;
        QVERIFY(directory.isValid());
        const QString configPath = directory.filePath(QStringLiteral("screens.json"));
        QFile config(configPath);
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0,
            "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                         .arg(screenWidth)
                         .arg(screenHeight)
                         .toUtf8());
        config.close();

        const ChildResult result =
            RunChild(QStringLiteral("--child-observe"),
                     OffscreenEnvironment(QStringLiteral("offscreen:configfile=") + configPath));
        QVERIFY2(result.finished && result.status == QProcess::NormalExit,
                 qPrintable(Describe(result)));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.Value(QStringLiteral("screen")),
                 QStringLiteral("%1x%2").arg(screenWidth).arg(screenHeight));
        QCOMPARE(result.Value(QStringLiteral("text-at-show")),
                 QString::fromStdString(Utf8FromGbk(DefaultAddress().View())));
        QVERIFY(result.Value(QStringLiteral("text-at-show")).startsWith(QStringLiteral("http://")));
        QCOMPARE(result.Value(QStringLiteral("frame-position")),
                 QStringLiteral("%1,%2").arg(framePosition.x()).arg(framePosition.y()));
        QCOMPARE(result.Value(QStringLiteral("client-size")), QStringLiteral("357x130"));
        // The child started in the temporary directory; start-up moves it to its own.
        QCOMPARE(QDir(result.Value(QStringLiteral("cwd"))).canonicalPath(),
                 QDir(QCoreApplication::applicationDirPath()).canonicalPath());
    }

    void withoutAWindowSystemTheFatalReportEndsTheProgram_data() {
        QTest::addColumn<QString>("platform"); // empty: not set
        QTest::addColumn<QString>("display");  // empty: not set
        QTest::newRow("no platform, no display") << QString() << QString();
        QTest::newRow("X11 without a display") << QStringLiteral("xcb") << QString();
        QTest::newRow("a display that nobody serves") << QString() << QStringLiteral(":97");
        QTest::newRow("X11 on a display that nobody serves")
            << QStringLiteral("xcb") << QStringLiteral(":97");
        QTest::newRow("an unknown platform") << QStringLiteral("nosuchplatform") << QString();
    }
    void withoutAWindowSystemTheFatalReportEndsTheProgram() {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY",
                                 "XDG_SESSION_TYPE", "QT_QPA_PLATFORMTHEME"})
            environment.remove(QString::fromLatin1(name));
        if (!platform.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        const ChildResult result = RunChild(QStringLiteral("--child-run-program"), environment);
        QVERIFY2(result.finished && result.status == QProcess::NormalExit,
                 qPrintable(Describe(result)));
        QCOMPARE(result.exitCode, 255);
        QVERIFY2(result.err.contains(Utf8(u8"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n")),
                 qPrintable(Describe(result)));
        QVERIFY(!result.err.contains(Utf8(u8"错误代码：")));
    }

    void fatalReportShowsItsBoxAndEndsTheProgram_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("from the main thread") << QStringLiteral("--child-fatal-main");
        QTest::newRow("from a worker thread") << QStringLiteral("--child-fatal-worker");
    }
    void fatalReportShowsItsBoxAndEndsTheProgram() {
        QFETCH(QString, mode);
        const ChildResult result = RunChild(mode, OffscreenEnvironment());
        QVERIFY2(result.finished && result.status == QProcess::NormalExit,
                 qPrintable(Describe(result)));
        QCOMPARE(result.exitCode, 255);
        QCOMPARE(result.Value(QStringLiteral("box-title")), QString::fromUtf8(u8"错误"));
        QCOMPARE(result.Value(QStringLiteral("box-icon")),
                 QString::number(int(QMessageBox::Critical)));
        QCOMPARE(result.Value(QStringLiteral("box-buttons")),
                 QString::number(int(QMessageBox::Ok)));
        QCOMPARE(result.Value(QStringLiteral("box-modal")), QStringLiteral("1"));
        QCOMPARE(result.Value(QStringLiteral("box-text")),
                 QString::fromUtf8(u8"运行时出错!\\n\\n错误代码：1\\n\\n"
                                   u8"错误信息：数组成员引用下标超出定义范围\\n"));
        QVERIFY(result.err.contains(
            Utf8(u8"错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n")));
    }

    void closingTheWindowWhileAWorkerWaitsEndsTheProgramAtOnce() {
        const ChildResult result =
            RunChild(QStringLiteral("--child-close-while-worker-waits"), OffscreenEnvironment());
        QVERIFY2(result.finished && result.status == QProcess::NormalExit,
                 qPrintable(Describe(result)));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.Value(QStringLiteral("text-at-show")),
                 QString::fromStdString(Utf8FromGbk(DefaultAddress().View())));
        QCOMPARE(result.Value(QStringLiteral("call-returned-after-the-loop-ended")),
                 QStringLiteral("<missing>"));
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]).starts_with("--child-"))
        child::Run(argv[1], argc, argv);
    QCoreApplication application(argc, argv);
    StartUpTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StartUpTest.moc"
