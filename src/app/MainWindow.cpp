// The main window: its fixed frame, its nine controls with their texts and colours, and the
// binding of the button to the check run.
#include "MainWindow.h"

#include "CheckRun.h"
#include "ControlHost.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

struct Placement {
    Control control;
    QRect geometry; // in the client area
};

const Placement kPlacements[] = {
    {Control::编辑框1, {8, 8, 232, 24}},          {Control::按钮1, {245, 8, 104, 24}},
    {Control::标签_是否压缩, {8, 35, 88, 24}},    {Control::标签_压缩类型, {101, 35, 120, 24}},
    {Control::标签_编码方式, {228, 35, 120, 24}}, {Control::标签_原始大小, {8, 67, 128, 24}},
    {Control::标签_压缩大小, {144, 67, 128, 24}}, {Control::标签_压缩率, {8, 99, 138, 24}},
    {Control::标签_by, {152, 99, 196, 24}},
};

struct LabelLook {
    Control control;
    const char8_t* text;
    QRgb colour;
};

const LabelLook kLabels[] = {
    {Control::标签_是否压缩, u8"是否压缩：", kRed},
    {Control::标签_压缩类型, u8"压缩类型：", kRed},
    {Control::标签_编码方式, u8"编码方式：", kRed},
    {Control::标签_原始大小, u8"原始大小：", kRed},
    {Control::标签_压缩大小, u8"压缩大小：", kRed},
    {Control::标签_压缩率, u8"压缩率（估计值）：", kRed},
    {Control::标签_by, u8"By：编辑框请填写完整网页链接！", kBlue},
};

// Assistive technology sees the window as a window, not as a plain pane.
QAccessibleInterface* AccessibleMainWindow(const QString& className, QObject* object) {
    if (className != QLatin1String("MainWindow") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

void InstallAccessibleMainWindow() {
    static const bool installed = (QAccessible::installFactory(AccessibleMainWindow), true);
    (void)installed;
}

size_t IndexOf(Control control) {
    return static_cast<size_t>(control);
}

// Only the enabled looks are set, so a disabled control keeps the style's greyed colours.
void SetEnabledColour(QWidget* widget, QPalette::ColorRole role, QRgb colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, role, QColor(colour));
    palette.setColor(QPalette::Inactive, role, QColor(colour));
    widget->setPalette(palette);
}

QLabel* CreateLabel(const LabelLook& look, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(look.text), parent);
    // Written texts are shown as they are, never read as markup, and kept to one line.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFocusPolicy(Qt::NoFocus);
    SetEnabledColour(label, QPalette::WindowText, look.colour);
    return label;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    InstallAccessibleMainWindow();
    setWindowTitle(QStringLiteral("Quandrel"));
    // A fixed dialog frame: caption, system menu, minimise and close, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));

    CreateControls();
    ConnectControls();
    PlaceControls();
    AttachControlHost(this);
}

MainWindow::~MainWindow() {
    DetachControlHost(this);
}

QWidget* MainWindow::ControlWidget(Control control) const {
    return m_controls[IndexOf(control)];
}

// The controls are owned by the window, as Qt's children are.
void MainWindow::CreateControls() {
    m_编辑框1 = new QLineEdit(this);
    m_编辑框1->setAccessibleName(QString::fromUtf8(u8"网页链接"));
    SetEnabledColour(m_编辑框1, QPalette::Text, kBlue);
    SetEnabledColour(m_编辑框1, QPalette::Base, kWhite);
    m_controls[IndexOf(Control::编辑框1)] = m_编辑框1;

    m_按钮1 = new QPushButton(QString::fromUtf8(u8"检测"), this);
    m_按钮1->setDefault(true);
    m_controls[IndexOf(Control::按钮1)] = m_按钮1;

    for (const LabelLook& look : kLabels)
        m_controls[IndexOf(look.control)] = CreateLabel(look, this);

    for (Control control : kAllControls)
        ControlWidget(control)->setObjectName(QString::fromUtf8(ControlName(control)));
    m_编辑框1->setFocus();
}

void MainWindow::ConnectControls() {
    connect(m_按钮1, &QPushButton::clicked, this, [] { OnCheckButtonClicked(); });
    // Enter in the URL box presses the default button; a disabled button ignores it.
    connect(m_编辑框1, &QLineEdit::returnPressed, m_按钮1, &QPushButton::click);
}

void MainWindow::PlaceControls() {
    setFixedSize(kClientWidth, kClientHeight);
    for (const Placement& placement : kPlacements)
        ControlWidget(placement.control)->setGeometry(placement.geometry);
    CentreOnScreen();
}

// A window manager may offer to maximise even a fixed window; the window stays as it is.
void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
}

// Centres the outer frame, whose size is fixed, by integer division; a top-level move
// places the frame.
void MainWindow::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kFrameWidth) / 2,
         area.y() + (area.height() - kFrameHeight) / 2);
}
