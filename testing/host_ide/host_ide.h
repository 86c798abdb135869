// HostIde.exe's process-wide state, shared by its window code (host_ide.cpp)
// and its tool runner (host_tools.cpp).
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "testing/host_ide/host_protocol.h"

// One open file: an editor window owns it through GWLP_USERDATA.
struct Editor {
    std::wstring Path; // full path, empty for a new source never saved; the classic IDE
                       // passes it on in the code page
    std::string Text;
    size_t Caret = 0;
    size_t Anchor = 0; // the selection's other end, Caret when nothing is selected
    bool Modified = false;
    std::deque<std::string> Log; // today's: this source's log lines, oldest first
};

struct HostState {
    bool Today = false;      // today's IDE: file tabs without a tab control, the hand-over
    std::string Preferences; // today's: the preferences file, full path
    HWND Main = nullptr;
    HWND FileTabs = nullptr; // today's custom-drawn tabs; TabBar and Panel stay null
    HWND Panel = nullptr;
    HWND TabBar = nullptr;
    HWND LogList = nullptr;
    WNDPROC TabBarProc = nullptr; // the tab control's own procedure, under our counting one
    std::vector<HWND> Editors;    // in tab order
    int Current = -1;             // the tab whose editor is visible
    bool Frozen = false;          // ignore the switch notification
    bool HandOverFrozen = false;  // never answer a second start
    bool PointerFailure = false;  // the editors' pointer messages answer 0
    bool Starting = true;         // the tools of the IDE's start still run
    DWORD CaretKeyWorkMs = 0;     // the IDE's own work per caret key, for benchmarks
    DWORD FreezeMs = 0;           // the next caret report stops the window thread this long
    HWND FocusTarget = nullptr;   // today's: given the focus again when the main window activates
    std::deque<std::string> NoSourceLog;          // today's: log lines while no source is open
    std::vector<std::string> ToolVariableChanges; // a test's, see ChangeToolVariables
    long Counters[CounterCount] = {};
};

extern HostState Host;

Editor* EditorOf(HWND editor);
// The current file's editor, null when no file is open.
const Editor* CurrentEditor();
HWND CurrentEditorWindow();
// Today's: gives the keyboard focus to the window (an editor), also when it
// is hidden, and remembers it for the main window's next activation.
void FocusEditor(HWND editor);
// Today's: the current source's log lines into the list box, replacing what
// the list box held.
void RedrawLog();

// The IDE's events that run the tools registered for them.
enum Trigger : long {
    TriggerStarted = 1,
    TriggerLoaded = 8,
    TriggerSaved = 9,
    TriggerClosing = 13,
    TriggerNewSource = 14
};

// Writes the editor's text to the path, which becomes its path, and runs the
// tools of TriggerSaved. False (nothing run) when the path is empty or the
// file cannot be written.
bool SaveSource(HWND editor, const std::wstring& path);

// Runs the first active tool of Tools.prefs with that shortcut code, or the
// entry of that number. Result: the tool's exit code when the host waits for
// it (flag 1), its process id otherwise, ToolNotFound, or ToolTimedOut.
long RunToolByShortcut(long shortcut);
long RunToolByNumber(long number);
// Runs every active tool of the trigger as the IDE runs it for that event:
// %FILE and PB_TOOL_Scintilla of the source's editor (none when null), the
// rest of the current source.
void RunTriggerTools(long trigger, HWND source);

// Handles the messages of this thread until the process ends (true) or
// timeoutMs pass; process may be null to only pass the time.
bool WaitPumpingMessages(HANDLE process, DWORD timeoutMs);
