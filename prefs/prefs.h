// Reading and rewriting the IDE's preference files (Tools.prefs,
// PureBasic.prefs). One file is open at a time per process: OpenPrefs, then
// any number of group selections, reads and writes, then ClosePrefs, which
// writes the file back only if something was written.
#pragma once
#include <cstdint>
#include <string>

// Nonzero when the file was opened and read, 0 when it could not be opened.
// Closes (and writes back) a file that is still open first.
int OpenPrefs(const std::string& fileName);
// 1 when a group of that name exists; 0 when not (it is then pending: reads
// give their defaults and the first write appends the group).
int SelectPrefsGroup(const std::string& name);
std::string ReadPrefsString(const std::string& key, const std::string& defaultValue = "");
int32_t ReadPrefsLong(const std::string& key, int32_t defaultValue);
void WritePrefsString(const std::string& key, const std::string& value);
void WritePrefsLong(const std::string& key, int32_t value);
void ClosePrefs();
