// The box of the fatal report. The report's own thread waits while the main thread shows it.
#include "FatalPresenter.h"

#include "values/FatalError.h"
#include "values/Gbk.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace {

void ShowFatalBox(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(u8"错误"), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void PresentFatalReport(const Text& reportText) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application)
        return;
    // The report's line breaks are CR LF; a label breaks lines at LF alone.
    QString text = QString::fromStdString(Utf8FromGbk(reportText.View()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (QThread::currentThread() == application->thread())
        ShowFatalBox(text);
    else
        QMetaObject::invokeMethod(
            application, [&text] { ShowFatalBox(text); }, Qt::BlockingQueuedConnection);
}

} // namespace

void InstallFatalPresenter() {
    SetFatalPresenter(PresentFatalReport);
}
