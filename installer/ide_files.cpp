#include "installer/ide_files.h"

#include "common/auto_handle.h"
#include "common/file_text.h"

#include <windows.h>

namespace {

// The write-back and the backup replace a file whole, which a read-only
// file refuses, and so does any other program that holds it, whatever it
// shares: only a file nobody else has open can be opened sharing nothing.
// True too for a backup that is not there yet.
bool CanReplaceFile(const std::string& file, bool mayBeMissing) {
    DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return mayBeMissing;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    return RetryWhileHeld([&] {
        AutoCloseHandle handle(CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return handle.IsValid();
    });
}

bool Check(bool ok, std::vector<std::string>& failed, const std::string& file) {
    if (!ok) failed.push_back(file);
    return ok;
}

bool IsMissing(const std::string& file) {
    if (GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A new file with exactly these bytes; false when it could not be made or
// another program made it meanwhile.
bool MakeNewFile(const std::string& file, const std::string& bytes) {
    AutoCloseHandle handle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    bool ok = handle.IsValid() &&
              WriteFile(handle.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    bool opened = handle.IsValid();
    handle.Reset();
    if (!ok && opened) DeleteFileA(file.c_str());
    return ok;
}

// Puts the files back as they were: the first written of them from their
// backups, and the first madeCount made ones removed.
void Restore(const std::vector<PrefsChange>& changes, const std::vector<bool>& made,
             size_t madeCount, size_t written, FileFailures& failures) {
    for (size_t k = 0; k < changes.size(); ++k) {
        bool back = true;
        if (made[k] && k < madeCount)
            back = DeleteFileA(changes[k].File.c_str());
        else if (!made[k] && k < written)
            back = CopyFileA(changes[k].Backup.c_str(), changes[k].File.c_str(), FALSE);
        if (!back)
            failures.NotRestored.insert(failures.NotRestored.end(),
                                        {changes[k].File, changes[k].Backup});
    }
}

} // namespace

BackupResult BackUpFile(const std::string& file, const std::string& backup) {
    std::string original, copy;
    if (!ReadWholeFile(file, original)) return BackupResult::NotRead;
    // A hidden backup is replaced as any other (CopyFile refuses to on
    // Windows); a read-only one is not.
    DWORD attributes = GetFileAttributesA(backup.c_str());
    const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & hidden))
        SetFileAttributesA(backup.c_str(), attributes & ~hidden);
    // The copy's own result is not trusted: a full disk has left backups
    // of 0 bytes that it reported as done.
    CopyFileA(file.c_str(), backup.c_str(), FALSE);
    return ReadWholeFile(backup, copy) && copy == original ? BackupResult::Done
                                                           : BackupResult::NotBackedUp;
}

bool ChangePrefsFiles(const std::vector<PrefsChange>& changes, FileFailures& failures) {
    std::vector<bool> made;
    for (const PrefsChange& change : changes)
        made.push_back(!change.NewContent.empty() && IsMissing(change.File));
    for (size_t i = 0; i < changes.size(); ++i) {
        const PrefsChange& change = changes[i];
        if (made[i]) continue;
        std::string bytes;
        if (!Check(ReadWholeFile(change.File, bytes), failures.NotRead, change.File) ||
            !Check(CanReplaceFile(change.File, false), failures.NotWritten, change.File) ||
            !Check(CanReplaceFile(change.Backup, true), failures.NotBackedUp, change.File))
            return false;
    }
    for (size_t i = 0; i < changes.size(); ++i) {
        const PrefsChange& change = changes[i];
        if (made[i]) {
            if (!Check(MakeNewFile(change.File, change.NewContent), failures.NotWritten,
                       change.File))
                return Restore(changes, made, i, 0, failures), false;
            continue;
        }
        BackupResult backup = BackUpFile(change.File, change.Backup);
        if (!Check(backup != BackupResult::NotRead, failures.NotRead, change.File) ||
            !Check(backup == BackupResult::Done, failures.NotBackedUp, change.File))
            return Restore(changes, made, i, 0, failures), false;
    }
    std::vector<Prefs> open;
    for (const PrefsChange& change : changes) {
        open.push_back(OpenPrefs(change.File));
        if (!Check(open.back().IsOpen(), failures.NotRead, change.File) ||
            !Check(open.back().Writable, failures.NotWritten, change.File)) {
            open.clear();
            return Restore(changes, made, changes.size(), 0, failures), false;
        }
    }
    for (size_t i = 0; i < changes.size(); ++i)
        changes[i].Edit(open[i]);
    for (size_t i = 0; i < changes.size(); ++i) {
        if (ClosePrefs(open[i])) continue;
        failures.NotWritten.push_back(changes[i].File);
        open.clear();
        Restore(changes, made, changes.size(), i, failures);
        return false;
    }
    return true;
}
