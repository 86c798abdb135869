// The file side of the preferences component: an open file is a value,
// read whole on opening and written whole on closing. Everything about the
// format is in prefs_format.
#include "prefs/prefs.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "common/file_text.h"

namespace {

// Chunks, because ReadFile and WriteFile count in DWORDs.
constexpr size_t Chunk = 1u << 30;
// Room for the text of a few hundred edits without moving the whole file.
constexpr size_t EditRoom = 64 * 1024;
// The new content is written beside the file under this added suffix.
const char TempSuffix[] = ".tmp";
// The attributes that a rewritten file keeps; a read-only file is never
// rewritten.
constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Text of a code page as UTF-16; false when it is no valid text of it.
bool ToWide(UINT codePage, DWORD flags, const std::string& text, std::vector<wchar_t>& wide) {
    wide.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX) return false;
    const int length = static_cast<int>(text.size());
    int wideLength = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (wideLength <= 0) return false;
    wide.resize(static_cast<size_t>(wideLength));
    return MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), wideLength) ==
           wideLength;
}

// UTF-16 as text of a code page. With usedDefault, false when a character had
// no form there and would have come out as another one.
bool FromWide(UINT codePage, DWORD flags, const std::vector<wchar_t>& wide, std::string& text,
              BOOL* usedDefault) {
    text.clear();
    if (wide.empty()) return true;
    if (wide.size() > INT_MAX) return false;
    const int length = static_cast<int>(wide.size());
    int textLength =
        WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, usedDefault);
    if (textLength <= 0 || (usedDefault && *usedDefault)) return false;
    text.resize(static_cast<size_t>(textLength));
    return WideCharToMultiByte(codePage, flags, wide.data(), length, &text[0], textLength, nullptr,
                               nullptr) == textLength;
}

std::string AnsiToUtf8(const std::string& text) {
    if (GetACP() == CP_UTF8) return text;
    std::vector<wchar_t> wide;
    std::string utf8;
    if (ToWide(CP_ACP, 0, text, wide) && FromWide(CP_UTF8, 0, wide, utf8, nullptr)) return utf8;
    // Only text beyond 2 GiB gets here; no preference value is that long.
    return ConvertToUtf8(text);
}

bool Utf8ToAnsi(const std::string& text, std::string& result) {
    std::vector<wchar_t> wide;
    if (!ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, text, wide)) return false;
    if (GetACP() == CP_UTF8) {
        result = text;
        return true;
    }
    // Without best fit, a character the code page lacks is not replaced by a
    // look-alike (a path would then name another file) but refused.
    BOOL usedDefault = FALSE;
    return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, result, &usedDefault);
}

// The system's code page, as the IDE's UTF-8 files must be read and written.
const PrefsConversion SystemCodePage = {AnsiToUtf8, Utf8ToAnsi};

bool WriteAll(HANDLE file, const char* bytes, size_t length) {
    while (length > 0) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min(length, Chunk));
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        length -= written;
    }
    return true;
}

bool WriteDocument(HANDLE file, const PrefsDocument& doc) {
    bool ok = true;
    WritePrefsDocument(
        doc, [&](const char* bytes, size_t length) { ok = ok && WriteAll(file, bytes, length); });
    return ok;
}

// Renaming over a file that is still open works where the rename honours our
// FILE_SHARE_DELETE (Wine, newer Windows); elsewhere the file is let go
// first. A reader that does not share deletion (the IDE, a virus scanner)
// holds the file for a moment only, so a refused rename is tried again for
// up to a second.
bool ReplaceHeldFile(AutoCloseHandle& held, const std::string& source, const std::string& target) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExA(source.c_str(), target.c_str(), flags)) return true;
    held.Close();
    return RetryWhileHeld(
        [&] { return MoveFileExA(source.c_str(), target.c_str(), flags) != FALSE; });
}

