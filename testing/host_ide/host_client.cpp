#include "testing/host_ide/host_client.h"

#include <commctrl.h>

#include "common/environment.h"
#include "testing/host_ide/host_wide.h"
#include "testing/test_support.h"

namespace {

constexpr DWORD StartTimeoutMs = 20000;
constexpr DWORD CommandTimeoutMs = 2 * ToolWaitMs;

HWND FindHostWindow(DWORD processId, const char* className) {
    for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExA(nullptr, w, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId) return w;
    }
    return nullptr;
}

long SendCommand(const HostIde& host, HostCommand command, const std::string& text) {
    COPYDATASTRUCT data = {command, (DWORD)text.size() + 1, (void*)text.c_str()};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(host.MainWindow, WM_COPYDATA, 0, (LPARAM)&data, SMTO_NORMAL,
                             CommandTimeoutMs, &result))
        return -1;
    return (long)(LRESULT)result;
}

std::string Decimal(HWND w) {
    return std::to_string((uintptr_t)w);
}

// Today's hosts of the preferences file whose key the window carries.
std::vector<HWND> TodayHostsLike(HWND main) {
    std::vector<HWND> hosts;
    HANDLE key = GetPropA(main, HostKeyProperty);
    for (HWND w = FindWindowExA(nullptr, nullptr, HostTodayClassName, nullptr); key && w;
         w = FindWindowExA(nullptr, w, HostTodayClassName, nullptr))
        if (GetPropA(w, HostKeyProperty) == key) hosts.push_back(w);
    return hosts;
}

void CloseHostWindow(HWND main, HANDLE process) {
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
}

bool ReadVariable(const char* name, std::string& value) {
    char buffer[MAX_PATH * 4];
    SetLastError(0);
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    value.assign(buffer, n < sizeof buffer ? n : 0);
    return n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

void RestoreVariable(const char* name, bool had, const std::string& value) {
    SetEnvironmentVariableA(name, had ? value.c_str() : nullptr);
}

constexpr char FileTypeName[] = "TolvaneHostIde.Source";

bool SetDefaultValue(const std::string& subKey, const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, nullptr, 0, REG_SZ, (const BYTE*)value.c_str(),
                            (DWORD)value.size() + 1);
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

} // namespace

HostFileType::HostFileType(const std::string& extension) : Extension(extension) {
    std::string command = "\"" + SiblingExe("HostIde.exe") + "\" \"%1\"";
    Registered = SetDefaultValue(extension, FileTypeName) &&
                 SetDefaultValue(std::string(FileTypeName) + "\\shell\\open\\command", command);
}

HostFileType::~HostFileType() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, Extension.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, FileTypeName);
}

HostIde::HostIde(const std::string& workingDir, const std::vector<std::string>& files,
                 HostMode mode, const std::string& preferences)
    : Mode(mode), Preferences(preferences) {
    std::string exe = SiblingExe("HostIde.exe");
    std::string commandLine = "\"" + exe + "\"";
    for (const std::string& file : files)
        commandLine += " \"" + file + "\"";
    bool today = mode == HostMode::Today;
    HadMode = ReadVariable(HostModeVariable, SavedMode);
    HadPreferences = ReadVariable(HostPreferencesVariable, SavedPreferences);
    SetEnvironmentVariableA(HostModeVariable, today ? HostModeToday : nullptr);
    SetEnvironmentVariableA(HostPreferencesVariable, today ? preferences.c_str() : nullptr);
    // Under load Wine now and then loses a process while it starts: a host
    // that ended before it showed a window is started once more. One that
    // ended by handing its files to another host does so again.
    for (int attempt = 0; attempt < 2 && !MainWindow; ++attempt) {
        Process = AutoCloseHandle(StartProcess(exe, commandLine, workingDir));
        if (!Process.IsValid()) break;
        ProcessId = GetProcessId(Process.Get());
        WaitForInputIdle(Process.Get(), StartTimeoutMs);
        // The main window is shown only once its children and files are in
        // place.
        for (DWORD start = GetTickCount(); GetTickCount() - start < StartTimeoutMs; Sleep(10)) {
            if (WaitForSingleObject(Process.Get(), 0) == WAIT_OBJECT_0) break;
            HWND main = FindHostWindow(ProcessId, today ? HostTodayClassName : HostClassName);
            if (main && IsWindowVisible(main)) {
                MainWindow = main;
                break;
            }
        }
    }
    if (!today) {
        RestoreVariable(HostModeVariable, HadMode, SavedMode);
        RestoreVariable(HostPreferencesVariable, HadPreferences, SavedPreferences);
    }
    // The IDE takes no input before the tools it waits for at its start end.
    long answer = MainWindow ? SendCommand(*this, CmdPing, "") : -1;
    for (DWORD start = GetTickCount(); answer == 0 && GetTickCount() - start < ToolWaitMs;
         Sleep(10))
        answer = SendCommand(*this, CmdPing, "");
    if (answer != 1) return;
    LogList = FindWindowExA(MainWindow, nullptr, "ListBox", nullptr);
    if (today) {
        FileTabs = FindWindowExA(MainWindow, nullptr, FileTabsClassName, nullptr);
        Ready = FileTabs && LogList && HostEditorCount(*this) == (int)files.size();
        return;
    }
    Panel = FindWindowExA(MainWindow, nullptr, HostPanelClassName, nullptr);
    TabBar = FindWindowExA(Panel, nullptr, WC_TABCONTROLA, nullptr);
    Ready = Panel && TabBar && LogList && HostEditorCount(*this) == (int)files.size();
}

