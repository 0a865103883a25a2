// The nine controls of the main window and the three operations that read and write them.
// The operations may be called from any thread; each has taken effect when it returns.
#pragma once

#include "values/Text.h"

#include <array>

enum class Control {
    编辑框1,
    按钮1,
    标签_是否压缩,
    标签_压缩类型,
    标签_编码方式,
    标签_原始大小,
    标签_压缩大小,
    标签_压缩率,
    标签_by,
};

inline constexpr std::array kAllControls = {
    Control::编辑框1,       Control::按钮1,         Control::标签_是否压缩,
    Control::标签_压缩类型, Control::标签_编码方式, Control::标签_原始大小,
    Control::标签_压缩大小, Control::标签_压缩率,   Control::标签_by,
};

// The control's name in the window layout, as UTF-8.
const char* ControlName(Control control);

// Replaces the text of a label or of the URL box, or the caption of the button (GBK).
void SetControlText(Control control, const Text& text);
// A disabled control ignores the mouse and the keyboard and is drawn greyed.
void SetControlEnabled(Control control, bool enabled);
// The control's current text in GBK; a character that GBK cannot hold reads as "?".
Text GetControlText(Control control);
