// The created event of the main window: the URL box starts with a page worth checking.
#include "MainWindowCreated.h"

#include "Controls.h"
#include "values/Gbk.h"

Text DefaultAddress() {
    return Gbk(u8"http://www.163.com/");
}

void OnMainWindowCreated() {
    SetControlText(Control::编辑框1, DefaultAddress());
}
