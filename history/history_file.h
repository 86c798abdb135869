// The history-file steps that more than one history tool performs.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Opens a history file for reading and writing, letting others only read it
// meanwhile. Another history tool holds a file for a moment only (a quick
// repeat of a shortcut starts a second one), so a file held by another
// process is tried again for up to a second; INVALID_HANDLE_VALUE after that
// or on any other failure.
HANDLE OpenHistoryFile(const char* fileName, DWORD disposition);
// Holds the named history file as OpenHistoryFile does; an absent file is an
// empty history and is not created, file then stays empty. False when the
// file is there but cannot be had (a folder, read-only, held by another
// process for too long).
bool HoldHistoryFile(const char* fileName, HANDLE* file);
// Appends the entry at the end of the open file in one write, on a line of
// its own: a file that does not end in CR LF gets one first. Should the
// write fail part-way, the file is cut back to its old length, so it never
// ends in half an entry. False when the entry was not written (a full disk).
bool AppendHistoryEntry(HANDLE file, const std::string& entry);
// The open file's length in bytes; false when it cannot be had.
bool HistoryFileLength(HANDLE file, uint64_t* length);
// Reads up to count bytes of the open file at offset; the number read, 0 at
// its end or on failure. What a ReverseLineReader reads the file with.
size_t ReadHistoryFileAt(HANDLE file, uint64_t offset, char* buffer, size_t count);
// Cuts the open file to length bytes.
bool CutHistoryFile(HANDLE file, uint64_t length);
// Makes the named file exist with 0 bytes, creating or truncating it, and
// closes it at once; a file held by another process is waited for as
// OpenHistoryFile waits. False, with the file left as it was, when it is
// held for longer or cannot be written.
bool EmptyHistoryFile(const char* fileName);