HostIde::~HostIde() {
    if (Mode == HostMode::Today) {
        for (HWND other : MainWindow ? TodayHostsLike(MainWindow) : std::vector<HWND>()) {
            DWORD id = 0;
            GetWindowThreadProcessId(other, &id);
            if (id == ProcessId) continue;
            AutoCloseHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
            if (process.IsValid()) CloseHostWindow(other, process.Get());
        }
        RestoreVariable(HostModeVariable, HadMode, SavedMode);
        RestoreVariable(HostPreferencesVariable, HadPreferences, SavedPreferences);
    }
    if (Process.IsValid()) CloseHostWindow(MainWindow, Process.Get());
}

int HostOpenFile(const HostIde& host, const std::string& path) {
    return (int)SendCommand(host, CmdOpenFile, path);
}

int HostSelectTab(const HostIde& host, int index) {
    return (int)SendCommand(host, CmdSelectTab, std::to_string(index));
}

long HostSetCaret(const HostIde& host, long line, long column) {
    return SendCommand(host, CmdSetCaret, std::to_string(line) + "," + std::to_string(column));
}

long HostRunToolByShortcut(const HostIde& host, long shortcut) {
    return SendCommand(host, CmdRunToolByShortcut, std::to_string(shortcut));
}

long HostRunToolByNumber(const HostIde& host, long number) {
    return SendCommand(host, CmdRunToolByNumber, std::to_string(number));
}

void HostSetFrozen(const HostIde& host, bool frozen) {
    SendCommand(host, CmdSetFrozen, frozen ? "1" : "0");
}

void HostSetHandOverFrozen(const HostIde& host, bool frozen) {
    SendCommand(host, CmdSetHandOverFrozen, frozen ? "1" : "0");
}

void HostSetToolVariable(const HostIde& host, const std::string& name, const std::string& value) {
    SendCommand(host, CmdChangeToolVariable, name + "=" + value);
}

void HostLeaveOutToolVariable(const HostIde& host, const std::string& name) {
    SendCommand(host, CmdChangeToolVariable, name);
}

int HostOpenFileUtf8(const HostIde& host, const std::string& utf8Path) {
    return (int)SendCommand(host, CmdOpenFileUtf8, utf8Path);
}

HWND HostFocusedEditor(const HostIde& host) {
    return (HWND)(intptr_t)SendCommand(host, CmdGetFocus, "");
}

void HostSetPointerFailure(const HostIde& host, bool fail) {
    SendCommand(host, CmdSetPointerFailure, fail ? "1" : "0");
}

bool HostInsertText(const HostIde& host, HWND editor, long line, const std::string& text) {
    return SendCommand(host, CmdInsertText,
                       Decimal(editor) + "\n" + std::to_string(line) + "\n" + text) == 0;
}

