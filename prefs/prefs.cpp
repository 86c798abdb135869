// The file side of the preferences component: one process-wide open file,
// read whole on opening and written whole on closing. Everything about the
// format is in prefs_format.
#include "prefs/prefs.h"

#include <windows.h>

#include <algorithm>

#include "common/auto_handle.h"
#include "common/file_text.h"
#include "prefs/prefs_format.h"

namespace {

void CloseContext();

// The one open file of the process. Being a static object, it is destroyed at
// the normal end of the program (return from main, exit()), which closes a
// file left open with its write-back.
struct PrefsContext {
    AutoCloseHandle File;
    PrefsDocument Document;
    ~PrefsContext() { CloseContext(); }
} g_prefs;

// Chunks, because ReadFile and WriteFile count in DWORDs.
constexpr size_t Chunk = 1u << 30;
// Room for the text of a few hundred edits without moving the whole file.
constexpr size_t EditRoom = 64 * 1024;

bool SeekTo(HANDLE file, size_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

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

// Errors end the write-back silently: the caller has nobody to tell.
void WriteBack(HANDLE file, const PrefsDocument& doc) {
    // Growing the file before overwriting anything makes a full disk refuse
    // the write-back while the old content is still whole.
    LARGE_INTEGER oldSize;
    if (!GetFileSizeEx(file, &oldSize)) return;
    size_t size = WrittenPrefsSize(doc);
    if (size > static_cast<size_t>(oldSize.QuadPart)) {
        if (!SeekTo(file, size) || !SetEndOfFile(file)) return;
    }
    if (!SeekTo(file, 0)) return;
    bool ok = true;
    WritePrefsDocument(
        doc, [&](const char* bytes, size_t length) { ok = ok && WriteAll(file, bytes, length); });
    if (ok) SetEndOfFile(file);
}

void CloseContext() {
    if (g_prefs.File.IsValid() && g_prefs.Document.Changed) {
        WriteBack(g_prefs.File.Get(), g_prefs.Document);
    }
    g_prefs.File.Close();
    g_prefs.Document = PrefsDocument();
}

HANDLE OpenShared(const std::string& fileName, DWORD access) {
    // Others may read the file while it is open, but not change it under us.
    return CreateFileA(fileName.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

int OpenPrefs(const std::string& fileName) {
    CloseContext();
    AutoCloseHandle file(OpenShared(fileName, GENERIC_READ | GENERIC_WRITE));
    // A read-only file still opens; its write-back then fails unreported.
    if (!file.IsValid()) file = AutoCloseHandle(OpenShared(fileName, GENERIC_READ));
    if (!file.IsValid()) return 0;
    std::string bytes;
    // A file not read whole must not be open: its write-back would lose the
    // rest. One larger than MaxPrefsText is no preference file.
    if (!ReadWholeFile(file.Get(), bytes, MaxPrefsText, EditRoom)) return 0;
    g_prefs.Document = ParsePrefsDocument(std::move(bytes));
    g_prefs.File = std::move(file);
    return 1;
}

// Without an open file (OpenPrefs returned 0) these work on an empty
// document: reads give their defaults and writes are dropped at ClosePrefs.
int SelectPrefsGroup(const std::string& name) {
    return SelectDocumentGroup(g_prefs.Document, name);
}

std::string ReadPrefsString(const std::string& key, const std::string& defaultValue) {
    return ReadDocumentString(g_prefs.Document, key, defaultValue);
}

int32_t ReadPrefsLong(const std::string& key, int32_t defaultValue) {
    return ReadDocumentLong(g_prefs.Document, key, defaultValue);
}

void WritePrefsString(const std::string& key, const std::string& value) {
    WriteDocumentString(g_prefs.Document, key, value);
}

void WritePrefsLong(const std::string& key, int32_t value) {
    WriteDocumentLong(g_prefs.Document, key, value);
}

void ClosePrefs() {
    CloseContext();
}
