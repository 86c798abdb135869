// Bringing the IDE to a position from outside: find a file among the IDE's
// open files and bring it to the front: a tab switch in the classic IDE, the
// IDE's own open message in today's. The caret is put on a line and column
// by the editor's session (ide/editor_session.h).
#pragma once
#include <windows.h>

#include "ide/ide_access.h"
#include "ide/navigation_rules.h"

#include <cstdint>
#include <string>

// The tab bar's selected tab, -1 when none.
int CurrentTabIndex(const IdeConnection& ide, HWND tabBar);
// Selects the tab and tells the IDE, which switches its editor in answer.
// A null notifyWindow means the tab bar's parent.
void SelectTab(const IdeConnection& ide, HWND tabBar, int index, HWND notifyWindow);
// A file the IDE could open: on disk, not a folder, not empty. Paths here
// are UTF-8.
bool FileHasContent(const std::string& path);
// Open in the IDE, or a source file of the IDE's types on disk with content,
// and named as this IDE can be given it (the classic IDE: in the code page):
// a file ShowFile can take the IDE to.
bool CanShowFile(IdeConnection& ide, const std::string& path);
// Sets RunOnce in the IDE's PureBasic.prefs to 0 and returns its previous
// value (1 when absent); 0 without writing when the file cannot be opened.
int ClearRunOnce();
// Writes RunOnce back when the file can be opened.
void RestoreRunOnce(int value);
// Makes the file the IDE's current source and records the editor that shows
// it in ide.Editor. The classic IDE switches tabs, a file not open there
// being handed to the system first. Today's IDE is handed the file (and the
// line, when above 0) with its open message, or through the system without
// PB_TOOL_IDE; its settings files are never written. currentFile, when
// known, is the IDE's current source: a file it names needs no switch.
ReachResult ShowFile(IdeConnection& ide, const std::string& path, const std::string& currentFile,
                     int32_t line);
