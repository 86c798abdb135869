// The file name of a history entry as it is stored. A name the system's
// code page spells exactly is stored in that code page, byte for byte as the
// IDE's 8-bit tools always wrote it; any other name is stored as the marker
// followed by its UTF-8. The marker is a character no Windows path holds, so
// no code-page name starts with it and a stored name is read without
// guessing.
#pragma once
#include "common/text_rules.h"
#include "common/utf.h"
#include "history/history_line.h"

#include <string>

constexpr char UnicodeNameMarker = '*';

// The stored form of a UTF-8 name.
std::string EncodeEntryName(const std::string& name, const CodePage& codePage);

// The UTF-8 name of a stored one; false when it cannot be shown: malformed
// after the marker, not in the code page, or no name a Windows path can be.
bool DecodeEntryName(const std::string& stored, const CodePage& codePage, std::string* name);

// An entry the readers take back whole: a name DecodeEntryName shows (a
// Windows path name, which holds no "|" or line end) and a cursor without a
// line end. Writers store no other, so that no entry is lost or made up.
bool IsStorableEntry(const std::string& name, const std::string& cursor);

// The whole history line of an entry held in UTF-8: its name stored as
// above, and a cursor text the code page spells in the code page, as the
// IDE's 8-bit tools wrote it.
std::string StoredHistoryEntry(const HistoryEntry& entry, const CodePage& codePage);

// The entry of a history line (without its line end) with its name in
// UTF-8; false for a line that is no entry or a name that cannot be shown.
bool ParseStoredEntry(const std::string& line, const CodePage& codePage, HistoryEntry* entry);
