// The control operations: GBK in and out of the window, and calls from a second thread that
// run on the main thread, keep their order and have taken effect when they return.
#include "WindowProbe.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "values/Gbk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace {

QString ShownText(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return QStringLiteral("<not a control>");
}

void Show(QWidget* widget, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
}

QByteArray BytesOf(const Text& text) {
    return QByteArray(text.View().data(), qsizetype(text.View().size()));
}

// A second thread that the main thread serves until it is done; it is joined even when a
// check fails half-way, and never while it still waits for the main thread.
class Worker {
public:
    explicit Worker(std::function<void()> work)
        : m_thread([this, work = std::move(work)] {
              work();
              m_done = true;
          }) {}
    ~Worker() {
        while (!m_done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        m_thread.join();
    }
    bool Done() const { return m_done; }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace

class ControlOperationsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_window = std::make_unique<MainWindow>(); }
    void cleanup() { m_window.reset(); }

    void setTextShowsGbkAsUnicode_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QByteArray>("gbk");
        QTest::addColumn<QString>("shown");
        struct Case {
            const char* name;
            const char* gbk;
            const char8_t* shown;
        };
        const Case cases[] = {
            {"ASCII", "http://127.0.0.1/", u8"http://127.0.0.1/"},
            {"two-byte characters", "\xD6\xD0\xCE\xC4", u8"中文"},
            {"full-width colon and digits", "\xD4\xAD\xCA\xBC\xB4\xF3\xD0\xA1\xA3\xBA\x31\x32",
             u8"原始大小：12"},
            {"euro sign at 0x80", "\x80", u8"€"},
            {"empty", "", u8""},
            {"truncated lead byte", "a\xD6", u8"a\uFFFD"},
        };
        for (Control control : kAllControls)
            for (const Case& row : cases)
                QTest::addRow("%s, %s", ControlName(control), row.name)
                    << static_cast<int>(control) << QByteArray(row.gbk) << FromUtf8(row.shown);
    }
    void setTextShowsGbkAsUnicode() {
        QFETCH(int, control);
        QFETCH(QByteArray, gbk);
        QFETCH(QString, shown);
        const auto which = static_cast<Control>(control);
        SetControlText(which, Text(std::string_view(gbk.constData(), size_t(gbk.size()))));
        QCOMPARE(ShownText(m_window->ControlWidget(which)), shown);
    }

    void getTextGivesGbk_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("gbk");
        struct Case {
            const char* name;
            QString shown;
            QByteArray gbk;
        };
        const Case cases[] = {
            {"ASCII", QStringLiteral("http://www.example.com/"), "http://www.example.com/"},
            {"two-byte characters", FromUtf8(u8"中a"),
             "\xD6\xD0"
             "a"},
            {"outside GBK: emoji", FromUtf8(u8"a😀b"), "a?b"},
            {"outside GBK: Hangul", FromUtf8(u8"한中"), "?\xD6\xD0"},
            {"lone surrogate", QString(QChar(0xD800)) + QLatin1Char('x'), "?x"},
            {"empty", QString(), ""},
        };
        for (Control control : kAllControls)
            for (const Case& row : cases)
                QTest::addRow("%s, %s", ControlName(control), row.name)
                    << static_cast<int>(control) << row.shown << row.gbk;
    }
    void getTextGivesGbk() {
        QFETCH(int, control);
        QFETCH(QString, shown);
        QFETCH(QByteArray, gbk);
        const auto which = static_cast<Control>(control);
        Show(m_window->ControlWidget(which), shown);
        QCOMPARE(BytesOf(GetControlText(which)), gbk);
    }

    void getTextStopsAtANulCharacter() {
        QLabel* label = qobject_cast<QLabel*>(m_window->ControlWidget(Control::标签_by));
        QVERIFY(label);
        label->setText(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"));
        const Text text = GetControlText(Control::标签_by);
        QCOMPARE(BytesOf(text), QByteArray("ab"));
        QCOMPARE(text.Length(), 2);
    }

    void setThenGetGivesBackTheSameBytes_data() {
        QTest::addColumn<int>("control");
        for (Control control : kAllControls)
            QTest::addRow("%s", ControlName(control)) << static_cast<int>(control);
    }
    void setThenGetGivesBackTheSameBytes() {
        QFETCH(int, control);
        const auto which = static_cast<Control>(control);
        const Text text = Gbk(u8"压缩率（估计值）：29%");
        SetControlText(which, text);
        QCOMPARE(BytesOf(GetControlText(which)), BytesOf(text));
    }

    void setEnabledTurnsTheControlOffAndOn_data() {
        QTest::addColumn<int>("control");
        for (Control control : kAllControls)
            QTest::addRow("%s", ControlName(control)) << static_cast<int>(control);
    }
    void setEnabledTurnsTheControlOffAndOn() {
        QFETCH(int, control);
        const auto which = static_cast<Control>(control);
        QWidget* widget = m_window->ControlWidget(which);
        SetControlEnabled(which, false);
        QVERIFY(!widget->isEnabled());
        SetControlEnabled(which, true);
        QVERIFY(widget->isEnabled());
        for (Control other : kAllControls)
            QVERIFY(m_window->ControlWidget(other)->isEnabled());
    }

    void callsFromAnotherThreadRunOnTheMainThreadInCallOrder() {
        auto* edit = qobject_cast<QLineEdit*>(m_window->ControlWidget(Control::编辑框1));
        QStringList seen;
        std::atomic<int> seenCount{0};
        int offMainThread = 0;
        connect(edit, &QLineEdit::textChanged, this, [&](const QString& text) {
            if (QThread::currentThread() != thread())
                ++offMainThread;
            seen << text;
            ++seenCount;
        });
        constexpr int kCalls = 200;
        std::atomic<int> notYetDone{0};
        {
            Worker worker([&] {
                for (int i = 1; i <= kCalls; ++i) {
                    SetControlText(Control::编辑框1, Text(std::to_string(i)));
                    if (seenCount.load() != i)
                        ++notYetDone;
                }
            });
        }
        QCOMPARE(offMainThread, 0);
        QCOMPARE(notYetDone.load(), 0);
        QStringList expected;
        for (int i = 1; i <= kCalls; ++i)
            expected << QString::number(i);
        QCOMPARE(seen, expected);
    }

    void callFromAnotherThreadWaitsUntilTheMainThreadHasDoneIt() {
        QWidget* label = m_window->ControlWidget(Control::标签_压缩率);
        std::atomic<bool> returned{false};
        Worker worker([&] {
            SetControlText(Control::标签_压缩率, Gbk(u8"压缩率（估计值）：25%"));
            returned = true;
        });
        // The main thread serves no events for a while: the call cannot complete.
        QThread::msleep(300);
        QVERIFY(!returned);
        QCOMPARE(ShownText(label), FromUtf8(u8"压缩率（估计值）："));
        QTRY_VERIFY_WITH_TIMEOUT(returned, 10000);
        QCOMPARE(ShownText(label), FromUtf8(u8"压缩率（估计值）：25%"));
    }

    void getTextFromAnotherThreadReadsWhatTheUserTyped() {
        auto* edit = qobject_cast<QLineEdit*>(m_window->ControlWidget(Control::编辑框1));
        // Chinese arrives as an input method's commit, as a user types it.
        QTest::keyClicks(edit, QStringLiteral("http://"));
        QInputMethodEvent typed;
        typed.setCommitString(FromUtf8(u8"中"));
        QCoreApplication::sendEvent(edit, &typed);
        QTest::keyClicks(edit, QStringLiteral(".example/"));
        QByteArray read;
        {
            Worker worker([&] { read = BytesOf(GetControlText(Control::编辑框1)); });
        }
        QCOMPARE(read, QByteArray("http://\xD6\xD0.example/"));
    }

    void setEnabledFromAnotherThreadHasTakenEffectOnReturn() {
        QWidget* button = m_window->ControlWidget(Control::按钮1);
        std::atomic<int> enabledNow{1};
        class EnabledMirror : public QObject {
        public:
            explicit EnabledMirror(std::atomic<int>& state) : m_state(state) {}
            bool eventFilter(QObject* object, QEvent* event) override {
                if (event->type() == QEvent::EnabledChange)
                    m_state = static_cast<QWidget*>(object)->isEnabled() ? 1 : 0;
                return false;
            }

        private:
            std::atomic<int>& m_state;
        } filter(enabledNow);
        button->installEventFilter(&filter);
        std::atomic<int> afterDisable{-1};
        std::atomic<int> afterEnable{-1};
        {
            Worker worker([&] {
                SetControlEnabled(Control::按钮1, false);
                afterDisable = enabledNow.load();
                SetControlEnabled(Control::按钮1, true);
                afterEnable = enabledNow.load();
            });
        }
        button->removeEventFilter(&filter);
        QCOMPARE(afterDisable.load(), 0);
        QCOMPARE(afterEnable.load(), 1);
    }

    void withoutAWindowTheOperationsDoNothing() {
        m_window.reset();
        SetControlText(Control::标签_by, Gbk(u8"中"));
        SetControlEnabled(Control::按钮1, false);
        QCOMPARE(GetControlText(Control::编辑框1), Text());
        Text read = Gbk(u8"unchanged");
        {
            Worker worker([&] { read = GetControlText(Control::编辑框1); });
        }
        QCOMPARE(read, Text());
    }

    void theNewestWindowStaysTheTargetWhenAnOlderOneEnds() {
        auto newer = std::make_unique<MainWindow>();
        m_window.reset();
        SetControlText(Control::标签_by, Gbk(u8"中"));
        QCOMPARE(ShownText(newer->ControlWidget(Control::标签_by)), FromUtf8(u8"中"));
        QCOMPARE(BytesOf(GetControlText(Control::标签_by)), QByteArray("\xD6\xD0"));
    }

private:
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(ControlOperationsTest)
#include "ControlOperationsTest.moc"
