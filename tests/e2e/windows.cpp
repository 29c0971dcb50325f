// The end-to-end driver's dialog inspection: the followed program's
// windows, recognised by their controls and captions, and their texts.
#include "driver.h"

#include <algorithm>

// WM_GETTEXT, not GetWindowText: the latter does not read another
// process's edit controls.
std::string WindowText(HWND window)
{
    char text[4096];
    DWORD_PTR cch = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &cch))
        return "";
    return std::string(text, cch < sizeof text ? cch : 0);
}

// UTF-8 text as UTF-16, and back.
std::wstring Wide(const std::string &text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0],
                                    static_cast<int>(wide.size())) - 1);
    return wide;
}

std::string Utf8(const WCHAR *wide)
{
    char text[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// A window's text as UTF-16, as a Unicode program reads it.
std::wstring WindowTextW(HWND window)
{
    WCHAR text[4096];
    DWORD_PTR cch = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &cch))
        return L"";
    return std::wstring(text, cch < 4096 ? cch : 0);
}

std::string ClassOf(HWND window)
{
    char name[256];
    int cch = GetClassNameA(window, name, sizeof name);
    return std::string(name, cch > 0 ? cch : 0);
}

// Enumeration callback: collects every window into the list in lParam.
BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND Child(HWND parent, int id)
{
    for (HWND child : Children(parent))
        if (GetDlgCtrlID(child) == id && GetParent(child) == parent)
            return child;
    return nullptr;
}

std::vector<HWND> TopWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A window of the followed program, or of a program it started (the
// uninstaller removes from a temporary copy of itself).
bool OwnedBySetup(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == g_setup.dwProcessId || (pid != 0 && ParentOf(pid) == g_setup.dwProcessId);
}

// Which of the setup's windows this is, by its controls and caption.
std::string KindOf(HWND window)
{
    if (!IsWindowVisible(window))
        return "";
    std::string cls = ClassOf(window);
    std::string title = WindowText(window);
    if (cls == "QuillarixMain")
        return "app";
    if (!OwnedBySetup(window))
        return "";
    if (cls == "Quillarix")
        return "backdrop";
    if (title.rfind("ERROR ", 0) == 0)
        return "error " + title.substr(6);
    if (cls == "#32770" && title == "Quillarix")
        return "box";
    // A button by its words, its keyboard shortcut's mark aside.
    HWND ok = Child(window, IDOK);
    std::string okText = ok ? WindowText(ok) : "";
    okText.erase(std::remove(okText.begin(), okText.end(), '&'), okText.end());
    if (Child(window, 1002) && okText == "Install")
        return "location";
    if (Child(window, 1001) && okText == "OK")
        return "folder";
    if (okText == "Accept")
        return "licence";
    for (HWND child : Children(window)) {
        if (ClassOf(child) == "SysTreeView32")
            return "browser";
        if (WindowText(child) == "A moment please...")
            return "progress";
    }
    return "";
}

HWND FindKind(const std::string &kind)
{
    for (HWND window : TopWindows())
        if (KindOf(window) == kind)
            return window;
    return nullptr;
}

// Every visible top-level window with its kind, class and title, and
// whether the followed program still runs: what a failure reports.
std::string ScreenContents()
{
    std::string seen;
    for (HWND window : TopWindows()) {
        if (!IsWindowVisible(window))
            continue;
        std::string kind = KindOf(window);
        seen += "\n     " + (kind.empty() ? "-" : kind) + " [" + ClassOf(window) + "] \"" +
                WindowText(window).substr(0, 80) + "\"";
    }
    DWORD code = 0;
    if (g_setup.hProcess && GetExitCodeProcess(g_setup.hProcess, &code))
        seen += code == STILL_ACTIVE ? "\n     (the program runs)"
                                     : "\n     (the program ended with " + std::to_string(code) + ")";
    return seen;
}

// A window the last action should have taken away: destroyed, hidden, or
// disabled because a modal window of its own now runs on top of it.
bool Dismissed(HWND window)
{
    return !IsWindow(window) || !IsWindowVisible(window) || !IsWindowEnabled(window);
}

// The window's thread has handled every message sent before this one: its
// dialog procedure has finished initialising and painting what it was asked to.
bool Responsive(HWND window)
{
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kDeadlineMs, &ignored) != 0;
}

void Describe(HWND window, const std::string &kind)
{
    Note("== %s \"%s\"", kind, WindowText(window));
    for (HWND child : Children(window)) {
        char line[64];
        std::snprintf(line, sizeof line, "   [%d] %s", GetDlgCtrlID(child),
                      IsWindowEnabled(child) ? "" : "(disabled) ");
        Note("%s%s", line, ClassOf(child) + " \"" + WindowText(child) + "\"");
    }
}

// The text of a message box: its longest static text.
std::string MessageText(HWND box)
{
    std::string text;
    for (HWND child : Children(box))
        if (ClassOf(child) == "Static" && WindowText(child).size() > text.size())
            text = WindowText(child);
    return text;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus)
        return info.hwndFocus;
    return window;
}
