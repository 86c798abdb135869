#include "ide/ide_navigation.h"

#include "common/code_page.h"
#include "common/environment.h"
#include "common/text_rules.h"
#include "ide/editor_session.h"
#include "ide/file_list.h"
#include "ide/ide_messages.h"
#include "prefs/prefs.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

namespace {

// The IDE switches editors in a few milliseconds; a tool that waited for
// ever would hold the IDE, which waits for the tool.
constexpr ULONGLONG SwitchTimeoutMs = 2000;
// A file handed to the system takes the way of a hand-over (HandOverAsk).
constexpr ULONGLONG SystemOpenTimeoutMs = 10500;
std::string MainPrefsPath() {
    return IdePrefsFolder() + "PureBasic.prefs";
}

template <class Function> Function LoadFunction(HMODULE module, const char* name) {
    // Through void*: FARPROC has no parameters, and the cast warns otherwise.
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

// The shell runs the open's handler through COM, so COM is set up around it.
// Shell and COM are loaded only here: a navigator that never hands a file to
// the system does not pay for them at every start.
bool ShellOpen(SHELLEXECUTEINFOW* info) {
    using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
    using CoUninitializeFunction = void(WINAPI*)();
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    HMODULE ole = LoadLibraryA("ole32.dll");
    HMODULE shell = LoadLibraryA("shell32.dll");
    auto coInitializeEx = LoadFunction<CoInitializeExFunction>(ole, "CoInitializeEx");
    auto coUninitialize = LoadFunction<CoUninitializeFunction>(ole, "CoUninitialize");
    auto shellExecuteEx = LoadFunction<ShellExecuteExFunction>(shell, "ShellExecuteExW");
    const bool com =
        coInitializeEx && coUninitialize &&
        SUCCEEDED(coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    const bool opened = shellExecuteEx && shellExecuteEx(info);
    if (opened && info->hProcess) CloseHandle(info->hProcess);
    if (com) coUninitialize();
    if (shell) FreeLibrary(shell);
    if (ole) FreeLibrary(ole);
    return opened;
}

// Hands a source file to the program registered for its type, which is the
// IDE when its setup registered it, without waiting. Wide, so that today's
// IDE gets any name whole and the classic one its code page's bytes.
bool OpenWithSystem(const std::string& path) {
    const std::wstring file = Utf8ToWide(path);
    size_t lastBackslash = file.rfind(L'\\');
    std::wstring folder =
        lastBackslash == std::wstring::npos ? L"" : file.substr(0, lastBackslash + 1);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // No "Open with" dialog or error box: the IDE may wait for its tool, so
    // a tool waiting for the user would hold the IDE.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"Open";
    info.lpFile = file.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellOpen(&info);
}

// The classic IDE opens a file handed to the system with its RunOnce
// cleared around it.
bool OpenWithSystemClassic(const std::string& path) {
    int saved = ClearRunOnce();
    bool opened = OpenWithSystem(path);
    RestoreRunOnce(saved);
    return opened;
}

// A window of this process that the IDE can post its "done" to: a message
// window whose class ignores the message.
class ReplyWindow {
  public:
    ReplyWindow()
        : window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr)) {}
    ReplyWindow(const ReplyWindow&) = delete;
    ReplyWindow& operator=(const ReplyWindow&) = delete;
    ~ReplyWindow() {
        if (window_) DestroyWindow(window_);
    }
    HWND Get() const { return window_; }

  private:
    HWND window_;
};

// Today's IDE takes the file itself, whatever its "Run only one instance"
// says, and has made it current when the message returns.
bool SendOpenMessage(const IdeConnection& ide, const std::string& path, int32_t line) {
    std::wstring text = Utf8ToWide(OpenMessageText(ide.IdeProgram, path, line));
    if (text.empty()) return false;
    ReplyWindow reply;
    COPYDATASTRUCT data = {IdeOpenMessage, DWORD((text.size() + 1) * sizeof(wchar_t)), &text[0]};
    // Whatever the IDE answers, the message was taken once the call returns
    // in time: whether the file was made current is seen afterwards.
    return AskWindow(ide.MainWindow, WM_COPYDATA, WPARAM(reply.Get()), LPARAM(&data), HandOverAsk,
                     ide.EndWatch)
        .has_value();
}

// A name this IDE can be given at all: one a path can be, and in the
// classic IDE, whose tab bar and file list are 8-bit, one the code page
// spells.
bool IsShowableName(IdeConnection& ide, const std::string& path) {
    if (!ide.Discovered) DiscoverIdeWindows(ide);
    std::string bytes;
    return IsWindowsPathName(path) && (!ide.TabBar || Utf8ToAcp(path, &bytes));
}

// Nothing that is not a source of the IDE is handed anywhere: a history may
// lead to build.bat or tool.exe, which must never be run.
bool CanOpenFile(const std::string& path) {
    return FileHasContent(path) && IsIdeSourceFile(path);
}

// Waits for the old editor to hide and a new one to show. An editor made for
// a file that was just opened is not in the editor list yet, so the IDE's
// windows are discovered afresh while none is visible. Null when the IDE did
// not switch in time.
HWND WaitForSwitchedEditor(IdeConnection& ide, HWND oldEditor, ULONGLONG timeoutMs) {
    const ULONGLONG giveUpAt = GetTickCount64() + timeoutMs;
    // An IDE that ended switches no more.
    auto waitedOut = [&ide, giveUpAt] {
        return (ide.EndWatch && ide.EndWatch->Ended()) || GetTickCount64() >= giveUpAt;
    };
    while (oldEditor && IsWindowVisible(oldEditor)) {
        if (waitedOut()) return nullptr;
        Sleep(1);
    }
    for (;;) {
        if (HWND editor = VisibleEditor(ide)) return editor;
        if (waitedOut()) return nullptr;
        Sleep(1);
        DiscoverIdeWindows(ide);
    }
}

// The keyboard goes where the user now looks. Today's IDE does this itself
// when it makes a source current; the classic one is asked through its
// input queue.
void FocusEditor(HWND editor) {
    const DWORD ideThread = GetWindowThreadProcessId(editor, nullptr);
    const DWORD self = GetCurrentThreadId();
    if (!ideThread || !AttachThreadInput(self, ideThread, TRUE)) return;
    SetFocus(editor);
    AttachThreadInput(self, ideThread, FALSE);
}

// The classic IDE's way: select the file's tab and wait for the IDE to
// switch. True when the tab is selected in the end.
bool BringTabToFront(IdeConnection& ide, int index) {
    if (HWND visible = VisibleEditor(ide)) ide.Editor = visible;
    if (index != CurrentTabIndex(ide, ide.TabBar)) {
        SetActiveWindow(ide.MainWindow);
        SelectTab(ide, ide.TabBar, index, ide.MainWindow);
        HWND editor = WaitForSwitchedEditor(ide, ide.Editor, SwitchTimeoutMs);
        if (!editor) return false;
        ide.Editor = editor;
        if (index != CurrentTabIndex(ide, ide.TabBar)) return false;
    }
    FocusEditor(ide.Editor);
    return true;
}

ReachResult ShowInClassicIde(IdeConnection& ide, const std::string& path) {
    int index = FindInFileList(ide.FileList, path);
    if (index == -1) {
        if (!CanOpenFile(path)) return ReachResult::CannotShow;
        if (!OpenWithSystemClassic(path)) return ReachResult::NotReached;
        index = AppendToFileList(ide.FileList, path);
        DiscoverIdeWindows(ide);
    }
    return BringTabToFront(ide, index) ? ReachResult::Reached : ReachResult::NotReached;
}

// Today's IDE learns of the file only by being handed it. A hand-over can
// end with the IDE having given up on the file, so for a file other than the
// current one the editor must have changed.
ReachResult ShowInTodaysIde(IdeConnection& ide, const std::string& path,
                            const std::string& currentFile, int32_t line) {
    if (!currentFile.empty() && SamePath(path, currentFile)) {
        HWND visible = VisibleEditor(ide);
        if (visible) ide.Editor = visible;
        return visible ? ReachResult::Reached : ReachResult::NotReached;
    }
    if (FindInFileList(ide.FileList, path) == -1 && !CanOpenFile(path))
        return ReachResult::CannotShow;
    const HWND before = VisibleEditor(ide);
    HWND editor = nullptr;
    if (!ide.IdeProgram.empty()) {
        if (!SendOpenMessage(ide, path, line)) return ReachResult::NotReached;
        DiscoverIdeWindows(ide);
        editor = VisibleEditor(ide);
    } else {
        if (!IsIdeSourceFile(path) || !OpenWithSystem(path)) return ReachResult::NotReached;
        editor = WaitForSwitchedEditor(ide, before, SystemOpenTimeoutMs);
    }
    if (!editor || (!currentFile.empty() && editor == before)) return ReachResult::NotReached;
    ide.Editor = editor;
    return ReachResult::Reached;
}

} // namespace

