// Driving HostIde.exe, the stand-in IDE, from a test: start it, find its
// windows, send it commands and read what other programs did to it.
//
//   SetEnvironmentVariableA("APPDATA", ...);   // the host and its tools inherit it
//   HostIde host(dir.Path(), {dir / "a.pb"});
//   ASSERT_TRUE(host.Ready);
//   EXPECT_EQ(HostRunToolByShortcut(host, code), 0);
//   EXPECT_EQ(HostLogLines(host).size(), 1u);
//
// Today's IDE (file tabs without a tab control, the 'ONCE' and 'LOG'
// messages, a log per source, the keyboard focus moved as the IDE moves it,
// paths held wide, tools started with UTF-16 and given PB_TOOL_IDE,
// PB_TOOL_Preferences, PB_TOOL_Cursor, PB_TOOL_Selection and PB_TOOL_Word):
//
//   HostIde host(dir.Path(), {a, b}, HostMode::Today, dir / "ide.prefs");
//   std::string second = "HostIde.exe \"" + b + "\" /L 3";  // as PB_TOOL_IDE is started
//   RunProcess(SiblingExe("HostIde.exe"), second, dir.Path());  // ends once b is current
//   EXPECT_EQ(HostCursor(host), "3x1");
//   EXPECT_EQ(HostInstanceCount(host), 1);                  // no second IDE
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/auto_handle.h"
#include "testing/host_ide/host_protocol.h"

enum class HostMode { Classic, Today };

// A HostIde.exe of this test. Ready is true once its main window is shown with
// the panel, tab bar, log list and the editors of the files given, and its
// message loop answers. The destructor closes it (WM_CLOSE, and after 10 s
// TerminateProcess), so no host outlives its test.
//
// HostMode::Today: today's IDE; Ready once the file tabs window (FileTabs),
// the log list and the editors are there; TabBar and Panel stay null. While
// the object lives, this test process's environment holds HOSTIDE_MODE and
// HOSTIDE_PREFERENCES (host_protocol.h), so whatever the test starts
// itself (a second HostIde.exe, a navigator run directly) meets this host as
// one of its tools would; the destructor restores them and also closes the
// second hosts of the same preferences file (RunOnce 0). A classic host
// started meanwhile is started with HOSTIDE_MODE emptied.
struct HostIde {
    // Started with exactly `"<bin>\HostIde.exe" "<file>" ...` in workingDir
    // (empty: the test's own folder). A classic host already running on this
    // desktop would take the files and this one would end: Ready stays false
    // then. Today's host uses the preferences file given (empty:
    // %APPDATA%\PureBasic\PureBasic.prefs, the test's APPDATA); one of
    // the same preferences file would take the files likewise, unless its
    // "RunOnce" is 0.
    explicit HostIde(const std::string& workingDir = "", const std::vector<std::string>& files = {},
                     HostMode mode = HostMode::Classic, const std::string& preferences = "");
    HostIde(const HostIde&) = delete;
    HostIde& operator=(const HostIde&) = delete;
    ~HostIde();

    bool Ready = false;
    HostMode Mode = HostMode::Classic;
    std::string Preferences; // today's: the preferences file given, "" for the default
    AutoCloseHandle Process;
    DWORD ProcessId = 0;
    HWND MainWindow = nullptr;
    HWND Panel = nullptr; // the tab bar's parent
    HWND TabBar = nullptr;
    HWND LogList = nullptr;
    HWND FileTabs = nullptr; // today's custom-drawn file tabs

  private:
    std::string SavedMode, SavedPreferences;
    bool HadMode = false, HadPreferences = false;
};

// Sets in this process what the host gives a tool it starts, for tool runs a
// test starts itself: the main window, the visible editor and the file list;
// for today's host also PB_TOOL_IDE and PB_TOOL_Preferences, which a classic
// host's tools do not get (they are removed).
void SetHostToolEnvironment(const HostIde& host, const std::string& fileList);

// Registers, for as long as it lives, HostIde.exe (beside the test) as the
// program for files of the extension (".pb"): the command
// `"<bin>\HostIde.exe" "%1"` under HKEY_CLASSES_ROOT (Wine's shell reads
// only that, not HKCU\Software\Classes). A file handed to the system to open
// (ShellExecuteExA "Open") then starts a second host, which hands the file to
// the running one: the file ends up open in the IDE.
struct HostFileType {
    explicit HostFileType(const std::string& extension);
    HostFileType(const HostFileType&) = delete;
    HostFileType& operator=(const HostFileType&) = delete;
    ~HostFileType();

