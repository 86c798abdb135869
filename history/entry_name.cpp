#include "history/entry_name.h"

#include "common/utf.h"

#include <algorithm>

namespace {

bool IsAscii(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The one rule for the names a history keeps, read or written.
bool IsReadableName(const std::string& name) {
    return IsWindowsPathName(name);
}

} // namespace

bool IsStorableEntry(const std::string& name, const std::string& cursor) {
    return IsReadableName(name) && cursor.find_first_of("\r\n") == std::string::npos;
}

std::string EncodeEntryName(const std::string& name, const CodePage& codePage) {
    // No path starts with the marker, but a name that does must not lose it.
    if (!name.empty() && name[0] == UnicodeNameMarker) return UnicodeNameMarker + name;
    // Every Windows code page spells ASCII as itself.
    if (IsAscii(name)) return name;
    // A double-byte code page may hold a "|" as the second byte of a
    // character, which would end the name early when the line is read.
    std::string bytes;
    if (codePage.FromUtf8(name, &bytes) && bytes.find('|') == std::string::npos) return bytes;
    return UnicodeNameMarker + name;
}

bool DecodeEntryName(const std::string& stored, const CodePage& codePage, std::string* name) {
    std::string decoded;
    if (!stored.empty() && stored[0] == UnicodeNameMarker) {
        decoded = stored.substr(1);
    } else if (IsAscii(stored)) {
        decoded = stored;
    } else if (!codePage.ToUtf8(stored, &decoded)) {
        return false;
    }
    if (!IsReadableName(decoded)) return false;
    *name = std::move(decoded);
    return true;
}

std::string StoredHistoryEntry(const HistoryEntry& entry, const CodePage& codePage) {
    std::string cursor;
    if (IsAscii(entry.Cursor) || !codePage.FromUtf8(entry.Cursor, &cursor)) cursor = entry.Cursor;
    return FormatHistoryEntry(EncodeEntryName(entry.File, codePage), cursor, entry.Fingerprint);
}

bool ParseStoredEntry(const std::string& line, const CodePage& codePage, HistoryEntry* entry) {
    HistoryEntry stored;
    if (!ParseHistoryEntry(line, &stored) || !DecodeEntryName(stored.File, codePage, &entry->File))
        return false;
    entry->Cursor = std::move(stored.Cursor);
    entry->Fingerprint = std::move(stored.Fingerprint);
    return true;
}
