#include "ide/ide_navigation.h"

#include "common/auto_handle.h"
#include "ide/file_list.h"
#include "ide/ide_access.h"
#include "ide/ide_messages.h"
#include "prefs/prefs.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

namespace {

constexpr DWORD AllProcessAccess = 0x1F0FFF;
// More than any source file; a length beyond it is a broken answer.
constexpr LRESULT MaxEditorLength = LRESULT(1) << 30;
// The IDE switches editors in a few milliseconds; a tool that waited for
// ever would hold the IDE, which waits for the tool.
constexpr ULONGLONG SwitchTimeoutMs = 2000;

std::string MainPrefsPath() {
    return IdePrefsFolder() + "PureBasic.prefs";
}

// Hands the file to the system without waiting: as a program if it is one,
// else to the program registered for its type, which for a source file is
// the IDE.
void OpenWithSystem(const std::string& path) {
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started = {};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return;
    }
    size_t lastBackslash = path.rfind('\\');
    std::string folder =
        lastBackslash == std::string::npos ? "" : path.substr(0, lastBackslash + 1);
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // No "Open with" dialog or error box: the IDE waits for its tool, so a
    // tool waiting for the user would hold the IDE.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "Open";
    info.lpFile = path.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&info) && info.hProcess) CloseHandle(info.hProcess);
}

HWND FirstVisibleEditor() {
    for (HWND editor : Ide.Editors)
        if (IsWindowVisible(editor)) return editor;
    return nullptr;
}

// Waits for the old editor to hide and a new one to show. An editor made for
// a file that was just opened is not in the editor list yet, so the IDE's
// windows are discovered afresh while none is visible. Null when the IDE did
// not switch in time.
HWND WaitForSwitchedEditor(HWND oldEditor) {
    const ULONGLONG giveUpAt = GetTickCount64() + SwitchTimeoutMs;
    while (oldEditor && IsWindowVisible(oldEditor)) {
        if (GetTickCount64() >= giveUpAt) return nullptr;
        Sleep(1);
    }
    for (;;) {
        if (HWND editor = FirstVisibleEditor()) return editor;
        if (GetTickCount64() >= giveUpAt) return nullptr;
        Sleep(1);
        DiscoverIdeWindows(Ide.MainWindow);
    }
}

} // namespace

int CurrentTabIndex(HWND tabBar) {
    return int(SendMessageA(tabBar, TCM_GETCURSEL, 0, 0));
}

int SelectTab(HWND tabBar, int index, HWND notifyWindow) {
    if (!notifyWindow) notifyWindow = GetParent(tabBar);
    SendMessageA(tabBar, TCM_SETCURSEL, WPARAM(index), 0);
    SendMessageA(notifyWindow, WM_COMMAND, IdeTabSwitchCommand, LPARAM(tabBar));
    return 0;
}

int GotoLine(HWND editor, int line, int) {
    SendMessageA(editor, SCI_GOTOLINE, WPARAM(INT_PTR(line) - 1), 0);
    return 0;
}

std::string ReadEditorText(HWND editor) {
    HWND owner = GetParent(editor);
    if (!owner) return "";
    DWORD processId = 0;
    GetWindowThreadProcessId(owner, &processId);
    AutoCloseHandle process(OpenProcess(AllProcessAccess, FALSE, processId));
    if (!process.IsValid()) return "";
    LRESULT length = SendMessageA(editor, SCI_GETLENGTH, 0, 0);
    if (length < 0 || length > MaxEditorLength) return "";
    const size_t size = size_t(length) + 1;
    AutoRemoteMemory remote(
        process.Get(), VirtualAllocEx(process.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    if (!remote.Get()) return "";
    SendMessageA(editor, SCI_GETTEXT, WPARAM(size), LPARAM(remote.Get()));
    // Read straight into the result: the text crosses over once.
    std::string text(size, '\0');
    SIZE_T got = 0;
    if (!ReadProcessMemory(process.Get(), remote.Get(), &text[0], size, &got) || got != size)
        return "";
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool FileHasContent(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    return data.nFileSizeHigh != 0 || data.nFileSizeLow != 0;
}

int FindOpenFile(const std::string& path) {
    Ide.FileList = ReadEnvironmentText("PB_TOOL_FileList");
    return FindInFileList(Ide.FileList, path);
}

int ClearRunOnce() {
    if (!OpenPrefs(MainPrefsPath())) return 0;
    int previous = ReadPrefsLong("RunOnce", 1);
    WritePrefsLong("RunOnce", 0);
    ClosePrefs();
    return previous;
}

int RestoreRunOnce(int value) {
    if (OpenPrefs(MainPrefsPath())) {
        WritePrefsLong("RunOnce", value);
        ClosePrefs();
    }
    return 0;
}

int BringFileToFront(const std::string& path) {
    int index = FindOpenFile(path);
    if (index == -1) {
        if (!FileHasContent(path)) FatalError("Datei nicht gefunden");
        int saved = ClearRunOnce();
        OpenWithSystem(path);
        RestoreRunOnce(saved);
        index = AppendToFileList(Ide.FileList, path);
    }
    ReadToolEnvironment();
    if (!DiscoverIdeWindows(Ide.MainWindow)) return 0;
    if (HWND visible = FirstVisibleEditor()) Ide.CurrentEditor = visible;
    if (index == CurrentTabIndex(Ide.TabBar)) return 0;
    SetActiveWindow(Ide.MainWindow);
    SelectTab(Ide.TabBar, index, Ide.MainWindow);
    HWND editor = WaitForSwitchedEditor(Ide.CurrentEditor);
    if (!editor) return 0;
    Ide.CurrentEditor = editor;
    SetEnvironmentVariableA("PB_TOOL_Scintilla",
                            std::to_string(reinterpret_cast<uintptr_t>(editor)).c_str());
    return 0;
}
