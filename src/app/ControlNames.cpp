// The names of the controls, as the window layout gives them.
#include "Controls.h"

const char* ControlName(Control control) {
    switch (control) {
    case Control::编辑框1:
        return "编辑框1";
    case Control::按钮1:
        return "按钮1";
    case Control::标签_是否压缩:
        return "标签_是否压缩";
    case Control::标签_压缩类型:
        return "标签_压缩类型";
    case Control::标签_编码方式:
        return "标签_编码方式";
    case Control::标签_原始大小:
        return "标签_原始大小";
    case Control::标签_压缩大小:
        return "标签_压缩大小";
    case Control::标签_压缩率:
        return "标签_压缩率";
    case Control::标签_by:
        return "标签_by";
    }
    return "";
}
