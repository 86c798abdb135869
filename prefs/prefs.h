// Reading and rewriting the IDE's preference files (Tools.prefs,
// PureBasic.prefs). OpenPrefs gives an open file as a value; the other
// functions select groups, read and write in it; ClosePrefs writes it back
// only if something was written, otherwise the file stays byte for byte as
// it was. A value dropped without ClosePrefs writes nothing. The write-back
// replaces the file in one step with a complete copy, so a crash leaves the
// old file or the new one. While open, others may read the file but not
// write it. The format: prefs_format.h.
#pragma once
#include "common/auto_handle.h"
#include "prefs/prefs_format.h"

#include <cstdint>
#include <string>

struct Prefs {
    AutoCloseHandle File;  // invalid when the file could not be opened
    std::string FileName;  // full path
    bool Writable = false; // opened for writing and not read-only
    PrefsDocument Document;
    bool IsOpen() const { return File.IsValid(); }
};

// The file read whole; IsOpen() is false when it could not be opened or
// read (a file of 4 GiB or more, far beyond any preference file, is not
// read). A read-only file opens, not Writable. After a failed open, reads
// give their defaults and writes go nowhere.
Prefs OpenPrefs(const std::string& fileName);
// True when a group of that name exists; false when not (it is then pending: reads
// give their defaults and the first write appends the group).
// With no group selected (right after OpenPrefs) reads and writes address the
// top section, the lines before the first header.
bool SelectPrefsGroup(Prefs& prefs, const std::string& name);
// The value less surrounding blanks; "" for a UTF-8 value that has no form
// in the system's code page.
std::string ReadPrefsString(const Prefs& prefs, const std::string& key,
                            const std::string& defaultValue = "");
// The value's leading decimal number, 0 when it has none; beyond 32 bits the
// number wraps.
int32_t ReadPrefsLong(const Prefs& prefs, const std::string& key, int32_t defaultValue);
void WritePrefsString(Prefs& prefs, const std::string& key, const std::string& value);
void WritePrefsLong(Prefs& prefs, const std::string& key, int32_t value);
// Writes back what was written and closes the file. False when changes
// were lost: the file is read-only, held by another program, could not be
// opened, or the disk is full. It is then unchanged.
bool ClosePrefs(Prefs& prefs);
