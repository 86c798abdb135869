#include "ide/ide_navigation.h"

#include "common/auto_handle.h"
#include "ide/file_list.h"
#include "ide/ide_access.h"
#include "ide/ide_messages.h"
#include "prefs/prefs.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace {

// What reading an editor's text needs of the IDE's process, and no more.
constexpr DWORD EditorReadAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION;
// More than any source file; a length beyond it is a broken answer.
constexpr LRESULT MaxEditorLength = LRESULT(1) << 30;
// The IDE switches editors in a few milliseconds; a tool that waited for
// ever would hold the IDE, which waits for the tool.
constexpr ULONGLONG SwitchTimeoutMs = 2000;
// A second start of the IDE ends once the running IDE has taken the file,
// which the IDE gives up to 10 s; a file handed to the system takes the
// same way.
constexpr ULONGLONG HandOverTimeoutMs = 10500;

std::string MainPrefsPath() {
    return IdePrefsFolder() + "PureBasic.prefs";
}

// The shell is loaded only here: a navigator that never hands a file to the
// system does not pay for it at every start.
void ShellOpen(SHELLEXECUTEINFOA* info) {
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell) return;
    // Through void*: FARPROC has no parameters, and the cast warns otherwise.
    auto shellExecuteEx = reinterpret_cast<ShellExecuteExFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteExA")));
    if (shellExecuteEx && shellExecuteEx(info) && info->hProcess) CloseHandle(info->hProcess);
    FreeLibrary(shell);
}

// Hands a source file to the program registered for its type, which is the
// IDE when its setup registered it, without waiting.
void OpenWithSystem(const std::string& path) {
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
    ShellOpen(&info);
}

