#include "installer/ide_files.h"

#include "common/auto_handle.h"
#include "common/file_text.h"
#include "prefs/prefs.h"

#include <windows.h>

namespace {

MessageTexts g_messages;

} // namespace

void LoadMessageTexts(const std::string& languageName) {
    std::string bytes;
    if (ReadWholeFile("Sprachen\\" + languageName + ".txt", bytes))
        g_messages = MessageTexts(bytes);
}

const MessageTexts& Messages() {
    return g_messages;
}

BackupResult BackUpFile(const std::string& file, const std::string& backup) {
    std::string original, copy;
    if (!ReadWholeFile(file, original)) return BackupResult::NotRead;
    // The copy's own result is not trusted: a full disk has left backups
    // of 0 bytes that it reported as done.
    CopyFileA(file.c_str(), backup.c_str(), FALSE);
    return ReadWholeFile(backup, copy) && copy == original ? BackupResult::Done
                                                           : BackupResult::NotBackedUp;
}

bool CanWriteFile(const std::string& file) {
    AutoCloseHandle handle(CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.IsValid();
}

bool ChangePrefsFile(const std::string& file, const std::string& backup,
                     const std::function<void()>& edit, FileFailures& failures) {
    switch (BackUpFile(file, backup)) {
    case BackupResult::NotRead:
        failures.NotRead.push_back(file);
        return false;
    case BackupResult::NotBackedUp:
        failures.NotBackedUp.push_back(file);
        return false;
    case BackupResult::Done:
        break;
    }
    if (!OpenPrefs(file)) {
        failures.NotRead.push_back(file);
        return false;
    }
    edit();
    if (ClosePrefs()) return true;
    failures.NotWritten.push_back(file);
    return false;
}