// The new content goes whole onto the disk in a file beside the old one,
// which it then replaces in one step: a crash or a full disk leaves the old
// file or the new one, never a mix of both. Nothing is left behind on failure.
bool WriteBack(Prefs& prefs) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!prefs.Writable || !GetFileInformationByHandle(prefs.File.Get(), &info)) return false;
    const std::string tempName = prefs.FileName + TempSuffix;
    DeleteFileA(tempName.c_str()); // what a crash in the middle of a write-back left
    DWORD attributes = info.dwFileAttributes & KeptAttributes;
    AutoCloseHandle temp(CreateFileA(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!temp.IsValid()) return false;
    bool ok = WriteDocument(temp.Get(), prefs.Document) && FlushFileBuffers(temp.Get());
    temp.Close();
    ok = ok && ReplaceHeldFile(prefs.File, tempName, prefs.FileName);
    if (!ok) DeleteFileA(tempName.c_str());
    return ok;
}

// The file the handle reaches: through a symbolic link, its target, so that
// the write-back replaces the target and keeps the link. The name made
// absolute, so that it is found even if the working folder changes.
std::string FullPathOf(HANDLE file, const std::string& fileName) {
    char path[MAX_PATH * 4];
    DWORD length = GetFinalPathNameByHandleA(file, path, sizeof path, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= sizeof path)
        length = GetFullPathNameA(fileName.c_str(), sizeof path, path, nullptr);
    return length > 0 && length < sizeof path ? std::string(path, length) : fileName;
}

// Opening for writing does not refuse a read-only file everywhere (Wine run
// by root), and a rename would replace it.
bool IsReadOnly(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    return !GetFileInformationByHandle(file, &info) ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
}

HANDLE OpenShared(const std::string& fileName, DWORD access) {
    // Others may read the file while it is open, but not change it under us;
    // sharing deletion lets the write-back rename the new content over it.
    return CreateFileA(fileName.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

Prefs OpenPrefs(const std::string& fileName) {
    Prefs prefs;
    AutoCloseHandle file(OpenShared(fileName, GENERIC_READ | GENERIC_WRITE));
    bool writable = file.IsValid();
    if (!writable) file = AutoCloseHandle(OpenShared(fileName, GENERIC_READ));
    std::string bytes;
    // A file not read whole must not be open: its write-back would lose the
    // rest. One larger than MaxPrefsText is no preference file.
    if (!file.IsValid() || !ReadWholeFile(file.Get(), bytes, MaxPrefsText, EditRoom)) return prefs;
    prefs.Document = ParsePrefsDocument(std::move(bytes), SystemCodePage);
    prefs.FileName = FullPathOf(file.Get(), fileName);
    prefs.Writable = writable && !IsReadOnly(file.Get());
    prefs.File = std::move(file);
    return prefs;
}

// Without an open file these work on an empty document: reads give their
// defaults and writes are dropped at ClosePrefs.
bool SelectPrefsGroup(Prefs& prefs, const std::string& name) {
    return SelectDocumentGroup(prefs.Document, name);
}

std::string ReadPrefsString(const Prefs& prefs, const std::string& key,
                            const std::string& defaultValue) {
    return ReadDocumentString(prefs.Document, key, defaultValue);
}

int32_t ReadPrefsLong(const Prefs& prefs, const std::string& key, int32_t defaultValue) {
    return ReadDocumentLong(prefs.Document, key, defaultValue);
}

void WritePrefsString(Prefs& prefs, const std::string& key, const std::string& value) {
    WriteDocumentString(prefs.Document, key, value);
}

void WritePrefsLong(Prefs& prefs, const std::string& key, int32_t value) {
    WriteDocumentLong(prefs.Document, key, value);
}

bool ClosePrefs(Prefs& prefs) {
    bool ok = !prefs.Document.Changed || (prefs.File.IsValid() && WriteBack(prefs));
    prefs = Prefs();
    return ok;
}
