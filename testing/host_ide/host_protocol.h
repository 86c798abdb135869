// What HostIde.exe and the programs that drive it agree on: window class
// names, the messages the host answers and the commands it takes through
// WM_COPYDATA. No windows.h here, so both sides and the text helpers share it.
#pragma once
#include "ide/ide_messages.h"

// Scintilla messages the editors answer beyond those the tools send today.
constexpr unsigned SCI_GETCHARAT = 2007;
constexpr unsigned SCI_GETANCHOR = 2009;
constexpr unsigned SCI_GETSELECTIONSTART = 2143;
constexpr unsigned SCI_GETSELECTIONEND = 2145;
constexpr unsigned SCI_SETSEL = 2160;
constexpr unsigned SCI_LINELENGTH = 2350;
constexpr unsigned SCI_GETCHARACTERPOINTER = 2520;

// Lines a PageUp or PageDown moves the caret, whatever the editor's height,
// so that tests know which page moves count as jumps.
constexpr long EditorPageLines = 30;

constexpr char HostClassName[] = "TolvaneHostIde";
constexpr char HostTitle[] = "Host IDE";
// The container that holds the tab bar, so that the tab bar's parent is not
// the main window.
constexpr char HostPanelClassName[] = "TolvaneHostPanel";

// Today's IDE: a main window of its own class (so that a classic second
// start never takes it for a classic host), and file tabs drawn by one window
// of their own class instead of a tab control.
constexpr char HostTodayClassName[] = "TolvaneHostIdeToday";
constexpr char FileTabsClassName[] = "TolvaneHostFileTabs";

// The host's kind and preferences file come from its environment, so that
// its tools, and a second start by one of them, inherit them:
// HOSTIDE_MODE "today" for today's IDE, anything else the classic one;
// HOSTIDE_PREFERENCES the preferences file of today's IDE, empty for
// %APPDATA%\PureBasic\PureBasic.prefs.
constexpr char HostModeVariable[] = "HOSTIDE_MODE";
constexpr char HostModeToday[] = "today";
constexpr char HostPreferencesVariable[] = "HOSTIDE_PREFERENCES";
// A window property of today's main window: PreferencesKey of its
// preferences file. A second start hands its file to the window that carries
// its own key, so hosts of other tests on the same desktop never meet.
constexpr char HostKeyProperty[] = "TolvaneHostPreferencesKey";
// How long a second start waits for the running host to take its file.
constexpr unsigned HandOverWaitMs = 10000;

// Today's IDE's own messages. WM_COPYDATA to the main window: 'LOG' adds
// 8-bit text to the current source's log; 'ONCE' hands over files as UTF-16
// "IDE LF COUNT LF LINE LF FILE1 LF ...", DONE posted to the window in wParam.
// The registered message: OPEN (lParam the asking window) broadcast by a
// second start, HWND (lParam the main window) its answer.
constexpr unsigned long LogCopyData = 0x004C4F47;
constexpr unsigned long OnceCopyData = 0x4F4E4345;
constexpr char RunOnceMessageName[] = "PureBasic_RunOnce";
constexpr unsigned RunOnceOpen = 0x4F50454E;
constexpr unsigned RunOnceWindow = 0x48574E44;
constexpr unsigned RunOnceDone = 0x444F4E45;
// Log lines kept per source; older ones are dropped.
constexpr unsigned LogLinesPerSource = 100;

// The notification that makes the tab bar's selected file current: WM_COMMAND
// with this wParam and the tab bar as lParam, to the main window or the panel.
constexpr unsigned SwitchCommand = IdeTabSwitchCommand;

// WM_COPYDATA commands: dwData is the command, lpData its text argument
// (numbers in decimal), the LRESULT its result.
enum HostCommand : unsigned {
    CmdPing = 0x54480001,  // "" -> 1 once its start-up tools ended, 0 before
    CmdOpenFile,           // path -> its 0-based tab index, -1 when unreadable
    CmdSelectTab,          // index -> the index, -1 when no such tab
    CmdSetCaret,           // "line,column" (1-based) -> caret position, -1 without file
    CmdRunToolByShortcut,  // shortcut code -> see RunTool in host_ide.cpp
    CmdRunToolByNumber,    // entry number -> likewise
    CmdSetFrozen,          // "1" or "0" -> 0
    CmdGetCounter,         // a HostCounter -> its value
    CmdGetEditor,          // tab index -> the editor window's handle, 0 when none
    CmdGetEditorCount,     // "" -> the number of open files
    CmdGetCurrentTab,      // "" -> the current file's tab index, -1 when none
    CmdSetHandOverFrozen,  // "1" or "0" -> 0; frozen, a hand-over is never answered
    CmdChangeToolVariable, // "NAME=value" or "NAME" (left out), for later tools -> 0
    CmdGetFocus,           // "" -> the window with the host's keyboard focus, 0 none
    CmdOpenFileUtf8,       // UTF-8 path -> like CmdOpenFile
    CmdSetPointerFailure,  // "1" or "0" -> 0; on, the editors' pointer messages answer 0
    CmdInsertText,         // "editor LF line LF text" -> 0, -1 when no such editor
    CmdDeleteLines,        // "editor LF line LF count" -> 0, -1 when no such editor
    CmdSaveFile,           // "" -> 1 saved, 0 not written, -1 no current source with a path
    CmdSaveFileAs,         // UTF-8 path -> likewise, -1 also when no source is current
    CmdCloseFile,          // "" -> the sources left open, -1 when none was current
    CmdNewSource,          // "" -> the new source's tab index
    CmdGotoLine,           // 1-based line -> the caret position, -1 when no source is current
    CmdCaretKey,           // "vk" or "vk,1" (with Ctrl) -> caret position, -1 no editor focused
    CmdSetCaretKeyWork,    // milliseconds of the IDE's own work per caret key -> 0
    CmdFreezeAfterReport,  // ms -> 0; the next caret report stops the window thread that long
    CmdPressSideButton,    // "button,count,ms" (1 back, 2 forward; then frozen ms) -> 0, -1 none
};

enum HostCounter : unsigned {
    CounterTabSetCurSel,   // TCM_SETCURSEL received by the tab bar
    CounterMainSwitch,     // WM_COMMAND 4876 received by the main window
    CounterPanelSwitch,    // WM_COMMAND 4876 received by the panel
    CounterEditorMessages, // Scintilla messages the editors received from other processes
    CounterCaretReports,   // EVENT_OBJECT_LOCATIONCHANGE reports of the editors' carets
    CounterSideButtons,    // WM_XBUTTONDOWN and WM_XBUTTONUP received by the editors
    CounterPointerMoves,   // WM_MOUSEMOVE received by the editors
    CounterCount
};

// Results of running a tool besides its exit code.
constexpr long ToolNotFound = -1; // no such entry, or it could not be started
constexpr long ToolTimedOut = -2; // a waited-for tool still ran after ToolWaitMs; it was ended
constexpr unsigned ToolWaitMs = 30000;
