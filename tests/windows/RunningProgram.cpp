// Starting quandrel.exe and reaching its windows from another process.
#include "RunningProgram.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          length, nullptr, nullptr);
    return utf8;
}

constexpr UINT kMessageTimeoutMs = 10000;

struct WindowSearch {
    DWORD processId;
    std::wstring caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window))
        return TRUE;
    wchar_t caption[256] = {};
    ::GetWindowTextW(window, caption, 256);
    if (search->caption != caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

std::string HostPath(const std::string& path) {
    if (path.empty() || path[0] != '/')
        return path;
    std::string windowsPath = "Z:" + path;
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    return windowsPath;
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                               &length))
        return "<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
    text.resize(copied);
    return Utf8(text);
}

void TypeText(HWND window, const std::string& utf8) {
    std::wstring wide = Wide(utf8);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                          SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
}

std::string ClassOf(HWND window) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    return Utf8(name);
}

std::vector<HWND> ChildrenInOrder(HWND window) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

RunningProgram::RunningProgram(const std::string& programPath, const std::string& directory) {
    std::string copy = directory + "\\quandrel.exe";
    if (!::CopyFileA(HostPath(programPath).c_str(), copy.c_str(), FALSE))
        return;
    std::wstring commandLine = L"\"" + Wide(copy) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Started from elsewhere: the program makes its own directory the current one.
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return;
    ::CloseHandle(process.hThread);
    m_process = process.hProcess;
    m_processId = process.dwProcessId;
}

RunningProgram::~RunningProgram() {
    if (!m_process)
        return;
    if (HWND window = WaitForWindow("Quandrel", 0))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(m_process, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(m_process, 1);
        ::WaitForSingleObject(m_process, 10000);
    }
    ::CloseHandle(m_process);
}

HWND RunningProgram::WaitForWindow(const std::string& captionUtf8, DWORD timeoutMs) const {
    WindowSearch search{m_processId, Wide(captionUtf8), nullptr};
    DWORD start = ::GetTickCount();
    for (;;) {
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || ::GetTickCount() - start >= timeoutMs)
            return search.found;
        ::Sleep(50);
    }
}

DWORD RunningProgram::WaitForExit(DWORD timeoutMs) const {
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(m_process, &code);
    return code;
}
