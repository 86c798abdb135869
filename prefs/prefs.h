// Reading and rewriting the IDE's preference files (Tools.prefs,
// PureBasic.prefs). One file is open at a time per process: OpenPrefs, then
// any number of group selections, reads and writes, then ClosePrefs, which
// writes the file back only if something was written; otherwise the file is
// left byte for byte as it was. The write-back replaces the file in one step
// with a complete copy, so a crash leaves the old file or the new one. While
// open, others may read the file but not write it. A file still open when
// the program ends normally (return from main, exit) is closed and written
// back then. The format: prefs_format.h.
#pragma once
#include <cstdint>
#include <string>

// True when the file was opened and read, false when it could not be opened
// (a read-only file opens; its changes are then lost without a report; a
// file of 4 GiB or more, far beyond any preference file, does not open).
// Closes (and writes back) a file that is still open first. After a failed open, reads
// give their defaults and writes go nowhere.
bool OpenPrefs(const std::string& fileName);
// True when a group of that name exists; false when not (it is then pending: reads
// give their defaults and the first write appends the group).
// With no group selected (right after OpenPrefs) reads and writes address the
// top section, the lines before the first header.
bool SelectPrefsGroup(const std::string& name);
// The value less surrounding blanks; "" for a UTF-8 value that has no form
// in the system's code page.
std::string ReadPrefsString(const std::string& key, const std::string& defaultValue = "");
// The value's leading decimal number, 0 when it has none; beyond 32 bits the
// number wraps.
int32_t ReadPrefsLong(const std::string& key, int32_t defaultValue);
void WritePrefsString(const std::string& key, const std::string& value);
void WritePrefsLong(const std::string& key, int32_t value);
// False when changes were lost: the file is read-only, held by another
// program, could not be opened, or the disk is full. It is then unchanged.
bool ClosePrefs();

// --- Whole-file edits -----------------------------------------------------------
#include <functional>

struct PrefsDocument;
// Runs edit on the open file's line list (prefs_format.h); what it changes
// is written back at ClosePrefs, as any write is.
void EditPrefsDocument(const std::function<void(PrefsDocument&)>& edit);
