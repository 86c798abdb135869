// Bringing the IDE to a position from outside: find a file among the IDE's
// open files, bring it to the front by switching tabs or by having the
// system open it, move the editor to a line, and read an editor's text out
// of the IDE's process. Works on the IDE context of ide_access.h.
#pragma once
#include <windows.h>

#include "ide/navigation_rules.h"

#include <cstdint>
#include <string>

// The tab bar's selected tab, -1 when none.
int CurrentTabIndex(HWND tabBar);
// Selects the tab and tells the IDE, which switches its editor in answer.
// A null notifyWindow means the tab bar's parent.
void SelectTab(HWND tabBar, int index, HWND notifyWindow);
// Moves the editor to the 1-based line.
void GotoLine(HWND editor, int line);
// Puts the editor's caret on the 1-based line and column (characters from
// the line's start, a tab being one) with the editor's own position
// messages: a column past the line's end lands at its end, a line past the
// last line on the last line.
void GotoPosition(HWND editor, int32_t line, int32_t column);
// The editor's whole text, bytes as the editor holds them; empty when it
// cannot be read.
std::string ReadEditorText(HWND editor);
// A file the IDE could open: on disk, not a folder, not empty.
bool FileHasContent(const std::string& path);
// The file's 0-based position in PB_TOOL_FileList (letter case ignored), or -1.
int FindOpenFile(const std::string& path);
// Open in the IDE, or a source file of the IDE's types on disk with content:
// a file BringFileToFront can show without ending the process.
bool CanShowFile(const std::string& path);
// Sets RunOnce in the IDE's PureBasic.prefs to 0 and returns its previous
// value (1 when absent); 0 without writing when the file cannot be opened.
int ClearRunOnce();
// Writes RunOnce back when the file can be opened.
void RestoreRunOnce(int value);
// Makes the file the IDE's current source, opening it first when it is not
// open, and records the editor that shows it in Ide.CurrentEditor and this
// process's PB_TOOL_Scintilla. A file that is neither open nor a source file
// on disk with content ends the process through
// FatalError("Datei nicht gefunden").
void BringFileToFront(const std::string& path);
// BringFileToFront that says how it ended. An IDE without a tab control is
// handed the file (and the line, when above 0) by a second start of its
// executable (PB_TOOL_IDE), or through the system's "open" without one;
// neither is done when that would start a second IDE. currentFile, when
// known, is the IDE's current source: a file it names needs no switch.
ReachResult ShowFile(const std::string& path, const std::string& currentFile, int32_t line);
