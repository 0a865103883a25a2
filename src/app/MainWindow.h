// The one window of the program: a fixed dialog frame holding the URL box, the check button,
// six result labels and the hint label.
#pragma once

#include "Controls.h"

#include <QWidget>
#include <array>

class QLineEdit;
class QPushButton;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // The outer size of the window, frame and caption included; the centring uses it.
    static constexpr int kFrameWidth = 363;
    static constexpr int kFrameHeight = 158;
    // What a 3-pixel dialog frame and a 22-pixel caption leave of that for the controls.
    static constexpr int kClientWidth = 357;
    static constexpr int kClientHeight = 130;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QWidget* ControlWidget(Control control) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    void PlaceControls();
    void CentreOnScreen();

    QLineEdit* m_编辑框1{nullptr};
    QPushButton* m_按钮1{nullptr};
    std::array<QWidget*, kAllControls.size()> m_controls{};
};