bool HostDeleteLines(const HostIde& host, HWND editor, long line, long count) {
    return SendCommand(host, CmdDeleteLines,
                       Decimal(editor) + "\n" + std::to_string(line) + "\n" +
                           std::to_string(count)) == 0;
}

int HostNewSource(const HostIde& host) {
    return (int)SendCommand(host, CmdNewSource, "");
}

int HostSaveFile(const HostIde& host) {
    return (int)SendCommand(host, CmdSaveFile, "");
}

int HostSaveFileAs(const HostIde& host, const std::string& utf8Path) {
    return (int)SendCommand(host, CmdSaveFileAs, utf8Path);
}

int HostCloseFile(const HostIde& host) {
    return (int)SendCommand(host, CmdCloseFile, "");
}

long HostGotoLine(const HostIde& host, long line) {
    return SendCommand(host, CmdGotoLine, std::to_string(line));
}

long HostPressCaretKey(const HostIde& host, unsigned key, bool ctrl) {
    return SendCommand(host, CmdCaretKey, std::to_string(key) + (ctrl ? ",1" : ""));
}

void HostSetCaretKeyWork(const HostIde& host, unsigned ms) {
    SendCommand(host, CmdSetCaretKeyWork, std::to_string(ms));
}

void HostFreezeAfterReport(const HostIde& host, unsigned ms) {
    SendCommand(host, CmdFreezeAfterReport, std::to_string(ms));
}

bool HostPressSideButton(const HostIde& host, int button, int count, unsigned freezeMs) {
    return SendCommand(host, CmdPressSideButton,
                       std::to_string(button) + "," + std::to_string(count) + "," +
                           std::to_string(freezeMs)) == 0;
}