int CurrentTabIndex(const IdeConnection& ide, HWND tabBar) {
    return int(AskWindow(tabBar, TCM_GETCURSEL, 0, 0, IdeAsk, ide.EndWatch).value_or(-1));
}

void SelectTab(const IdeConnection& ide, HWND tabBar, int index, HWND notifyWindow) {
    if (!notifyWindow) notifyWindow = GetParent(tabBar);
    AskWindow(tabBar, TCM_SETCURSEL, WPARAM(index), 0, IdeAsk, ide.EndWatch);
    AskWindow(notifyWindow, WM_COMMAND, IdeTabSwitchCommand, LPARAM(tabBar), IdeAsk, ide.EndWatch);
}

bool FileHasContent(const std::string& path) {
    // The file calls would stop at a NUL and look at another file.
    return IsWindowsPathName(path) && PathHasContent(path);
}

bool CanShowFile(IdeConnection& ide, const std::string& path) {
    return IsShowableName(ide, path) &&
           (FindInFileList(ide.FileList, path) != -1 || CanOpenFile(path));
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

ReachResult ShowFile(IdeConnection& ide, const std::string& path, const std::string& currentFile,
                     int32_t line) {
    if (!IsShowableName(ide, path)) return ReachResult::CannotShow;
    if (ide.TabBar) return ShowInClassicIde(ide, path);
    if (ide.Editors.empty()) return ReachResult::NotReached;
    return ShowInTodaysIde(ide, path, currentFile, line);
}
