// Reaching the running PureBasic IDE from a tool it started. What the IDE
// hands its tools in their environment becomes an IdeConnection, which the
// tool passes to every call; the IDE's windows are found among the main
// window's descendants. Everything here talks to another process with
// window messages, each bounded (ide/editor_session.h, AskWindow), so a
// hung IDE never holds a tool for ever, and none is sent once the IDE has
// ended (the tool's IdeEndWatch, ide/ide_end.h).
#pragma once
#include <windows.h>

#include "ide/ide_end.h"
#include "ide/log_texts.h"

#include <string>
#include <vector>

struct IdeConnection {
    HWND MainWindow = nullptr; // PB_TOOL_MainWindow
    // PB_TOOL_Scintilla at start; after a step, the editor that shows the
    // file reached.
    HWND Editor = nullptr;
    // Both in UTF-8.
    std::string FileList;   // PB_TOOL_FileList: open files in tab order, LF between them
    std::string IdeProgram; // PB_TOOL_IDE: today's IDE names its executable
    // Found by DiscoverIdeWindows: the first tab control and the first list
    // box flush with the editors' left edge (the classic IDE's tab bar and
    // log), kept once found, and the editors of the latest discovery in
    // enumeration order.
    HWND TabBar = nullptr;
    HWND LogList = nullptr;
    std::vector<HWND> Editors;
    bool Discovered = false;
    // The tool's watch of the IDE's end, which every ask consults; null: no
    // watch.
    const IdeEndWatch* EndWatch = nullptr;
};

// What the IDE handed this process in its environment. No window is looked
// at yet, and nothing is watched: the tool makes its IdeEndWatch.
IdeConnection ConnectToIde();

// Finds the editors afresh, and the tab bar and log list if not known yet.
// True when there is an editor and both are known: the classic IDE.
bool DiscoverIdeWindows(IdeConnection& ide);

// Today's IDE draws its file tabs itself: editors, but no tab control.
bool IsTodaysIde(IdeConnection& ide);

// The editor the IDE shows now, among those discovered; null when none is
// visible.
HWND VisibleEditor(IdeConnection& ide);

// One line in the IDE's log: in the classic IDE "[H:M:S] [PLUGIN] message"
// at the end of its log list; in today's IDE "[PLUGIN] message" through the
// IDE's own log message, which keeps it with the current source and adds
// its own time. Nothing without an IDE.
void WriteLogLine(IdeConnection& ide, const std::string& message);
// The line of the tools' table (ide/log_texts.h).
void LogMessage(IdeConnection& ide, LogText text, const std::string& detail = "");
