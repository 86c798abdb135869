// Reaching the running PureBasic IDE from a tool it started: its windows come
// from the tool environment and from the main window's descendants, and
// lines go into its log list. Everything here talks to another process with
// synchronous window messages.
#pragma once
#include <windows.h>

#include "common/environment.h"

#include <string>
#include <vector>

// What the tool knows about the IDE; one record per process (Ide), all
// empty at start.
struct IdeContext {
    HWND MainWindow = nullptr;    // PB_TOOL_MainWindow
    HWND CurrentEditor = nullptr; // PB_TOOL_Scintilla
    std::string FileList;         // PB_TOOL_FileList: open files, LF between them
    // The first tab control and the first list box flush with the editors'
    // left edge. Once found they are never replaced within the process.
    HWND TabBar = nullptr;
    HWND LogList = nullptr;
    // Every descendant of the main window, and those of them that are
    // editors, in enumeration order, from the latest discovery only.
    std::vector<HWND> ChildWindows;
    std::vector<HWND> Editors;
};

extern IdeContext Ide;

// Sets Ide.MainWindow and Ide.CurrentEditor from the environment as it is
// now (0 for a missing or unreadable value).
void ReadToolEnvironment();

// Enumerates the main window's descendants afresh into Ide.ChildWindows and
// Ide.Editors, then looks for the tab bar and log list if they are not known
// yet. True when there is an editor and both are known.
bool DiscoverIdeWindows(HWND mainWindow);

// EnumChildWindows callback: appends the window to Ide.ChildWindows and lets
// the enumeration go on.
BOOL CALLBACK CollectChildWindow(HWND window, LPARAM unused);

// Inserts text into the list box at position (-1: at the end, unsorted).
void AddLogLine(HWND listBox, int position, const std::string& text);

// Appends "[H:M:S] [PLUGIN] message" (local time) to the IDE's log list, if
// the log list can be found.
void LogMessage(const std::string& message);

// Logs the message and ends the process normally with exit code 0.
[[noreturn]] void FatalError(const std::string& message);