double HostCpuSeconds(const HostIde& host) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(host.Process.Get(), &created, &ended, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& t) {
        return (double)(((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::wstring HostEditorPath(HWND editor) {
    int length = GetWindowTextLengthW(editor);
    std::wstring path(length + 1, L'\0');
    path.resize(GetWindowTextW(editor, &path[0], length + 1));
    return path;
}

std::string HostCurrentPathUtf8(const HostIde& host) {
    int current = HostCurrentTab(host);
    std::vector<HWND> editors = HostEditors(host);
    if (current < 0 || current >= (int)editors.size()) return "";
    return BytesFrom(HostEditorPath(editors[current]), CP_UTF8);
}

HostCounterValues HostCounters(const HostIde& host) {
    HostCounterValues values;
    values.TabSetCurSel = SendCommand(host, CmdGetCounter, std::to_string(CounterTabSetCurSel));
    values.MainSwitch = SendCommand(host, CmdGetCounter, std::to_string(CounterMainSwitch));
    values.PanelSwitch = SendCommand(host, CmdGetCounter, std::to_string(CounterPanelSwitch));
    values.EditorMessages = SendCommand(host, CmdGetCounter, std::to_string(CounterEditorMessages));
    values.CaretReports = SendCommand(host, CmdGetCounter, std::to_string(CounterCaretReports));
    values.SideButtons = SendCommand(host, CmdGetCounter, std::to_string(CounterSideButtons));
    values.PointerMoves = SendCommand(host, CmdGetCounter, std::to_string(CounterPointerMoves));
    return values;
}

std::vector<HWND> HostEditors(const HostIde& host) {
    std::vector<HWND> editors;
    for (int i = 0, n = HostEditorCount(host); i < n; i++)
        editors.push_back((HWND)(intptr_t)SendCommand(host, CmdGetEditor, std::to_string(i)));
    return editors;
}

int HostEditorCount(const HostIde& host) {
    if (host.Mode == HostMode::Today) return (int)SendCommand(host, CmdGetEditorCount, "");
    return (int)SendMessageA(host.TabBar, TCM_GETITEMCOUNT, 0, 0);
}

HWND HostVisibleEditor(const HostIde& host) {
    for (HWND editor : HostEditors(host))
        if (IsWindowVisible(editor)) return editor;
    return nullptr;
}

int HostCurrentTab(const HostIde& host) {
    if (host.Mode == HostMode::Today) return (int)SendCommand(host, CmdGetCurrentTab, "");
    return (int)SendMessageA(host.TabBar, TCM_GETCURSEL, 0, 0);
}

long HostCaretLine(const HostIde& host) {
    HWND editor = HostVisibleEditor(host);
    if (!editor) return 0;
    LRESULT pos = SendMessageA(editor, SCI_GETCURRENTPOS, 0, 0);
    return (long)SendMessageA(editor, SCI_LINEFROMPOSITION, (WPARAM)pos, 0) + 1;
}

std::string HostCursor(const HostIde& host) {
    HWND editor = HostVisibleEditor(host);
    if (!editor) return "";
    LRESULT pos = SendMessageA(editor, SCI_GETCURRENTPOS, 0, 0);
    LRESULT line = SendMessageA(editor, SCI_LINEFROMPOSITION, (WPARAM)pos, 0);
    LRESULT start = SendMessageA(editor, SCI_POSITIONFROMLINE, (WPARAM)line, 0);
    return std::to_string(line + 1) + "x" + std::to_string(pos - start + 1);
}

int HostInstanceCount(const HostIde& host) {
    return host.MainWindow ? (int)TodayHostsLike(host.MainWindow).size() : 0;
}

// The W messages: across processes Wine may hand ANSI list-box text back as
// UTF-16, so ask for UTF-16 and convert.
std::vector<std::string> HostLogLines(const HostIde& host) {
    std::vector<std::string> lines;
    LRESULT count = SendMessageW(host.LogList, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT length = SendMessageW(host.LogList, LB_GETTEXTLEN, (WPARAM)i, 0);
        std::wstring text(length > 0 ? length + 1 : 1, L'\0');
        LRESULT got = SendMessageW(host.LogList, LB_GETTEXT, (WPARAM)i, (LPARAM)&text[0]);
        text.resize(got > 0 ? (size_t)got : 0);
        lines.push_back(BytesFrom(text, CP_ACP));
    }
    return lines;
}

long HostGetText(HWND editor, size_t bufferSize, std::string& buffer) {
    buffer.clear();
    DWORD processId = 0;
    GetWindowThreadProcessId(editor, &processId);
    AutoCloseHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process.IsValid()) return -1;
    AutoRemoteMemory remote(process.Get(), VirtualAllocEx(process.Get(), nullptr, bufferSize + 1,
                                                          MEM_COMMIT, PAGE_READWRITE));
    if (!remote.Get()) return -1;
    long result = (long)SendMessageA(editor, SCI_GETTEXT, bufferSize, (LPARAM)remote.Get());
    buffer.resize(bufferSize);
    SIZE_T got = 0;
    if (bufferSize && !ReadProcessMemory(process.Get(), remote.Get(), &buffer[0], bufferSize, &got))
        return -1;
    buffer.resize(got);
    return result;
}

std::string HostEditorText(HWND editor) {
    size_t length = (size_t)SendMessageA(editor, SCI_GETLENGTH, 0, 0);
    std::string buffer;
    long copied = HostGetText(editor, length + 1, buffer);
    return copied < 0 ? "" : buffer.substr(0, (size_t)copied);
}

void SetHostToolEnvironment(const HostIde& host, const std::string& fileList) {
    SetEnvironmentVariableA("PB_TOOL_MainWindow",
                            std::to_string(uintptr_t(host.MainWindow)).c_str());
    SetEnvironmentVariableA("PB_TOOL_Scintilla",
                            std::to_string(uintptr_t(HostVisibleEditor(host))).c_str());
    SetEnvironmentVariableA("PB_TOOL_FileList", fileList.c_str());
    const bool today = host.Mode == HostMode::Today;
    const std::string preferences =
        host.Preferences.empty() ? IdePrefsFolder() + "PureBasic.prefs" : host.Preferences;
    SetEnvironmentVariableA("PB_TOOL_IDE", today ? SiblingExe("HostIde.exe").c_str() : nullptr);
    SetEnvironmentVariableA("PB_TOOL_Preferences", today ? preferences.c_str() : nullptr);
}
