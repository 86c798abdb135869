#include "ide/ide_access.h"

#include "common/code_page.h"
#include "common/environment.h"
#include "ide/editor_session.h"
#include "ide/ide_messages.h"
#include "ide/ide_text.h"

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

BOOL CALLBACK CollectChildWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

void AddLogLine(const IdeConnection& ide, const std::string& text) {
    AskWindow(ide.LogList, LB_INSERTSTRING, WPARAM(-1), LPARAM(text.c_str()), LogAsk, ide.EndWatch);
}

void SendLogMessage(const IdeConnection& ide, const std::string& text) {
    COPYDATASTRUCT data = {IdeLogMessage, DWORD(text.size() + 1), const_cast<char*>(text.c_str())};
    AskWindow(ide.MainWindow, WM_COPYDATA, 0, LPARAM(&data), LogAsk, ide.EndWatch);
}

} // namespace

IdeConnection ConnectToIde() {
    IdeConnection ide;
    ide.MainWindow = WindowFromEnvironment("PB_TOOL_MainWindow");
    ide.Editor = WindowFromEnvironment("PB_TOOL_Scintilla");
    // Read in UTF-16, so that no name is lost: today's IDE gives every name
    // whole, and the classic one's code-page names convert exactly.
    ide.FileList = EnvironmentUtf8("PB_TOOL_FileList");
    ide.IdeProgram = EnvironmentUtf8("PB_TOOL_IDE");
    return ide;
}

bool DiscoverIdeWindows(IdeConnection& ide) {
    ide.Discovered = true;
    ide.Editors.clear();
    // A null main window would make EnumChildWindows walk every top-level
    // window on the desktop, and a list box of some other program could
    // become the log list.
    if (!ide.MainWindow || !IsWindow(ide.MainWindow)) return false;
    std::vector<HWND> windows;
    EnumChildWindows(ide.MainWindow, CollectChildWindow, LPARAM(&windows));
    for (HWND window : windows)
        if (WindowClass(window) == "scintilla") ide.Editors.push_back(window);
    RECT reference;
    if (ide.Editors.empty() || !GetWindowRect(ide.Editors.front(), &reference)) return false;
    for (HWND window : windows) {
        RECT rect;
        if (!GetWindowRect(window, &rect) || rect.left != reference.left) continue;
        std::string className = WindowClass(window);
        if (className == "systabcontrol32") {
            if (!ide.TabBar) ide.TabBar = window;
        } else if (className == "listbox") {
            if (!ide.LogList) ide.LogList = window;
        }
    }
    return ide.TabBar && ide.LogList;
}

bool IsTodaysIde(IdeConnection& ide) {
    if (!ide.Discovered) DiscoverIdeWindows(ide);
    // With no source open there is no editor, but today's IDE names itself.
    return !ide.TabBar && (!ide.Editors.empty() ||
                           (!ide.IdeProgram.empty() && ide.MainWindow && IsWindow(ide.MainWindow)));
}

HWND VisibleEditor(IdeConnection& ide) {
    if (!ide.Discovered) DiscoverIdeWindows(ide);
    for (HWND editor : ide.Editors)
        if (IsWindowVisible(editor)) return editor;
    return nullptr;
}

void LogMessage(IdeConnection& ide, LogText text, const std::string& detail) {
    WriteLogLine(ide, LogLine(text, detail));
}

void WriteLogLine(IdeConnection& ide, const std::string& message) {
    if (IsTodaysIde(ide)) {
        SendLogMessage(ide, FormatPluginLine(message));
    } else if (ide.LogList) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        AddLogLine(ide, FormatLogLine(now.wHour, now.wMinute, now.wSecond, message));
    }
}