    bool Registered = false;
    std::string Extension;
};

struct HostCounterValues {
    long TabSetCurSel = -1;   // TCM_SETCURSEL received by the tab bar
    long MainSwitch = -1;     // WM_COMMAND 4876 received by the main window
    long PanelSwitch = -1;    // WM_COMMAND 4876 received by the panel
    long EditorMessages = -1; // Scintilla messages the editors received from other processes
    long CaretReports = -1;   // caret reports (EVENT_OBJECT_LOCATIONCHANGE) the editors made
    long SideButtons = -1;    // WM_XBUTTONDOWN and WM_XBUTTONUP the editors received
    long PointerMoves = -1;   // WM_MOUSEMOVE the editors received
};

// Commands (WM_COPYDATA, synchronous: the host has done the work on return).
// Each gives -1 when the host does not answer within a minute.

// Opens the file as the last tab and makes it current (an open file is made
// current again); its tab index, or -1 when it cannot be read.
int HostOpenFile(const HostIde& host, const std::string& path);
// Makes the tab current the host's own way (no counter moves); -1: no such tab.
int HostSelectTab(const HostIde& host, int index);
// Moves the current editor's caret to the 1-based line and column (clamped
// to the line); the new position, or -1 when no file is open.
long HostSetCaret(const HostIde& host, long line, long column);
// Runs the first tool of %APPDATA%\PureBasic\Tools.prefs with that shortcut
// code and "Deactivate" 0, or the entry of that number below "ToolCount"
// (whatever its "Deactivate"), as the IDE runs a tool. For
// a tool with flag 1 the host waits (up to ToolWaitMs, handling messages)
// and the result is its exit code; for others, its process id.
// ToolNotFound: no such entry, or it did not start; ToolTimedOut: it ran
// too long and was ended.
long HostRunToolByShortcut(const HostIde& host, long shortcut);
long HostRunToolByNumber(const HostIde& host, long number);
// Frozen, the host ignores the switch notification: an IDE that never switches.
void HostSetFrozen(const HostIde& host, bool frozen);
// Today's: frozen, the host leaves a 'ONCE' hand-over (of a second start or
// a tool) unanswered, handling every other message meanwhile, until 11 s
// have passed or a test unfreezes it, and then drops it: no DONE, no file
// taken. A second start gives up after its 10 s.
void HostSetHandOverFrozen(const HostIde& host, bool frozen);
// What the tools started from now on find in their environment: the
// variable set to value (a PB_TOOL_IDE that names no program), or left out
// (today's IDE without PB_TOOL_IDE); the host's own value is then not given.
void HostSetToolVariable(const HostIde& host, const std::string& name, const std::string& value);
void HostLeaveOutToolVariable(const HostIde& host, const std::string& name);
HostCounterValues HostCounters(const HostIde& host);
// Opens the file of the UTF-8 path like HostOpenFile, for names that the
// code page cannot spell (today's host holds every name whole).
int HostOpenFileUtf8(const HostIde& host, const std::string& utf8Path);
// Today's: the window that has the keyboard focus in the host (GetFocus of
// its thread, which only the host can ask), null when none. After a tool or
// a change of the current source it is an editor, possibly a hidden one.
HWND HostFocusedEditor(const HostIde& host);
// On, every editor answers SCI_GETCHARACTERPOINTER and SCI_GETRANGEPOINTER
// with 0: an editor whose text cannot be read.
void HostSetPointerFailure(const HostIde& host, bool fail);
// Edits an open editor's text as a user would: text inserted at the start of
// the 1-based line (past the last line: at the last line's start), or count
// lines from that line on deleted (none past the last line). The caret stays
// on its code (moves with its line, or to the start of the first line after
// the deleted ones when its own line went); the source counts
// as modified, so a tool with %FILE saves it. False when no such editor.
bool HostInsertText(const HostIde& host, HWND editor, long line, const std::string& text);
bool HostDeleteLines(const HostIde& host, HWND editor, long line, long count);

