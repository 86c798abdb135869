// What HostIde.exe and the programs that drive it agree on: window class
// names, the messages the host answers and the commands it takes through
// WM_COPYDATA. No windows.h here, so both sides and the text helpers share it.
#pragma once
#include "ide/ide_messages.h"

constexpr char kHostClassName[] = "TolvaneHostIde";
constexpr char kHostTitle[] = "Host IDE";
// The container that holds the tab bar, so that the tab bar's parent is not
// the main window.
constexpr char kHostPanelClassName[] = "TolvaneHostPanel";
constexpr char kEditorClassName[] = "Scintilla";

// The notification that makes the tab bar's selected file current: WM_COMMAND
// with this wParam and the tab bar as lParam, to the main window or the panel.
constexpr unsigned kSwitchCommand = IdeTabSwitchCommand;

// WM_COPYDATA commands: dwData is the command, lpData its text argument
// (numbers in decimal), the LRESULT its result.
enum HostCommand : unsigned {
    kCmdPing = 0x54480001, // "" -> 1 once the host's message loop runs
    kCmdOpenFile,          // path -> its 0-based tab index, -1 when unreadable
    kCmdSelectTab,         // index -> the index, -1 when no such tab
    kCmdSetCaret,          // "line,column" (1-based) -> caret position, -1 without file
    kCmdRunToolByShortcut, // shortcut code -> see RunTool in host_ide.cpp
    kCmdRunToolByNumber,   // entry number -> likewise
    kCmdSetFrozen,         // "1" or "0" -> 0
    kCmdGetCounter,        // a HostCounter -> its value
    kCmdGetEditor,         // tab index -> the editor window's handle, 0 when none
};

enum HostCounter : unsigned {
    kCounterTabSetCurSel, // TCM_SETCURSEL received by the tab bar
    kCounterMainSwitch,   // WM_COMMAND 4876 received by the main window
    kCounterPanelSwitch,  // WM_COMMAND 4876 received by the panel
    kCounterCount
};

// Results of running a tool besides its exit code.
constexpr long kToolNotFound = -1; // no such entry, or it could not be started
constexpr long kToolTimedOut = -2; // a waited-for tool still ran after kToolWaitMs; it was ended
constexpr unsigned kToolWaitMs = 30000;
