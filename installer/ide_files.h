// The IDE's two preference files as the installation and the uninstall
// change them: each change is made only after the file's backup holds
// exactly its bytes.
#pragma once
#include "installer/message_texts.h"
#include "prefs/prefs.h"

#include <functional>
#include <string>
#include <vector>

enum class BackupResult { Done, NotRead, NotBackedUp };
// Copies file to backup, replacing it, and reads the backup back: Done only
// when it then holds exactly the file's bytes.
BackupResult BackUpFile(const std::string& file, const std::string& backup);

struct PrefsChange {
    std::string File, Backup;
    std::function<void(Prefs&)> Edit; // between the open and the close
    // Not empty: a file that is not there is made with this content, and
    // has no backup to make (and none is made).
    std::string NewContent;
};
// Makes every change or none: each file is read, checked to be free for
// replacing (not read-only, held by no other program) and backed up before
// the first is opened for writing; should a later write fail after all, the
// files written before it get their backups back, and files made are
// removed again. Each failure lands in
// failures, under the file that stopped it. False when nothing changed.
bool ChangePrefsFiles(const std::vector<PrefsChange>& changes, FileFailures& failures);