// Starts the IDE's executable again with the file; with waitForEnd, waits
// until it has handed the file to the running IDE and ended.
bool RunSecondStart(const std::string& ide, const std::string& path, int32_t line,
                    bool waitForEnd) {
    std::string commandLine = HandOverCommandLine(ide, path, line);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(ide.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return false;
    AutoCloseHandle process(started.hProcess), thread(started.hThread);
    return !waitForEnd ||
           WaitForSingleObject(process.Get(), DWORD(HandOverTimeoutMs)) == WAIT_OBJECT_0;
}

// The IDE named its executable, which takes a file by a second start.
bool IdeTakesFilesItself() {
    return !ReadEnvironmentText("PB_TOOL_IDE").empty();
}

// "Run only one instance" of the preferences the IDE really uses; on when
// the file or the key cannot be read, as the IDE takes it.
bool SecondStartHandsOver() {
    const std::string prefs = ReadEnvironmentText("PB_TOOL_Preferences");
    if (prefs.empty()) return true;
    Prefs file = OpenPrefs(prefs);
    if (!file.IsOpen()) return true;
    SelectPrefsGroup(file, "Global");
    return ReadPrefsLong(file, "RunOnce", 1) != 0;
}

// Gives the file to the IDE: to its executable when the IDE named it (the
// preferences stay untouched), else to the system, with the old IDE's
// RunOnce cleared around it. A file handed to the system, or to the IDE
// without waitForEnd, is still on its way on return.
ReachResult HandToIde(const std::string& path, int32_t line, bool waitForEnd) {
    if (!SecondStartHandsOver()) return ReachResult::SecondInstanceRefused;
    const std::string ide = ReadEnvironmentText("PB_TOOL_IDE");
    if (!ide.empty())
        return RunSecondStart(ide, path, line, waitForEnd) ? ReachResult::Reached
                                                           : ReachResult::NotReached;
    if (!IsIdeSourceFile(path)) return ReachResult::NotReached;
    int saved = ClearRunOnce();
    OpenWithSystem(path);
    RestoreRunOnce(saved);
    return ReachResult::Reached;
}

// Nothing that is not a source of the IDE is handed anywhere: a history may
// lead to build.bat or tool.exe, which must never be run.
bool CanOpenFile(const std::string& path) {
    return FileHasContent(path) && IsIdeSourceFile(path);
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
HWND WaitForSwitchedEditor(HWND oldEditor, ULONGLONG timeoutMs) {
    const ULONGLONG giveUpAt = GetTickCount64() + timeoutMs;
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

void RecordCurrentEditor(HWND editor) {
    Ide.CurrentEditor = editor;
    SetEnvironmentVariableA("PB_TOOL_Scintilla",
                            std::to_string(reinterpret_cast<uintptr_t>(editor)).c_str());
}

// The tab bar's way: select the file's tab and wait for the IDE to switch.
// True when the tab is selected in the end.
bool BringTabToFront(int index) {
    if (HWND visible = FirstVisibleEditor()) Ide.CurrentEditor = visible;
    if (index == CurrentTabIndex(Ide.TabBar)) return true;
    SetActiveWindow(Ide.MainWindow);
    SelectTab(Ide.TabBar, index, Ide.MainWindow);
    HWND editor = WaitForSwitchedEditor(Ide.CurrentEditor, SwitchTimeoutMs);
    if (!editor) return false;
    RecordCurrentEditor(editor);
    return index == CurrentTabIndex(Ide.TabBar);
}

// An IDE without a tab control learns of the file only by being handed it.
// A file that was open already shows in an editor the IDE has: the switch
// is seen as soon as it happens, before the second start has ended. A file
// opened just now was waited for, and its editor is found by discovery. A
// hand-over can end with the IDE having given up on the file, so for a file
// other than the current one the editor must have changed.
ReachResult BringEditorToFront(const std::string& path, const std::string& currentFile,
                               int32_t line, bool handedOver) {
    const HWND before = Ide.CurrentEditor;
    if (!handedOver) {
        if (!currentFile.empty() && UpperCasePath(path) == UpperCasePath(currentFile)) {
            HWND visible = FirstVisibleEditor();
            if (visible) Ide.CurrentEditor = visible;
            return visible ? ReachResult::Reached : ReachResult::NotReached;
        }
        ReachResult handed = HandToIde(path, line, false);
        if (handed != ReachResult::Reached) return handed;
    }
    HWND editor = handedOver && IdeTakesFilesItself()
                      ? FirstVisibleEditor()
                      : WaitForSwitchedEditor(before, HandOverTimeoutMs);
    const bool mustChange = handedOver || !currentFile.empty();
    if (!editor || (mustChange && editor == before)) return ReachResult::NotReached;
    RecordCurrentEditor(editor);
    return ReachResult::Reached;
}

} // namespace

int CurrentTabIndex(HWND tabBar) {
    return int(SendMessageA(tabBar, TCM_GETCURSEL, 0, 0));
}

void SelectTab(HWND tabBar, int index, HWND notifyWindow) {
    if (!notifyWindow) notifyWindow = GetParent(tabBar);
    SendMessageA(tabBar, TCM_SETCURSEL, WPARAM(index), 0);
    SendMessageA(notifyWindow, WM_COMMAND, IdeTabSwitchCommand, LPARAM(tabBar));
}

void GotoLine(HWND editor, int line) {
    SendMessageA(editor, SCI_GOTOLINE, WPARAM(INT_PTR(line) - 1), 0);
}

void GotoPosition(HWND editor, int32_t line, int32_t column) {
    // The start of a line is where the editor's own line message puts the
    // caret, a line past the end landing on the last line: one message
    // instead of four, each a round trip to the IDE.
    if (column <= 1) {
        GotoLine(editor, line);
        return;
    }
    LRESULT lines = SendMessageA(editor, SCI_GETLINECOUNT, 0, 0);
    WPARAM index = WPARAM(std::max<LRESULT>(std::min<LRESULT>(line, lines), 1) - 1);
    LRESULT start = SendMessageA(editor, SCI_POSITIONFROMLINE, index, 0);
    LRESULT end = SendMessageA(editor, SCI_GETLINEENDPOSITION, index, 0);
    LRESULT position = end;
    // A line of n bytes holds at most n characters: a column beyond that is
    // past the end without asking, however large it is.
    if (start >= 0 && LRESULT(column) - 1 < end - start) {
        LRESULT moved =
            SendMessageA(editor, SCI_POSITIONRELATIVE, WPARAM(start), LPARAM(column - 1));
        if (moved >= start && moved < end) position = moved;
    }
    SendMessageA(editor, SCI_GOTOPOS, WPARAM(position), 0);
}

std::string ReadEditorText(HWND editor) {
    HWND owner = GetParent(editor);
    if (!owner) return "";
    DWORD processId = 0;
    GetWindowThreadProcessId(owner, &processId);
    AutoCloseHandle process(OpenProcess(EditorReadAccess, FALSE, processId));
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

bool CanShowFile(const std::string& path) {
    return FindOpenFile(path) != -1 || CanOpenFile(path);
}

int ClearRunOnce() {
    Prefs prefs = OpenPrefs(MainPrefsPath());
    if (!prefs.IsOpen()) return 0;
    int previous = ReadPrefsLong(prefs, "RunOnce", 1);
    WritePrefsLong(prefs, "RunOnce", 0);
    ClosePrefs(prefs);
    return previous;
}

void RestoreRunOnce(int value) {
    Prefs prefs = OpenPrefs(MainPrefsPath());
    if (prefs.IsOpen()) {
        WritePrefsLong(prefs, "RunOnce", value);
        ClosePrefs(prefs);
    }
}

void BringFileToFront(const std::string& path) {
    ShowFile(path, "", 0);
}

ReachResult ShowFile(const std::string& path, const std::string& currentFile, int32_t line) {
    int index = FindOpenFile(path);
    const bool handedOver = index == -1;
    if (handedOver) {
        if (!CanOpenFile(path)) FatalError("Datei nicht gefunden");
        ReachResult handed = HandToIde(path, line, true);
        if (handed != ReachResult::Reached) return handed;
        index = AppendToFileList(Ide.FileList, path);
    }
    ReadToolEnvironment();
    if (DiscoverIdeWindows(Ide.MainWindow))
        return BringTabToFront(index) ? ReachResult::Reached : ReachResult::NotReached;
    // Today's IDE draws its file tabs itself: editors, but no tab control.
    if (Ide.TabBar || Ide.Editors.empty()) return ReachResult::NotReached;
    return BringEditorToFront(path, currentFile, line, handedOver);
}
