// The whole check on the real window: a click on 按钮1, a real worker thread, a real fetch
// from a loopback server or nginx, and the labels read back from the widgets.
#include "WindowProbe.h"
#include "app/CheckRun.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "support/GzipForTests.h"
#include "support/LoopbackServer.h"
#include "support/Nginx.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>

using namespace std::chrono_literals;

namespace {

std::string HtmlPage(size_t size) {
    std::string page = "<html><body>\n";
    for (int row = 0; page.size() < size; ++row)
        page += "<tr><td>row " + std::to_string(row) + "</td><td>" +
                std::to_string(row * 7919 % 10007) + "</td></tr>\n";
    page.resize(size);
    return page;
}

// Integer arithmetic, away from the double path that the program takes.
QString Percentage(qint64 compressedSize, qint64 originalSize) {
    return QString::number(compressedSize * 100 / originalSize) + QLatin1Char('%');
}

} // namespace

class CheckRunWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_window = std::make_unique<MainWindow>(); }
    void cleanup() {
        // A check still running keeps writing to the window: let it end first.
        QTRY_VERIFY_WITH_TIMEOUT(CheckButton(*m_window)->isEnabled(), 60000);
        m_window.reset();
    }

    void aGzipPageFromNginxAgreesWithZlib() {
        Nginx nginx({.gzip = true});
        QVERIFY2(nginx.Running(), nginx.Log().c_str());
        const std::string page = HtmlPage(300000);
        nginx.WriteFile("page.html", page);
        // nginx compresses with its own settings: measure the bytes it sends with curl.
        QProcess curl;
        curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-H"),
                                            QStringLiteral("Accept-Encoding: gzip"),
                                            QString::fromStdString(nginx.Url("/page.html"))});
        QVERIFY(curl.waitForFinished(30000));
        const QByteArray sent = curl.readAllStandardOutput();
        QVERIFY(sent.startsWith("\x1f\x8b"));

        Check(nginx.Url("/page.html"));

        QCOMPARE(LabelText(*m_window, u8"标签_原始大小"),
                 FromUtf8(u8"原始大小：") + QString::number(page.size()));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩大小"),
                 FromUtf8(u8"压缩大小：") + QString::number(sent.size()));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩率"),
                 FromUtf8(u8"压缩率（估计值）：") + Percentage(sent.size(), qint64(page.size())));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩类型"), FromUtf8(u8"压缩类型：GZIP"));
        QCOMPARE(LabelText(*m_window, u8"标签_是否压缩"), FromUtf8(u8"是否压缩：是"));
        QCOMPARE(LabelText(*m_window, u8"标签_编码方式"), FromUtf8(u8"编码方式：未知！"));
        QCOMPARE(CheckButton(*m_window)->text(), FromUtf8(u8"检测"));
    }

    void aGbkGzipReplyFromALoopbackServer() {
        const std::string content(10000, 'z');
        LoopbackServer server(loopback::Respond(loopback::Response(
            "200 OK", "Content-Type: text/html; charset=GBK\r\nContent-Encoding: gzip\r\n",
            GzipForTests(content))));

        Check(server.Url("/gbk"));

        QCOMPARE(LabelText(*m_window, u8"标签_编码方式"), FromUtf8(u8"编码方式：GBK"));
        QCOMPARE(LabelText(*m_window, u8"标签_原始大小"), FromUtf8(u8"原始大小：10000"));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩大小"),
                 FromUtf8(u8"压缩大小：") + QString::number(GzipForTests(content).size()));
        QCOMPARE(LabelText(*m_window, u8"标签_是否压缩"), FromUtf8(u8"是否压缩：是"));
        const std::vector<std::string> requests = server.Requests();
        QCOMPARE(requests.size(), size_t(1));
        QVERIFY(requests[0].starts_with("GET /gbk HTTP/1.1\r\n"));
        QVERIFY(requests[0].find("\r\nAccept-Encoding: gzip, deflate\r\n") != std::string::npos);
    }

    void aPlainReplyLeavesTheSizesBare() {
        LoopbackServer server(loopback::Respond(loopback::Response(
            "200 OK", "Content-Type: text/html; charset=utf-8\r\n", "<p>hi</p>")));

        Check(server.Url("/"));

        QCOMPARE(LabelText(*m_window, u8"标签_编码方式"), FromUtf8(u8"编码方式：UTF8"));
        QCOMPARE(LabelText(*m_window, u8"标签_是否压缩"), FromUtf8(u8"是否压缩：未知！"));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩类型"), FromUtf8(u8"压缩类型：未知！"));
        QCOMPARE(LabelText(*m_window, u8"标签_原始大小"), FromUtf8(u8"原始大小："));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩大小"), FromUtf8(u8"压缩大小："));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩率"), FromUtf8(u8"压缩率（估计值）："));
    }

    void aRefusedConnectionReadsUncompressed() {
        int port = 0;
        {
            LoopbackServer closed(loopback::Respond(""));
            port = closed.Port();
        }
        Check("http://127.0.0.1:" + std::to_string(port) + "/");

        QCOMPARE(LabelText(*m_window, u8"标签_编码方式"), FromUtf8(u8"编码方式：未知！"));
        QCOMPARE(LabelText(*m_window, u8"标签_是否压缩"), FromUtf8(u8"是否压缩：否"));
        QCOMPARE(LabelText(*m_window, u8"标签_压缩类型"), FromUtf8(u8"压缩类型：未知！"));
    }

    void aSecondClickWhileCheckingDoesNothing() {
        LoopbackServer server(
            {loopback::Sleep(800ms), loopback::Write(loopback::Response("200 OK", "", "late"))});
        UrlBox(*m_window)->setText(QString::fromStdString(server.Url("/slow")));
        QTest::mouseClick(CheckButton(*m_window), Qt::LeftButton);
        QVERIFY(!CheckButton(*m_window)->isEnabled());
        QCOMPARE(CheckButton(*m_window)->text(), FromUtf8(u8"检测..."));
        QCOMPARE(LabelText(*m_window, u8"标签_是否压缩"), FromUtf8(u8"是否压缩："));
        QTest::mouseClick(CheckButton(*m_window), Qt::LeftButton);
        QTest::keyClick(UrlBox(*m_window), Qt::Key_Return);

        QTRY_VERIFY_WITH_TIMEOUT(CheckButton(*m_window)->isEnabled(), 20000);
        QCOMPARE(server.Requests().size(), size_t(1));
        QCOMPARE(LabelText(*m_window, u8"标签_是否压缩"), FromUtf8(u8"是否压缩：未知！"));
    }

    void closingTheWindowDuringACheckEndsTheProgram() {
        LoopbackServer server({loopback::Hang()});
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child-close-during-check"),
                     QString::fromStdString(server.Url("/hang"))});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(server.Requests().size(), size_t(1));
    }

