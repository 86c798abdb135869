// Running a tool the way the IDE does: its entry from
// %APPDATA%\PureBasic\Tools.prefs, its argument template filled in, its
// working folder, and the IDE's window handles and file list in its
// environment.
#include <cstdint>
#include <string>

#include "common/environment.h"
#include "prefs/prefs.h"
#include "testing/host_ide/host_ide.h"
#include "testing/host_ide/host_text.h"

namespace {

struct ToolEntry {
    bool Found = false;
    std::string Command;
    std::string Arguments;
    std::string WorkingDir;
    long Flags = 0;
};

constexpr long FlagWaitForTool = 1;

std::string ToolsPrefsPath() {
    return IdePrefsFolder() + "Tools.prefs";
}

void ReadToolEntry(const Prefs& prefs, ToolEntry& tool) {
    tool.Found = true;
    tool.Command = ReadPrefsString(prefs, "Command", "");
    tool.Arguments = ReadPrefsString(prefs, "Arguments", "");
    tool.WorkingDir = ReadPrefsString(prefs, "WorkingDir", "");
    tool.Flags = ReadPrefsLong(prefs, "Flags", 0);
}

std::string ToolGroup(long number) {
    return "Tool_" + std::to_string(number);
}

// The entries are read at each run, as the IDE reads its tool list; the file
// is closed again before the tool starts, so the tool may rewrite it.
ToolEntry FindTool(bool byShortcut, long key) {
    ToolEntry tool;
    Prefs prefs = OpenPrefs(ToolsPrefsPath());
    if (!prefs.IsOpen()) return tool;
    SelectPrefsGroup(prefs, "ToolsInfo");
    long count = ReadPrefsLong(prefs, "ToolCount", 0);
    if (!byShortcut) {
        if (key >= 0 && key < count && SelectPrefsGroup(prefs, ToolGroup(key)))
            ReadToolEntry(prefs, tool);
    } else {
        for (long n = 0; n < count && !tool.Found; n++) {
            if (SelectPrefsGroup(prefs, ToolGroup(n)) &&
                ReadPrefsLong(prefs, "Shortcut", 0) == key &&
                ReadPrefsLong(prefs, "Deactivate", 0) == 0)
                ReadToolEntry(prefs, tool);
        }
    }
    return tool;
}

std::string OwnExecutable() {
    char path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

std::string ToolEnvironment(const std::string& cursor) {
    const Editor* current = CurrentEditor();
    std::vector<std::string> paths;
    for (HWND editor : Host.Editors)
        paths.push_back(EditorOf(editor)->Path);
    HWND visible = current ? Host.Editors[Host.Current] : nullptr;
    std::vector<std::pair<std::string, std::string>> vars = {
        {"PB_TOOL_MainWindow", std::to_string((uintptr_t)Host.Main)},
        {"PB_TOOL_Scintilla", std::to_string((uintptr_t)visible)},
        {"PB_TOOL_FileList", JoinFileList(paths)}};
    if (Host.Today) {
        vars.push_back({"PB_TOOL_IDE", OwnExecutable()});
        vars.push_back({"PB_TOOL_Preferences", Host.Preferences});
        vars.push_back({"PB_TOOL_Cursor", cursor});
    }
    ChangeToolVariables(vars, Host.ToolVariableChanges);
    char* inherited = GetEnvironmentStringsA();
    std::string block = BuildEnvironment(inherited, vars);
    FreeEnvironmentStringsA(inherited);
    return block;
}

long RunTool(const ToolEntry& tool) {
    if (!tool.Found) return ToolNotFound;
    const Editor* current = CurrentEditor();
    std::string file = current ? current->Path : "";
    std::string cursor = current ? CursorText(current->Text, current->Caret) : "";
    std::string commandLine =
        "\"" + tool.Command + "\" " + ExpandToolArguments(tool.Arguments, file, cursor);
    std::string environment = ToolEnvironment(cursor);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, &environment[0],
                        tool.WorkingDir.empty() ? nullptr : tool.WorkingDir.c_str(), &si, &pi))
        return ToolNotFound;
    CloseHandle(pi.hThread);
    long result = (long)pi.dwProcessId;
    if (tool.Flags & FlagWaitForTool) {
        // Today's IDE takes no input while a waited-for tool runs, yet
        // answers the messages the tool sends.
        if (Host.Today) EnableWindow(Host.Main, FALSE);
        DWORD exitCode = 0;
        if (WaitPumpingMessages(pi.hProcess, ToolWaitMs) &&
            GetExitCodeProcess(pi.hProcess, &exitCode)) {
            result = (long)exitCode;
        } else {
            // A tool that hangs must not outlive the test that started it.
            TerminateProcess(pi.hProcess, 1);
            result = ToolTimedOut;
        }
        if (Host.Today) EnableWindow(Host.Main, TRUE);
    }
    CloseHandle(pi.hProcess);
    return result;
}

} // namespace

// The tool talks to the host's windows while it runs, so the host keeps
// handling messages while it waits.
bool WaitPumpingMessages(HANDLE process, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    DWORD handles = process ? 1 : 0;
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        // MWMO_INPUTAVAILABLE: also wake for messages that arrived before
        // this call, or a tool's message could wait unseen until the time-out.
        DWORD r = MsgWaitForMultipleObjectsEx(handles, &process, timeoutMs - elapsed, QS_ALLINPUT,
                                              MWMO_INPUTAVAILABLE);
        if (handles && r == WAIT_OBJECT_0) return true;
        if (r == WAIT_TIMEOUT) continue;
        if (r != WAIT_OBJECT_0 + handles) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage((int)msg.wParam); // leave it for the main loop
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

long RunToolByShortcut(long shortcut) {
    return shortcut ? RunTool(FindTool(true, shortcut)) : ToolNotFound;
}

long RunToolByNumber(long number) {
    return RunTool(FindTool(false, number));
}
