// Running a tool the way the IDE does: its entry from
// %APPDATA%\PureBasic\Tools.prefs, its argument template filled in, its
// working folder, and the IDE's window handles and file list in its
// environment.
#include <cstdint>
#include <string>
#include <vector>

#include "common/environment.h"
#include "prefs/prefs.h"
#include "testing/host_ide/host_ide.h"
#include "testing/host_ide/host_text.h"
#include "testing/host_ide/host_wide.h"

namespace {

struct ToolEntry {
    bool Found = false;
    std::string Command;
    std::string Arguments;
    std::string WorkingDir;
    long Flags = 0;
    long Shortcut = 0;
    long Trigger = 0;
    bool Deactivated = false;
};

constexpr long FlagWaitForTool = 1;
constexpr long FlagHidden = 2;

std::string ToolsPrefsPath() {
    return IdePrefsFolder() + "Tools.prefs";
}

// The entries are read at each run, as the IDE reads its tool list; the file
// is closed again before a tool starts, so the tool may rewrite it.
std::vector<ToolEntry> ReadTools() {
    std::vector<ToolEntry> tools;
    Prefs prefs = OpenPrefs(ToolsPrefsPath());
    if (!prefs.IsOpen()) return tools;
    SelectPrefsGroup(prefs, "ToolsInfo");
    long count = ReadPrefsLong(prefs, "ToolCount", 0);
    for (long n = 0; n < count; n++) {
        ToolEntry tool;
        if (SelectPrefsGroup(prefs, "Tool_" + std::to_string(n))) {
            tool.Found = true;
            tool.Command = ReadPrefsString(prefs, "Command", "");
            tool.Arguments = ReadPrefsString(prefs, "Arguments", "");
            tool.WorkingDir = ReadPrefsString(prefs, "WorkingDir", "");
            tool.Flags = ReadPrefsLong(prefs, "Flags", 0);
            tool.Shortcut = ReadPrefsLong(prefs, "Shortcut", 0);
            tool.Trigger = ReadPrefsLong(prefs, "Trigger", 0);
            tool.Deactivated = ReadPrefsLong(prefs, "Deactivate", 0) != 0;
        }
        tools.push_back(tool);
    }
    return tools;
}

// Text as the tool gets it: today's IDE is a Unicode program, so its tools'
// command line and environment are built in UTF-8 and passed on as UTF-16;
// the classic IDE's stay in the code page.
UINT ToolCodePage() {
    return Host.Today ? CP_UTF8 : CP_ACP;
}

std::string ToolText(const std::wstring& wide) {
    return BytesFrom(wide, ToolCodePage());
}

// Settings and a test's changes are in the code page.
std::string FromCodePage(const std::string& bytes) {
    return Host.Today ? BytesFrom(WideFrom(bytes, CP_ACP), CP_UTF8) : bytes;
}

// PB_TOOL_Scintilla is the editor of the tool's source, left out when it
// has none; the rest describes the current source.
std::string ToolEnvironment(HWND source, const std::string& cursor) {
    const Editor* current = CurrentEditor();
    std::vector<std::string> paths;
    for (HWND editor : Host.Editors)
        if (!EditorOf(editor)->Path.empty()) paths.push_back(ToolText(EditorOf(editor)->Path));
    std::vector<std::pair<std::string, std::string>> vars = {
        {"PB_TOOL_MainWindow", std::to_string((uintptr_t)Host.Main)},
        {"PB_TOOL_FileList", JoinFileList(paths)}};
    if (source) vars.push_back({"PB_TOOL_Scintilla", std::to_string((uintptr_t)source)});
    if (Host.Today) {
        wchar_t own[32768];
        DWORD n = GetModuleFileNameW(nullptr, own, 32768);
        vars.push_back({"PB_TOOL_IDE", ToolText(std::wstring(own, n < 32768 ? n : 0))});
        vars.push_back({"PB_TOOL_Preferences", FromCodePage(Host.Preferences)});
        vars.push_back({"PB_TOOL_Cursor", cursor});
        if (current) {
            vars.push_back({"PB_TOOL_Selection",
                            SelectionText(current->Text, current->Anchor, current->Caret, true)});
            vars.push_back({"PB_TOOL_Word", WordAt(current->Text, current->Caret)});
        }
    }
    std::vector<std::string> changes;
    for (const std::string& change : Host.ToolVariableChanges)
        changes.push_back(FromCodePage(change));
    ChangeToolVariables(vars, changes);
    // What the host itself inherited never reaches the tool under these names.
    std::vector<std::string> dropped = {"PB_TOOL_Scintilla"};
    for (const std::string& change : changes)
        if (change.find('=') == std::string::npos) dropped.push_back(change);
    if (!Host.Today) {
        char* inherited = GetEnvironmentStringsA();
        std::string block = BuildEnvironment(inherited, vars, dropped);
        FreeEnvironmentStringsA(inherited);
        return block;
    }
    wchar_t* inherited = GetEnvironmentStringsW();
    const wchar_t* end = inherited;
    while (*end)
        end += wcslen(end) + 1;
    std::string utf8 = BytesFrom(std::wstring(inherited, end - inherited + 1), CP_UTF8);
    FreeEnvironmentStringsW(inherited);
    return BuildEnvironment(utf8.c_str(), vars, dropped);
}

bool StartTool(const ToolEntry& tool, HWND source, PROCESS_INFORMATION& pi) {
    const Editor* current = CurrentEditor();
    std::string file = source ? ToolText(EditorOf(source)->Path) : "";
    std::string cursor = current ? CursorText(current->Text, current->Caret, Host.Today) : "";
    std::string commandLine = "\"" + FromCodePage(tool.Command) + "\" " +
                              ExpandToolArguments(FromCodePage(tool.Arguments), file, cursor);
    std::string environment = ToolEnvironment(source, cursor);
    DWORD showFlags = tool.Flags & FlagHidden ? STARTF_USESHOWWINDOW : 0; // SW_HIDE is 0
    if (!Host.Today) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = showFlags;
        return CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, &environment[0],
                              tool.WorkingDir.empty() ? nullptr : tool.WorkingDir.c_str(), &si,
                              &pi);
    }
    std::wstring wideCommand = WideFrom(commandLine, CP_UTF8);
    std::wstring wideEnvironment = WideFrom(environment, CP_UTF8);
    std::wstring workingDir = WideFrom(tool.WorkingDir, CP_ACP);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = showFlags;
    return CreateProcessW(nullptr, &wideCommand[0], nullptr, nullptr, FALSE,
                          CREATE_UNICODE_ENVIRONMENT, &wideEnvironment[0],
                          workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi);
}

