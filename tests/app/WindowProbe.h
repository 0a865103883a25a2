// How the window tests reach the main window's controls: by the names the program gives them,
// reading what a person sees.
#pragma once

#include "app/MainWindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QString>

inline QString FromUtf8(const char8_t* text) {
    return QString::fromUtf8(text);
}

inline QAbstractButton* CheckButton(const MainWindow& window) {
    return qobject_cast<QAbstractButton*>(window.ControlWidget(Control::按钮1));
}

inline QLineEdit* UrlBox(const MainWindow& window) {
    return qobject_cast<QLineEdit*>(window.ControlWidget(Control::编辑框1));
}

inline QString LabelText(const MainWindow& window, const char8_t* name) {
    auto* label = window.findChild<QLabel*>(FromUtf8(name));
    return label ? label->text() : QStringLiteral("<no label>");
}
