// The history-file steps that more than one history tool performs.
#pragma once
#include <windows.h>

#include <string>

// Opens a history file for reading and writing, letting others only read it
// meanwhile. Another history tool holds a file for a moment only (a quick
// repeat of a shortcut starts a second one), so a file held by another
// process is tried again for up to a second; INVALID_HANDLE_VALUE after that
// or on any other failure.
HANDLE OpenHistoryFile(const char* fileName, DWORD disposition);

// Appends the entry at the end of the open file in one write; should the
// write fail part-way, the file is cut back to its old length, so it never
// ends in half an entry. False when the entry was not written (a full disk).
bool AppendHistoryEntry(HANDLE file, const std::string& entry);

// Makes the named file exist with 0 bytes, creating or truncating it, and
// closes it at once. A file another process holds without write sharing is
// left as it was.
void EmptyHistoryFile(const char* fileName);