// The user's work on sources, each running the tools of its event as the IDE
// does (Tools.prefs "Trigger": 8 loaded, 9 saved, 13 closing, 14 new; the
// files given at start run 8 each, then 1). The source is the current one.
// A new empty source as the last tab, made current: its tab index. It has no
// path (left out of PB_TOOL_FileList) until it is saved as a file.
int HostNewSource(const HostIde& host);
// Writes the source to its path, or to a new UTF-8 path that becomes its
// path: 1 saved, 0 not written, -1 no current source (or, for HostSaveFile,
// one without a path).
int HostSaveFile(const HostIde& host);
int HostSaveFileAs(const HostIde& host, const std::string& utf8Path);
// Closes the current source, after its tools of trigger 13; the source at its
// place, else the one before, becomes current. The sources left, -1 when
// none was current.
int HostCloseFile(const HostIde& host);
// The IDE's own jump (Goto line, the procedure browser): the caret to the
// start of the 1-based line (clamped), then the keyboard focus to the
// editor. The new position, -1 when no source is current.
long HostGotoLine(const HostIde& host, long line);

// Caret reports. The editor that has the keyboard focus reports every caret
// change, and taking the focus, with EVENT_OBJECT_LOCATIONCHANGE (OBJID_CARET,
// CHILDID_SELF), standing in for the system caret Wine does not report; the
// focus itself moves with EVENT_OBJECT_FOCUS. Today's editors also report a
// caret key at once, focus or not (then a focused one reports twice). Caret
// keys: VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN (column kept in bytes), VK_PRIOR and
// VK_NEXT (EditorPageLines lines), VK_HOME and VK_END (with Ctrl: text start
// and end). A WM_KEYDOWN posted to any editor works too (Ctrl as the host's
// key state has it).
// The key typed into the editor that has the host's focus: the new caret
// position, -1 when no editor has the focus.
long HostPressCaretKey(const HostIde& host, unsigned key, bool ctrl = false);
// Each caret key from now on first spends ms of the host's CPU, as the IDE's
// own work per key would.
void HostSetCaretKeyWork(const HostIde& host, unsigned ms);
// The next caret report of an editor stops the IDE's window thread for ms
// right after it, as an IDE busy just after a jump: nothing it is sent
// meanwhile is answered.
void HostFreezeAfterReport(const HostIde& host, unsigned ms);

// The pointer put over the middle of the visible editor, then the side
// button (1 back, 2 forward) pressed and released count times through the
// system's input, which the window under the pointer gets; then the IDE
// answers nobody for freezeMs. False when no editor shows.
bool HostPressSideButton(const HostIde& host, int button, int count = 1, unsigned freezeMs = 0);
// The host process's CPU time so far (user and kernel), in seconds.
double HostCpuSeconds(const HostIde& host);

// Reading the host's windows directly.

std::vector<HWND> HostEditors(const HostIde& host); // in tab order
int HostEditorCount(const HostIde& host);
HWND HostVisibleEditor(const HostIde& host); // null when none is visible
int HostCurrentTab(const HostIde& host);     // the tab bar's selection, -1 none
long HostCaretLine(const HostIde& host);     // 1-based, of the visible editor; 0 none
// The visible editor's caret as "LINExCOLUMN" (1-based, the column in bytes
// from the line start), asked with the editor's position messages; "" none.
std::string HostCursor(const HostIde& host);
// Today's: the running hosts of this host's preferences file, itself
// included (1 unless a second start opened a second host).
int HostInstanceCount(const HostIde& host);
std::vector<std::string> HostLogLines(const HostIde& host);
// The full path of the file an editor shows, as the host holds it (wide, so
// any name), and the current source's path in UTF-8; empty when none.
std::wstring HostEditorPath(HWND editor);
std::string HostCurrentPathUtf8(const HostIde& host);

// SCI_GETTEXT as a tool sends it: a buffer of bufferSize bytes reserved in
// the host's process, filled by the editor and copied back whole. Returns the
// message's result (-1 when the host process cannot be reached); buffer gets
// the bytes.
long HostGetText(HWND editor, size_t bufferSize, std::string& buffer);
// The editor's whole text (SCI_GETLENGTH, then SCI_GETTEXT).
std::string HostEditorText(HWND editor);
