#include "ide/ide_access.h"

#include "ide/ide_text.h"

#include <cstdlib>

IdeContext Ide;

namespace {

HWND WindowFromEnvironment(const char* name) {
    return reinterpret_cast<HWND>(
        static_cast<intptr_t>(ParseEnvironmentNumber(ReadEnvironmentText(name))));
}

std::string WindowClass(HWND window) {
    char name[500];
    int length = GetClassNameA(window, name, sizeof name);
    return LowerClassName(std::string(name, length > 0 ? length : 0));
}

} // namespace

void ReadToolEnvironment() {
    Ide.MainWindow = WindowFromEnvironment("PB_TOOL_MainWindow");
    Ide.CurrentEditor = WindowFromEnvironment("PB_TOOL_Scintilla");
}

BOOL CALLBACK CollectChildWindow(HWND window, LPARAM) {
    Ide.ChildWindows.push_back(window);
    return TRUE;
}

bool DiscoverIdeWindows(HWND mainWindow) {
    Ide.ChildWindows.clear();
    Ide.Editors.clear();
    // A null main window would make EnumChildWindows walk every top-level
    // window on the desktop, and a list box of some other program could
    // become the log list.
    if (!mainWindow) return false;
    EnumChildWindows(mainWindow, CollectChildWindow, 0);
    for (HWND window : Ide.ChildWindows)
        if (WindowClass(window) == "scintilla") Ide.Editors.push_back(window);
    RECT reference;
    if (Ide.Editors.empty() || !GetWindowRect(Ide.Editors.front(), &reference)) return false;
    for (HWND window : Ide.ChildWindows) {
        RECT rect;
        if (!GetWindowRect(window, &rect) || rect.left != reference.left) continue;
        std::string className = WindowClass(window);
        if (className == "systabcontrol32") {
            if (!Ide.TabBar) Ide.TabBar = window;
        } else if (className == "listbox") {
            if (!Ide.LogList) Ide.LogList = window;
        }
    }
    return Ide.TabBar && Ide.LogList;
}

void AddLogLine(HWND listBox, int position, const std::string& text) {
    if (listBox) SendMessageA(listBox, LB_INSERTSTRING, WPARAM(position), LPARAM(text.c_str()));
}

void LogMessage(const std::string& message) {
    ReadToolEnvironment();
    DiscoverIdeWindows(Ide.MainWindow);
    SYSTEMTIME now;
    GetLocalTime(&now);
    AddLogLine(Ide.LogList, -1, FormatLogLine(now.wHour, now.wMinute, now.wSecond, message));
}

void FatalError(const std::string& message) {
    LogMessage(message);
    std::exit(0);
}
