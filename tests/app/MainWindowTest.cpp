// The main window as the user meets it: frame, controls, texts and colours, keys and clicks,
// and what assistive technology sees.
#include "app/MainWindow.h"
#include "CheckButtonClicks.h"
#include "WindowProbe.h"
#include "app/Controls.h"
#include "app/MainWindowCreated.h"
#include "values/Gbk.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

struct ExpectedControl {
    Control control;
    const char8_t* name;
    QRect geometry;
    const char8_t* text;
};

const ExpectedControl kLayout[] = {
    {Control::编辑框1, u8"编辑框1", {8, 8, 232, 24}, u8""},
    {Control::按钮1, u8"按钮1", {245, 8, 104, 24}, u8"检测"},
    {Control::标签_是否压缩, u8"标签_是否压缩", {8, 35, 88, 24}, u8"是否压缩："},
    {Control::标签_压缩类型, u8"标签_压缩类型", {101, 35, 120, 24}, u8"压缩类型："},
    {Control::标签_编码方式, u8"标签_编码方式", {228, 35, 120, 24}, u8"编码方式："},
    {Control::标签_原始大小, u8"标签_原始大小", {8, 67, 128, 24}, u8"原始大小："},
    {Control::标签_压缩大小, u8"标签_压缩大小", {144, 67, 128, 24}, u8"压缩大小："},
    {Control::标签_压缩率, u8"标签_压缩率", {8, 99, 138, 24}, u8"压缩率（估计值）："},
    {Control::标签_by, u8"标签_by", {152, 99, 196, 24}, u8"By：编辑框请填写完整网页链接！"},
};

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

struct ExpectedLabel {
    const char8_t* name;
    QColor colour;
};

const ExpectedLabel kLabels[] = {
    {u8"标签_是否压缩", kRed}, {u8"标签_压缩类型", kRed}, {u8"标签_编码方式", kRed},
    {u8"标签_原始大小", kRed}, {u8"标签_压缩大小", kRed}, {u8"标签_压缩率", kRed},
    {u8"标签_by", kBlue},
};

QWidget* Find(const MainWindow& window, const QString& name) {
    return window.findChild<QWidget*>(name);
}

QString ShownText(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* button = qobject_cast<const QPushButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return QStringLiteral("<not a control>");
}

// The pixels of a label's rectangle that differ from the window's background.
struct Ink {
    QRect box;           // bounding box of every ink pixel
    int fullColour = 0;  // pixels close to the text colour itself
    int otherColour = 0; // pixels whose hue leans away from the text colour
};

Ink InkOf(const QImage& image, QColor background, QColor textColour) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.rgb() == background.rgb())
                continue;
            ink.box |= QRect(x, y, 1, 1);
            const int distance = std::abs(pixel.red() - textColour.red()) +
                                 std::abs(pixel.green() - textColour.green()) +
                                 std::abs(pixel.blue() - textColour.blue());
            if (distance <= 120)
                ++ink.fullColour;
            // Antialiased text over grey keeps the text's own channel the strongest.
            const int own = textColour == kRed ? pixel.red() : pixel.blue();
            if (std::max({pixel.red(), pixel.green(), pixel.blue()}) > own + 12)
                ++ink.otherColour;
        }
    }
    return ink;
}

// Two lines of the window's font do not fit into a label's 24 pixels; one line's ink is
// well below that.
constexpr int kOneLineInk = 18;