long RunTool(const ToolEntry& tool, HWND source) {
    if (!tool.Found) return ToolNotFound;
    HWND startEditor = CurrentEditorWindow();
    PROCESS_INFORMATION pi = {};
    if (!StartTool(tool, source, pi)) return ToolNotFound;
    CloseHandle(pi.hThread);
    long result = (long)pi.dwProcessId;
    if (!(tool.Flags & FlagWaitForTool) && Host.Today) {
        SetForegroundWindow(Host.Main);
        FocusEditor(startEditor);
    }
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
        if (Host.Today) {
            // The focus goes back to the editor the tool started from, even
            // when another source has become current meanwhile.
            EnableWindow(Host.Main, TRUE);
            SetForegroundWindow(Host.Main);
            FocusEditor(startEditor);
        }
    }
    CloseHandle(pi.hProcess);
    return result;
}

// A menu tool runs for the current source; %FILE saves it first, which runs
// the tools of "source saved" before this one.
long RunMenuTool(const ToolEntry& tool) {
    if (!tool.Found) return ToolNotFound;
    HWND current = CurrentEditorWindow();
    if (current && tool.Arguments.find("%FILE") != std::string::npos)
        SaveSource(current, EditorOf(current)->Path);
    return RunTool(tool, current);
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
    if (!shortcut) return ToolNotFound;
    for (const ToolEntry& tool : ReadTools())
        if (tool.Found && tool.Shortcut == shortcut && !tool.Deactivated) return RunMenuTool(tool);
    return ToolNotFound;
}

long RunToolByNumber(long number) {
    std::vector<ToolEntry> tools = ReadTools();
    return number >= 0 && number < (long)tools.size() ? RunMenuTool(tools[number]) : ToolNotFound;
}

void RunTriggerTools(long trigger, HWND source) {
    for (const ToolEntry& tool : ReadTools())
        if (tool.Found && tool.Trigger == trigger && !tool.Deactivated) RunTool(tool, source);
}
