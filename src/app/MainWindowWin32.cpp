// The main window on Win32: its class, its nine controls in their places and colours, and
// the messages it answers (colours, the button's click, work sent from other threads).
#include "MainWindowWin32.h"

#include "CheckRun.h"
#include "WideTextWin32.h"
#include "values/Gbk.h"

#include <array>
#include <atomic>

namespace MainWindowWin32 {
namespace {

constexpr wchar_t kClassName[] = L"QuandrelMainWindow";
constexpr DWORD kWindowStyle =
    WS_CAPTION | WS_DLGFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Sent to the main window with a task in lParam, to run on the window's thread.
constexpr UINT kRunTaskMessage = WM_APP + 1;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

enum class Kind { Edit, Button, Label };

struct ControlLayout {
    Control control;
    Kind kind;
    int left, top, width, height;
    const char8_t* initialText;
    COLORREF textColour;
};

// In creation order, which is also the tab order and the order of the child windows.
constexpr ControlLayout kLayout[] = {
    {Control::编辑框1, Kind::Edit, 8, 8, 232, 24, u8"", kBlue},
    {Control::按钮1, Kind::Button, 245, 8, 104, 24, u8"检测", 0},
    {Control::标签_是否压缩, Kind::Label, 8, 35, 88, 24, u8"是否压缩：", kRed},
    {Control::标签_压缩类型, Kind::Label, 101, 35, 120, 24, u8"压缩类型：", kRed},
    {Control::标签_编码方式, Kind::Label, 228, 35, 120, 24, u8"编码方式：", kRed},
    {Control::标签_原始大小, Kind::Label, 8, 67, 128, 24, u8"原始大小：", kRed},
    {Control::标签_压缩大小, Kind::Label, 144, 67, 128, 24, u8"压缩大小：", kRed},
    {Control::标签_压缩率, Kind::Label, 8, 99, 138, 24, u8"压缩率（估计值）：", kRed},
    {Control::标签_by, Kind::Label, 152, 99, 196, 24, u8"By：编辑框请填写完整网页链接！", kBlue},
};

// The button's id is IDOK, so that Enter in the URL box presses it through the dialog
// keyboard handling of the message loop.
int ControlId(Control control) {
    return control == Control::按钮1 ? IDOK : 100 + static_cast<int>(control);
}

// Written on the window's thread at creation and destruction, read by any thread.
std::atomic<HWND> g_window{nullptr};
std::array<std::atomic<HWND>, kAllControls.size()> g_controls{};

const ControlLayout* LayoutOfWindow(HWND child) {
    for (const ControlLayout& layout : kLayout)
        if (g_controls[static_cast<size_t>(layout.control)].load() == child)
            return &layout;
    return nullptr;
}

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
    case Kind::Edit:
        return L"EDIT";
    case Kind::Button:
        return L"BUTTON";
    case Kind::Label:
        return L"STATIC";
    }
    return L"STATIC";
}

DWORD StyleOf(Kind kind) {
    switch (kind) {
    case Kind::Edit:
        return WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    case Kind::Button:
        return WS_TABSTOP | BS_DEFPUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
    case Kind::Label:
        // One line, left-aligned, centred vertically, never wrapped; "&" is a plain character.
        return SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX;
    }
    return 0;
}

bool CreateControls(HWND window, HINSTANCE instance) {
    auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlLayout& layout : kLayout) {
        std::wstring text = WideFromGbk(Gbk(layout.initialText));
        HWND child = ::CreateWindowExW(
            layout.kind == Kind::Edit ? WS_EX_CLIENTEDGE : 0, ClassOf(layout.kind), text.c_str(),
            WS_CHILD | WS_VISIBLE | StyleOf(layout.kind), layout.left, layout.top, layout.width,
            layout.height, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(layout.control))), instance,
            nullptr);
        if (!child)
            return false;
        ::SendMessageW(child, WM_SETFONT, font, FALSE);
        g_controls[static_cast<size_t>(layout.control)].store(child);
    }
    return true;
}

void ForgetWindows() {
    g_window.store(nullptr);
    for (auto& control : g_controls)
        control.store(nullptr);
}

// Labels draw their text in their own colour on the button face; the URL box draws blue on
// white.
LRESULT ControlColours(HDC context, HWND child, bool isEdit) {
    const ControlLayout* layout = LayoutOfWindow(child);
    if (!layout)
        return 0;
    ::SetTextColor(context, layout->textColour);
    if (isEdit && layout->kind == Kind::Edit) {
        ::SetBkColor(context, kWhite);
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    ::SetBkColor(context, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (LRESULT brush =
                ControlColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                               message == WM_CTLCOLOREDIT))
            return brush;
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            HWND button = g_controls[static_cast<size_t>(Control::按钮1)].load();
            // Enter reaches here too: only a button that takes clicks starts a check.
            if (button && ::IsWindowEnabled(button))
                OnCheckButtonClicked();
            return 0;
        }
        break;
    case kRunTaskMessage:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    case WM_DESTROY:
        ForgetWindows();
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

HWND Create(HINSTANCE instance) {
    if (!RegisterWindowClass(instance))
        return nullptr;
    // Centred on the screen by integer division; the layout's stored position is not used.
    int left = (::GetSystemMetrics(SM_CXSCREEN) - kFrameWidth) / 2;
    int top = (::GetSystemMetrics(SM_CYSCREEN) - kFrameHeight) / 2;
    HWND window = ::CreateWindowExW(0, kClassName, L"Quandrel", kWindowStyle, left, top,
                                    kFrameWidth, kFrameHeight, nullptr, nullptr, instance, nullptr);
    if (!window)
        return nullptr;
    g_window.store(window);
    if (!CreateControls(window, instance)) {
        ::DestroyWindow(window);
        return nullptr;
    }
    return window;
}

HWND ControlWindow(Control control) {
    return g_controls[static_cast<size_t>(control)].load();
}

HWND Handle() {
    return g_window.load();
}

void RunOnWindowThread(const std::function<void()>& task) {
    HWND window = g_window.load();
    if (!window)
        return;
    if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId())
        task();
    else
        ::SendMessageW(window, kRunTaskMessage, 0, reinterpret_cast<LPARAM>(&task));
}

} // namespace MainWindowWin32