QImage GrabControl(MainWindow& window, const QWidget* control) {
    return window.grab(control->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
}

QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void ShowAndWait(MainWindow& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetCheckButtonClicks(); }

    void controlsSitAtTheirPlacesWithTheirTexts_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        for (const ExpectedControl& row : kLayout)
            QTest::newRow(reinterpret_cast<const char*>(row.name))
                << static_cast<int>(row.control) << FromUtf8(row.name) << row.geometry
                << FromUtf8(row.text);
    }
    void controlsSitAtTheirPlacesWithTheirTexts() {
        QFETCH(int, control);
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        MainWindow window;
        ShowAndWait(window);
        QWidget* widget = Find(window, name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(window.ControlWidget(static_cast<Control>(control)), widget);
        QCOMPARE(widget->parentWidget(), &window);
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(ShownText(widget), text);
        QVERIFY(widget->isVisible());
        QVERIFY(widget->isEnabled());
        // Every control lies wholly inside the client area.
        QVERIFY(window.rect().contains(widget->geometry()));
    }

    void windowHasNineControls() {
        MainWindow window;
        QCOMPARE(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(),
                 qsizetype(std::size(kLayout)));
    }

    void controlsKeepTheirTextColours_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("URL box text") << FromUtf8(u8"编辑框1") << int(QPalette::Text) << kBlue;
        QTest::newRow("URL box ground") << FromUtf8(u8"编辑框1") << int(QPalette::Base) << kWhite;
        for (const ExpectedLabel& row : kLabels)
            QTest::newRow(reinterpret_cast<const char*>(row.name))
                << FromUtf8(row.name) << int(QPalette::WindowText) << row.colour;
        QTest::newRow("button text")
            << FromUtf8(u8"按钮1") << int(QPalette::ButtonText)
            << QApplication::palette().color(QPalette::Active, QPalette::ButtonText);
    }
    void controlsKeepTheirTextColours() {
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QColor, colour);
        MainWindow window;
        ShowAndWait(window);
        QWidget* widget = Find(window, name);
        QVERIFY(widget);
        const auto colourRole = static_cast<QPalette::ColorRole>(role);
        QCOMPARE(widget->palette().color(QPalette::Active, colourRole), colour);
        QCOMPARE(widget->palette().color(QPalette::Inactive, colourRole), colour);
    }

    void labelsDrawOneVerticallyCentredLineInTheirColour_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        for (const ExpectedLabel& row : kLabels)
            QTest::newRow(reinterpret_cast<const char*>(row.name))
                << FromUtf8(row.name) << row.colour;
    }
    void labelsDrawOneVerticallyCentredLineInTheirColour() {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        MainWindow window;
        ShowAndWait(window);
        QWidget* label = Find(window, name);
        QVERIFY(label);
        const Ink ink = InkOf(GrabControl(window, label), ButtonFace(), colour);
        QVERIFY2(ink.fullColour > 0, "no pixel in the text colour");
        QCOMPARE(ink.otherColour, 0);
        // Starts at the left edge, centred in the 24-pixel height, no taller than one line.
        QVERIFY2(ink.box.left() <= 3, qPrintable(QString::number(ink.box.left())));
        const double middle = (ink.box.top() + ink.box.bottom()) / 2.0;
        QVERIFY2(std::abs(middle - 11.5) <= 2.5, qPrintable(QString::number(middle)));
        QVERIFY2(ink.box.height() <= kOneLineInk, qPrintable(QString::number(ink.box.height())));
    }

    void longLabelTextStaysOnOneLineAndIsCut_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        for (const ExpectedLabel& row : kLabels)
            QTest::newRow(reinterpret_cast<const char*>(row.name))
                << FromUtf8(row.name) << row.colour;
    }
    void longLabelTextStaysOnOneLineAndIsCut() {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        MainWindow window;
        ShowAndWait(window);
        auto* label = qobject_cast<QLabel*>(Find(window, name));
        QVERIFY(label);
        const QRect before = label->geometry();
        label->setText(FromUtf8(u8"压缩率（估计值）：原始大小 压缩大小 ").repeated(6));
        QCoreApplication::processEvents();
        QCOMPARE(label->geometry(), before);
        const Ink ink = InkOf(GrabControl(window, label), ButtonFace(), colour);
        QVERIFY2(ink.box.height() <= kOneLineInk, qPrintable(QString::number(ink.box.height())));
        QVERIFY2(ink.box.right() >= before.width() - 4,
                 qPrintable(QString::number(ink.box.right())));
    }

    void labelsAreSingleLinePlainTextWithoutFocus_data() {
        QTest::addColumn<QString>("name");
        for (const ExpectedLabel& row : kLabels)
            QTest::newRow(reinterpret_cast<const char*>(row.name)) << FromUtf8(row.name);
    }
    void labelsAreSingleLinePlainTextWithoutFocus() {
        QFETCH(QString, name);
        MainWindow window;
        auto* label = qobject_cast<QLabel*>(Find(window, name));
        QVERIFY(label);
        QVERIFY(!label->wordWrap());
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->frameShape(), QFrame::NoFrame);
        // Markup in a written text is shown as it stands.
        label->setText(QStringLiteral("<b>x</b>"));
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                 QStringLiteral("<b>x</b>"));
    }

    void urlBoxIsAPlainOneLineInputAndTheButtonTheDefault() {
        MainWindow window;
        auto* edit = qobject_cast<QLineEdit*>(Find(window, FromUtf8(u8"编辑框1")));
        auto* button = qobject_cast<QPushButton*>(Find(window, FromUtf8(u8"按钮1")));
        QVERIFY(edit);
        QVERIFY(button);
        QVERIFY(edit->hasFrame());
        QVERIFY(!edit->isReadOnly());
        QCOMPARE(edit->echoMode(), QLineEdit::Normal);
        QVERIFY(edit->alignment() & Qt::AlignLeft);
        QVERIFY(edit->inputMask().isEmpty());
        QVERIFY(edit->maxLength() >= 30000);
        QVERIFY(edit->focusPolicy() & Qt::TabFocus);
        QVERIFY(button->isDefault());
        QVERIFY(button->focusPolicy() & Qt::TabFocus);
        QVERIFY(button->icon().isNull());
    }

    void windowIsFixedWithCaptionMinimiseAndCloseButNoMaximise() {
        MainWindow window;
        ShowAndWait(window);
        QCOMPARE(window.windowTitle(), QStringLiteral("Quandrel"));
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(flags & Qt::Window);
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(flags & Qt::WindowStaysOnTopHint));
        QVERIFY(!(flags & Qt::FramelessWindowHint));
        QCOMPARE(window.size(), QSize(357, 130));
        QCOMPARE(window.minimumSize(), QSize(357, 130));
        QCOMPARE(window.maximumSize(), QSize(357, 130));
        window.resize(600, 400);
        QCOMPARE(window.size(), QSize(357, 130));
        window.showMaximized();
        QCoreApplication::processEvents();
        QVERIFY(!window.isMaximized());
        QCOMPARE(window.size(), QSize(357, 130));
    }

    void windowIsCentredByItsOuterFrame() {
        MainWindow window;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPoint expected(screen.x() + (screen.width() - 363) / 2,
                              screen.y() + (screen.height() - 158) / 2);
        QCOMPARE(window.pos(), expected);
        ShowAndWait(window);
        QCOMPARE(window.frameGeometry().topLeft(), expected);
    }

    void windowUsesTheGeneralFontOnAButtonFaceGround() {
        MainWindow window;
        ShowAndWait(window);
        const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        QCOMPARE(window.font(), general);
        for (const ExpectedControl& row : kLayout)
            QCOMPARE(Find(window, FromUtf8(row.name))->font(), general);
        // A corner that no control covers shows the ground.
        const QImage image = window.grab().toImage();
        QCOMPARE(image.pixelColor(2, image.height() - 3).rgb(), ButtonFace().rgb());
        QCOMPARE(image.pixelColor(image.width() - 3, image.height() - 3).rgb(), ButtonFace().rgb());
    }

    void clickAndEnterReachTheCheckRunOnlyWhileTheButtonIsEnabled_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("clicks");
        QTest::newRow("mouse click") << QStringLiteral("click") << true << 1;
        QTest::newRow("Enter in the URL box") << QStringLiteral("return") << true << 1;
        QTest::newRow("keypad Enter in the URL box") << QStringLiteral("enter") << true << 1;
        QTest::newRow("Space on the button") << QStringLiteral("space") << true << 1;
        QTest::newRow("typing in the URL box") << QStringLiteral("type") << true << 0;
        QTest::newRow("mouse click, disabled") << QStringLiteral("click") << false << 0;
        QTest::newRow("Enter in the URL box, disabled") << QStringLiteral("return") << false << 0;
        QTest::newRow("Space on the button, disabled") << QStringLiteral("space") << false << 0;
    }
    void clickAndEnterReachTheCheckRunOnlyWhileTheButtonIsEnabled() {
        QFETCH(QString, action);
        QFETCH(bool, enabled);
        QFETCH(int, clicks);
        MainWindow window;
        ShowAndWait(window);
        auto* edit = qobject_cast<QLineEdit*>(Find(window, FromUtf8(u8"编辑框1")));
        auto* button = qobject_cast<QPushButton*>(Find(window, FromUtf8(u8"按钮1")));
        QVERIFY(edit && button);
        SetControlEnabled(Control::按钮1, enabled);
        if (action == "click") {
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (action == "return") {
            QTest::keyClick(edit, Qt::Key_Return);
        } else if (action == "enter") {
            QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        } else if (action == "space") {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        } else {
            QTest::keyClicks(edit, QStringLiteral("abc"));
        }
        QCOMPARE(CheckButtonClicks(), clicks);
    }

    void everyControlIsInTheAccessibleTree_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("URL box") << FromUtf8(u8"编辑框1") << int(QAccessible::EditableText)
                                 << FromUtf8(u8"网页链接");
        QTest::newRow("button") << FromUtf8(u8"按钮1") << int(QAccessible::Button)
                                << FromUtf8(u8"检测");
        for (const ExpectedControl& row : kLayout)
            if (row.control != Control::编辑框1 && row.control != Control::按钮1)
                QTest::newRow(reinterpret_cast<const char*>(row.name))
                    << FromUtf8(row.name) << int(QAccessible::StaticText) << FromUtf8(row.text);
    }
    void everyControlIsInTheAccessibleTree() {
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QString, accessibleName);
        MainWindow window;
        ShowAndWait(window);
        QWidget* widget = Find(window, name);
        QVERIFY(widget);
        QAccessibleInterface* windowNode = QAccessible::queryAccessibleInterface(&window);
        QVERIFY(windowNode);
        QCOMPARE(windowNode->text(QAccessible::Name), QStringLiteral("Quandrel"));
        QCOMPARE(windowNode->role(), QAccessible::Window);
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(node);
        QVERIFY2(windowNode->indexOfChild(node) >= 0, "not a child of the window's node");
        QCOMPARE(node->parent(), windowNode);
        QCOMPARE(int(node->role()), role);
        QCOMPARE(node->text(QAccessible::Name), accessibleName);
        QVERIFY(!node->state().invisible);
    }

    void writtenTextsBecomeTheAccessibleNames_data() {
        QTest::addColumn<int>("control");
        for (const ExpectedControl& row : kLayout)
            if (row.control != Control::编辑框1)
                QTest::newRow(reinterpret_cast<const char*>(row.name))
                    << static_cast<int>(row.control);
    }
    void writtenTextsBecomeTheAccessibleNames() {
        QFETCH(int, control);
        MainWindow window;
        SetControlText(static_cast<Control>(control), Gbk(u8"是否压缩：是"));
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(
            window.ControlWidget(static_cast<Control>(control)));
        QVERIFY(node);
        QCOMPARE(node->text(QAccessible::Name), FromUtf8(u8"是否压缩：是"));
    }

    void createdEventPutsTheDefaultAddressIntoTheUrlBoxOnly() {
        MainWindow window;
        QCOMPARE(GetControlText(Control::编辑框1), Text());
        OnMainWindowCreated();
        const QString address = ShownText(Find(window, FromUtf8(u8"编辑框1")));
        QCOMPARE(address, QString::fromStdString(Utf8FromGbk(DefaultAddress().View())));
        // The home page of a portal: an absolute http address whose path is "/".
        QVERIFY2(address.startsWith(QStringLiteral("http://")), qPrintable(address));
        const QString hostAndPath = address.mid(7);
        QCOMPARE(hostAndPath.indexOf(QLatin1Char('/')), hostAndPath.size() - 1);
        QVERIFY(hostAndPath.size() > 1);
        QVERIFY(!hostAndPath.contains(QLatin1Char(':')));
        for (const ExpectedControl& row : kLayout)
            if (row.control != Control::编辑框1)
                QCOMPARE(ShownText(Find(window, FromUtf8(row.name))), FromUtf8(row.text));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
