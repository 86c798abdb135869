// Bringing the IDE to a position from outside: find a file among the IDE's
// open files, bring it to the front by switching tabs or by having the
// system open it, move the editor to a line, and read an editor's text out
// of the IDE's process. Works on the IDE context of ide_access.h.
#pragma once
#include <windows.h>

#include <string>

// The tab bar's selected tab, -1 when none.
int CurrentTabIndex(HWND tabBar);
// Selects the tab and tells the IDE, which switches its editor in answer.
// A null notifyWindow means the tab bar's parent. Returns 0.
int SelectTab(HWND tabBar, int index, HWND notifyWindow);
// Moves the editor to the 1-based line. The third argument is not used.
int GotoLine(HWND editor, int line, int unused);
// The editor's whole text, bytes as the editor holds them; empty when it
// cannot be read.
std::string ReadEditorText(HWND editor);
// A file the IDE could open: on disk, not a folder, not empty.
bool FileHasContent(const std::string& path);
// The file's 0-based position in PB_TOOL_FileList (letter case ignored), or -1.
int FindOpenFile(const std::string& path);
// Sets RunOnce in the IDE's PureBasic.prefs to 0 and returns its previous
// value (1 when absent); 0 without writing when the file cannot be opened.
int ClearRunOnce();
// Writes RunOnce back when the file can be opened. Returns 0.
int RestoreRunOnce(int value);
// Makes the file the IDE's current source, opening it first when it is not
// open, and records the editor that shows it in Ide.CurrentEditor and this
// process's PB_TOOL_Scintilla. A file that is neither open nor on disk with
// any content ends the process through FatalError("Datei nicht gefunden").
// Returns 0.
int BringFileToFront(const std::string& path);
