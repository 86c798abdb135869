// The IDE's two preference files as the installation and the uninstall
// handle them: where they are, and a backup that is checked before either
// file is changed.
#pragma once
#include "common/environment.h"
#include "installer/message_texts.h"

#include <functional>
#include <string>

enum class BackupResult { Done, NotRead, NotBackedUp };
// Copies file to backup, replacing it, and reads the backup back: Done only
// when it then holds exactly the file's bytes.
BackupResult BackUpFile(const std::string& file, const std::string& backup);
// Files are opened for writing with others allowed to read, as the
// preferences component opens them; false when that is refused.
bool CanWriteFile(const std::string& file);
// A backup, then the change, then a look at what is on disk: each failure
// lands in failures. edit makes its changes between OpenPrefs and the close;
// false when the file was left unchanged.
bool ChangePrefsFile(const std::string& file, const std::string& backup,
                     const std::function<void()>& edit, FileFailures& failures);

// The texts of the messages, from the chosen language file ("Sprachen\" +
// name + ".txt"), read at once: a requester may change the working folder
// later. Until then, and when the file cannot be read, they are English.
void LoadMessageTexts(const std::string& languageName);
const MessageTexts& Messages();