private:
    // Types the address, clicks the button and waits until the check gives the button back.
    void Check(const std::string& url) {
        UrlBox(*m_window)->setText(QString::fromStdString(url));
        QTest::mouseClick(CheckButton(*m_window), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(CheckButton(*m_window)->isEnabled(), 60000);
    }

    std::unique_ptr<MainWindow> m_window;
};

// The child starts the real program, checks a page that never answers and closes the
// window while the check waits for it.
QString g_childUrl;

void ClickThenCloseOnceShown() {
    QTimer::singleShot(200, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = window->findChild<QLineEdit*>(FromUtf8(u8"编辑框1"));
            auto* button = window->findChild<QAbstractButton*>(FromUtf8(u8"按钮1"));
            if (!box || !button)
                continue;
            box->setText(g_childUrl);
            button->click();
            QTimer::singleShot(500, [] { QApplication::closeAllWindows(); });
        }
    });
}

[[noreturn]] void RunCloseDuringCheck(char** argv) {
    g_childUrl = QString::fromLocal8Bit(argv[2]);
    qAddPreRoutine(ClickThenCloseOnceShown);
    RunProgram(1, argv);
}

int main(int argc, char** argv) {
    if (argc > 2 && std::string_view(argv[1]) == "--child-close-during-check")
        RunCloseDuringCheck(argv);
    QApplication application(argc, argv);
    CheckRunWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CheckRunWindowTest.moc"
